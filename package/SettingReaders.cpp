#include "package/SettingReaders.h"

#include "package/PathWords.h"

namespace sk {

namespace {

bool NameMatches(const SettingName& row, const std::string& name) {
  return row.match == NameMatch::Exact ? name == row.name : SameTextAscii(name, row.name);
}

void Expect(const SettingName& row, bool ok, const char* reader) {
  if (!ok) throw Error(std::string(reader) + ": setting '" + row.name + "' is not of that type");
}

// The counting value among the matching items that `counts` accepts.
std::optional<std::string> Pick(const TPackage& package, const SettingName& row,
                                const std::function<bool(const std::string&)>& counts) {
  std::optional<std::string> picked;
  for (const auto& item : package.InfoList()) {
    if (row.group != setting::kAnyGroup && item->Group != row.group) continue;
    if (!NameMatches(row, item->Name) || !counts(item->Value)) continue;
    picked = item->Value;
    if (row.occurrence == Occurrence::First) break;
  }
  return picked;
}

}  // namespace

void ForEachSettingValue(const TPackage& package, const SettingName& row,
                         const std::function<void(const std::string& value)>& each) {
  Pick(package, SettingName{row.group, row.name, row.meaning, row.match, Occurrence::Last},
       [&](const std::string& value) {
         each(value);
         return true;
       });
}

std::optional<std::string> ReadText(const TPackage& package, const SettingName& row) {
  Expect(row, row.type == ValueType::Text || row.type == ValueType::OptionalText, "ReadText");
  const bool optional = row.type == ValueType::OptionalText;
  return Pick(package, row, [&](const std::string& v) { return !optional || !v.empty(); });
}

std::optional<bool> ReadSwitch(const TPackage& package, const SettingName& row) {
  Expect(row, row.type == ValueType::Switch, "ReadSwitch");
  const auto value = Pick(package, row, [](const std::string&) { return true; });
  if (!value) return std::nullopt;
  return *value == text::kEnabled;
}

bool AnySwitchOn(const TPackage& package, const SettingName& row) {
  return SwitchOnCount(package, row) > 0;
}

size_t SwitchOnCount(const TPackage& package, const SettingName& row) {
  Expect(row, row.type == ValueType::Switch, "SwitchOnCount");
  size_t on = 0;
  ForEachSettingValue(package, row, [&](const std::string& v) { on += v == text::kEnabled; });
  return on;
}

std::optional<std::string> ReadPath(const TPackage& package, const SettingName& row,
                                    const std::optional<std::string>& runFolder) {
  Expect(row, row.type == ValueType::Path, "ReadPath");
  const auto value = Pick(package, row, [](const std::string&) { return true; });
  if (!value) return std::nullopt;
  if (runFolder && *value == " ") return *runFolder;
  return ExpandPathWord(package.GetPlatform(), *value, runFolder);
}

std::optional<std::string> ReadFile(const TPackage& package, const SettingName& row) {
  Expect(row, row.type == ValueType::File, "ReadFile");
  Platform& p = package.GetPlatform();
  return Pick(package, row, [&](const std::string& v) { return !v.empty() && p.FileExists(v); });
}

}  // namespace sk
