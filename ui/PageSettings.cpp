#include "ui/PageSettings.h"

namespace sk {

void WalkPageSettings(const TCompile& model, int group, NameMatch match,
                      const std::vector<std::string>& names,
                      const std::function<void(size_t which, const std::string& value)>& apply) {
  std::vector<TCompileData*> items;
  model.Package().GetGroupSettings(group, items);
  for (const TCompileData* item : items) {
    for (size_t i = 0; i < names.size(); ++i) {
      const bool same =
          match == NameMatch::Exact ? item->Name == names[i] : SameTextAscii(item->Name, names[i]);
      if (same) {
        apply(i, item->Value);
        break;
      }
    }
  }
}

std::string FormatWithName(const std::string& format, const std::string& name) {
  std::string out;
  out.reserve(format.size() + name.size());
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 's') {
        out += name;
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

}  // namespace sk
