// The install plan's readable forms (see InstallPlan.h).
#include "engine/InstallPlan.h"

#include <cstdio>

#include "engine/Registry.h"
#include "package/CivilDate.h"

namespace sk {

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsPerDay = 86400;

std::string StateText(const PlanFileState& state) {
  std::string text =
      state.size < 0 ? std::string("unreadable") : std::to_string(state.size) + " bytes";
  text += ", " + (state.writeTime ? FileTimeText(*state.writeTime) : "dated at the install");
  if (state.attributes != attr::Invalid && (state.attributes & attr::ReadOnly))
    text += ", read-only";
  if (state.attributes != attr::Invalid && (state.attributes & attr::Hidden)) text += ", hidden";
  if (state.attributes != attr::Invalid && (state.attributes & attr::System)) text += ", system";
  return text;
}

std::string ValuePath(const PlanItem& item) {
  return RootName(item.root) + "\\" + item.path + " [" + item.valueName + "]";
}

}  // namespace

std::string FileTimeText(int64_t utcFileTime) {
  const int64_t seconds = utcFileTime / kTicksPerSecond;
  int64_t days = seconds / kSecondsPerDay;
  int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) rest += kSecondsPerDay, --days;
  const CivilDate date = CivilFromDays(days + DaysFromCivil(1601, 1, 1));
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld UTC",
                static_cast<long long>(date.year), date.month, date.day,
                static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                static_cast<long long>(rest % 60));
  return text;
}

std::string RegValueText(const RegValue& value) {
  switch (value.type) {
    case RegType::String:
      return "\"" + value.data + "\"";
    case RegType::Dword:
      if (value.data.size() == 4) {
        uint32_t n = 0;
        for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(value.data[i]);
        return "dword " + std::to_string(n);
      }
      break;
    default:
      break;
  }
  static const char kHex[] = "0123456789abcdef";
  std::string text = "hex:";
  for (unsigned char c : value.data) text += std::string{kHex[c >> 4], kHex[c & 15]};
  return text;
}

const char* PlanKindName(PlanItem::Kind kind) {
  using K = PlanItem::Kind;
  switch (kind) {
    case K::CreateFolder:
      return "folder";
    case K::PlaceFile:
      return "file";
    case K::KeepFile:
      return "keep";
    case K::Shortcut:
      return "shortcut";
    case K::DeleteFile:
      return "delete-file";
    case K::RemoveFolder:
      return "remove-folder";
    case K::CreateKey:
      return "key";
    case K::SetValue:
      return "value";
    case K::DeleteValue:
      return "delete-value";
    case K::DeleteKey:
      return "delete-key";
    case K::Register:
      return "register";
    case K::Import:
      return "run";
    case K::RunSetup:
      return "component-setup";
    case K::Open:
      return "open";
    case K::Pin:
      return "pin";
    case K::Restart:
      return "restart";
  }
  return "?";
}

std::string DescribePlanItem(const PlanItem& item) {
  using K = PlanItem::Kind;
  std::string line = std::string(PlanKindName(item.kind)) + " ";
  switch (item.kind) {
    case K::PlaceFile:
    case K::Shortcut:
      line += item.path;
      if (item.kind == K::Shortcut) line += " -> " + item.target;
      line += " (" + StateText(item.file) + ")";
      line += item.replaces ? " replacing " + StateText(*item.replaces) : " new";
      return line;
    case K::KeepFile:
      return line + item.path + " (" + (item.replaces ? StateText(*item.replaces) : "") +
             ") not overwritten";
    case K::DeleteFile:
      return line + item.path + (item.replaces ? " (" + StateText(*item.replaces) + ")" : "");
    case K::CreateKey:
    case K::DeleteKey:
      return line + RootName(item.root) + "\\" + item.path;
    case K::SetValue:
      line += ValuePath(item) + " = " + (item.value ? RegValueText(*item.value) : "");
      return line + (item.previous ? " replacing " + RegValueText(*item.previous) : " new");
    case K::DeleteValue:
      return line + ValuePath(item) +
             (item.previous ? " (was " + RegValueText(*item.previous) + ")" : "");
    case K::Open:
    case K::RunSetup:
      return line + item.path + (item.target.empty() ? "" : " " + item.target);
    case K::Restart:
      return "restart the machine";
    default:
      return line + item.path;
  }
}

}  // namespace sk
