#include "ui/PageSettings.h"

namespace sk {

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
