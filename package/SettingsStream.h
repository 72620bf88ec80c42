// The settings stream of a package: the model's lists and product identifier as the bytes that
// the settings block holds (inflated). TCompile::ParseSettings (Compile.h) reads this layout;
// SerializeSettings writes it, and both live in SettingsStream.cpp.
//
// Errors: SerializeSettings throws sk::Error when a list holds more records than an Int32 count
// can say.
#pragma once

#include <string>

#include "package/Compile.h"

namespace sk {

// Serialises the settings stream (sections 1-9) of a model exactly as a reader parses it.
std::string SerializeSettings(const TCompile& model);

}  // namespace sk
