// Windows path normalisation for checks (see PathForm.h).
#include "engine/PathForm.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "package/Compile.h"

namespace sk {

namespace {

// Characters no Windows name may hold. Every one is below 0x40, so none can be a GBK trail byte.
bool HasForbiddenCharacter(const std::string& element) {
  return std::any_of(element.begin(), element.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return c < 0x20 || c == ':' || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' ||
           c == '*';
  });
}

// The element as Windows opens it: trailing dots and blanks dropped. Both are single bytes
// below 0x40, so they never end a double-byte GBK character.
std::string Trimmed(const std::string& element) {
  const size_t end = element.find_last_not_of(". ");
  return end == std::string::npos ? std::string() : element.substr(0, end + 1);
}

}  // namespace

WinPathForm NormaliseWinPath(const std::string& path) {
  WinPathForm n;
  std::string p = path;
  std::replace(p.begin(), p.end(), '/', '\\');  // "/" is never a GBK trail byte
  const bool unc = p.rfind("\\\\", 0) == 0;
  std::vector<std::string> parts = SplitText(p, "\\");
  if (parts.empty()) return n;
  size_t first = 1;
  if (unc) {
    // "\\?\..." and "\\.\..." reach devices and raw paths past the name rules.
    if (parts[0] == "?" || parts[0] == "." || parts.size() < 2) return n;
    first = 0;
  } else {
    const std::string& drive = parts[0];
    if (drive.size() != 2 || drive[1] != ':' || !std::isalpha(static_cast<unsigned char>(drive[0])))
      return n;
  }
  for (size_t i = first; i < parts.size(); ++i) {
    std::string& e = parts[i];
    const std::string trimmed = Trimmed(e);
    if (trimmed.empty() || HasForbiddenCharacter(e) || IsDeviceName(trimmed)) return n;
    if (trimmed.size() != e.size()) n.altered = true;
    e = trimmed;
  }
  n.ok = true;
  n.root = unc ? parts.size() == 2 : parts.size() == 1;
  std::string joined = unc ? "\\\\" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i + 1 == parts.size() && !n.root) n.parentFolded = LowerAscii(joined);
    joined += (i == 0 ? "" : "\\") + parts[i];
  }
  n.path = joined;
  n.folded = LowerAscii(joined);
  return n;
}

bool IsAncestorPath(const WinPathForm& ancestor, const WinPathForm& path) {
  if (!ancestor.ok || !path.ok) return false;
  const std::string& a = ancestor.folded;
  const std::string& p = path.folded;
  // The separator right after the ancestor's text is a single byte below 0x40, never a trail
  // byte, so a prefix that ends there ends on an element boundary.
  return p.size() > a.size() + 1 && p.compare(0, a.size(), a) == 0 && p[a.size()] == '\\';
}

}  // namespace sk
