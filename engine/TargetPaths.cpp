// Target-folder notation (see TargetPaths.h).
#include "engine/TargetPaths.h"

#include <vector>

#include "engine/Texts.h"
#include "package/Compile.h"

namespace sk {

bool StartsWithText(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

bool ContainsText(const std::string& text, const std::string& part) {
  return LowerAscii(text).find(LowerAscii(part)) != std::string::npos;
}

std::string MapUnderInstallDir(const std::string& rel, const std::string& installDir) {
  const std::vector<std::string> l = SplitText(installDir, "\\");
  const std::vector<std::string> r = SplitText(rel, "\\");
  if (r.empty() || l.empty()) return StripTrailingBackslash(installDir + "\\" + rel);

  // The first piece is the root: a drive ("D:") or, for a UNC path, "\\server".
  const std::string root = installDir.rfind("\\\\", 0) == 0 ? "\\\\" + l[0] : l[0];
  std::string prefix = root;
  std::string result;
  for (size_t i = 0; i < l.size(); ++i) {
    if (SameTextAscii(l[i], r[0])) {
      result = prefix + "\\" + rel;  // at the first piece: below the root
      break;
    }
    if (i > 0) prefix += "\\" + l[i];
    if (i + 1 == l.size()) result = prefix + "\\" + rel;
  }
  return StripTrailingBackslash(result);
}

std::optional<std::string> ResolveTargetDir(const std::string& text, const std::string& installDir,
                                            const std::string& windowsDir) {
  using namespace engine_text;
  if (StartsWithText(text, kPrefixProgramFiles))
    return MapUnderInstallDir(text.substr(sizeof kPrefixProgramFiles - 1), installDir);
  if (StartsWithText(text, kPrefixWindows))
    return StripTrailingBackslash(windowsDir + "\\" + text.substr(sizeof kPrefixWindows - 1));
  if (StartsWithText(text, kPrefixSpecified)) {
    std::string rest = StripTrailingBackslash(text.substr(sizeof kPrefixSpecified - 1));
    if (rest.empty()) return std::nullopt;
    return rest;
  }
  return std::nullopt;
}

}  // namespace sk
