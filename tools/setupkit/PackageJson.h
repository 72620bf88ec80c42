// The package model as one JSON object (UTF-8 texts, exact numbers), printed by
// "setupkit info --json". Keys are the model's own field names.
#pragma once

#include <nlohmann/json.hpp>

#include "package/Compile.h"

namespace sk::cli {

nlohmann::ordered_json PackageToJson(const TCompile& model);

}  // namespace sk::cli
