// The install plan as JSON (see PlanJson.h).
#include "tools/setupkit/PlanJson.h"

#include "engine/Registry.h"
#include "platform/Encoding.h"

namespace sk::cli {

namespace {

nlohmann::ordered_json StateJson(const PlanFileState& state) {
  nlohmann::ordered_json out = {
      {"Size", state.size}, {"Time", nullptr}, {"Attributes", state.attributes}};
  if (state.writeTime) out["Time"] = FileTimeText(*state.writeTime);
  return out;
}

nlohmann::ordered_json ValueJson(const RegValue& value) {
  nlohmann::ordered_json out = {{"Type", static_cast<uint32_t>(value.type)}};
  if (value.type == RegType::String) {
    out["Data"] = GbkToUtf8(value.data);
  } else if (value.type == RegType::Dword && value.data.size() == 4) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(value.data[i]);
    out["Data"] = n;
  } else {
    out["Data"] = RegValueText(value);
  }
  return out;
}

}  // namespace

nlohmann::ordered_json PlanItemToJson(const PlanItem& item) {
  using K = PlanItem::Kind;
  nlohmann::ordered_json out = {{"Kind", PlanKindName(item.kind)}, {"Path", GbkToUtf8(item.path)}};
  switch (item.kind) {
    case K::CreateKey:
    case K::DeleteKey:
    case K::SetValue:
    case K::DeleteValue:
      out["Root"] = RootName(item.root);
      if (item.kind == K::SetValue || item.kind == K::DeleteValue) {
        out["Name"] = GbkToUtf8(item.valueName);
        if (item.value) out["Value"] = ValueJson(*item.value);
        out["Previous"] = item.previous ? ValueJson(*item.previous) : nlohmann::ordered_json();
      }
      break;
    case K::PlaceFile:
    case K::Shortcut:
      out.update(StateJson(item.file));
      if (item.kind == K::Shortcut) out["Target"] = GbkToUtf8(item.target);
      [[fallthrough]];
    case K::KeepFile:
    case K::DeleteFile:
      out["Replaces"] = item.replaces ? StateJson(*item.replaces) : nlohmann::ordered_json();
      break;
    case K::Open:
    case K::RunSetup:
      if (!item.target.empty()) out["Target"] = GbkToUtf8(item.target);
      break;
    default:
      break;
  }
  return out;
}

}  // namespace sk::cli
