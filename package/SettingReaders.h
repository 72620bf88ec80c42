// The one way the setup reads a setting: each reader takes a row of the settings table
// (package/SettingNames.h) and applies that row's group, name match, occurrence and value type to
// the package's settings, in package order. Callers never walk the settings themselves.
//
// A reader asked for a row of another value type throws sk::Error (a programming fault, caught by
// the tests); missing settings are std::nullopt (or false / 0), never an error. Values are GBK as
// stored. Paths are resolved by package/PathWords, files checked on the package's platform.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "package/Compile.h"
#include "package/SettingNames.h"

namespace sk {

// Calls `each` with the value of every item that matches the row (group and name), in package
// order, whatever the row's occurrence and type; the primitive the readers below share.
void ForEachSettingValue(const TPackage& package, const SettingName& row,
                         const std::function<void(const std::string& value)>& each);

// The counting value of a Text or OptionalText row (an OptionalText row passes over empty values):
// the first or last matching item as the row says.
std::optional<std::string> ReadText(const TPackage& package, const SettingName& row);

// A Switch row: on when the counting item's value is exactly "启用"; std::nullopt when the package
// has no such item.
std::optional<bool> ReadSwitch(const TPackage& package, const SettingName& row);
// A Switch row read as an offer: true when any matching item is on, whatever the others say.
bool AnySwitchOn(const TPackage& package, const SettingName& row);
// A Switch row read as a count: how many matching items are on (each makes one page).
size_t SwitchOnCount(const TPackage& package, const SettingName& row);

// A Path row with its leading path word resolved (ExpandPathWord); `runFolder` as there. Where
// "[Run]" is known, a value of a single blank also stands for the run folder as given.
std::optional<std::string> ReadPath(const TPackage& package, const SettingName& row,
                                    const std::optional<std::string>& runFolder);

// A File row: the counting item among those whose value names an existing file.
std::optional<std::string> ReadFile(const TPackage& package, const SettingName& row);

}  // namespace sk
