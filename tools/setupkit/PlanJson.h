// The install plan as JSON, one object per item, printed by "setupkit simulate --plan --json".
// Keys: Kind (PlanKindName), Path, and as the kind has them Root, Name, Size, Time, Attributes,
// Replaces {Size, Time, Attributes}, Value and Previous {Type, Data}, Target. Texts are UTF-8
// (converted from GBK); times are "YYYY-MM-DD hh:mm:ss UTC", or null for a file dated at the
// install; a string value's Data is its text, a DWORD's a number, other data hex.
#pragma once

#include <nlohmann/json.hpp>

#include "engine/InstallPlan.h"

namespace sk::cli {

nlohmann::ordered_json PlanItemToJson(const PlanItem& item);

}  // namespace sk::cli
