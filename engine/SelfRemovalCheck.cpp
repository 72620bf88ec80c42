// The guard of the self-removal helper (see SelfRemovalCheck.h).
#include "engine/SelfRemovalCheck.h"

#include <utility>

#include "engine/PathForm.h"
#include "engine/Removal.h"
#include "package/Compile.h"

namespace sk {

namespace {

// Decimal digits only, at most `maxDigits`, no sign or blanks.
std::optional<uint64_t> Digits(const std::string& text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

// The name the uninstaller gives its private folder: "sk-uninst-<pid>-<n>".
bool IsPrivateFolderName(const std::string& name, uint32_t pid) {
  const std::string prefix = "sk-uninst-" + std::to_string(pid) + "-";
  return name.size() > prefix.size() && LowerAscii(name.substr(0, prefix.size())) == prefix &&
         Digits(name.substr(prefix.size()), 10).has_value();
}

// The path in long form, normalised; not ok when it is no plain absolute path or when Windows
// would read it under another spelling than the one given.
WinPathForm Plain(Platform& platform, const std::string& path) {
  const WinPathForm given = NormaliseWinPath(path);
  if (!given.ok || given.altered) return {};
  WinPathForm n = NormaliseWinPath(platform.LongPathName(given.path));
  if (n.altered) n.ok = false;
  return n;
}

std::string CheckTargets(Platform& platform, const CleanupRequest& request) {
  const ProtectedPlaces places(platform);
  const WinPathForm file = Plain(platform, request.file);
  if (!file.ok || file.root || !places.Check(request.file).empty())
    return "the file is no plain path or a protected place";
  WinPathForm inner = file;
  for (const std::string& f : request.folders) {
    WinPathForm folder = Plain(platform, f);
    if (!places.Check(f).empty()) return "a folder is a protected place: " + f;
    if (!IsAncestorPath(folder, inner))
      return "a folder does not hold the file or the folder before it: " + f;
    inner = std::move(folder);
  }
  return {};
}

std::string CheckOrigin(Platform& platform, const CleanupRequest& request,
                        const CleanupFacts& facts) {
  const WinPathForm self = Plain(platform, facts.self);
  const WinPathForm temp = Plain(platform, facts.tempFolder);
  if (!self.ok || !temp.ok || self.root) return "cannot place the helper's own file";
  const WinPathForm folder = NormaliseWinPath(ExtractFilePath(self.path));
  if (!folder.ok || folder.root || folder.parentFolded != temp.folded ||
      !IsPrivateFolderName(ExtractFileName(folder.path), request.pid))
    return "the helper does not run from the uninstaller's private folder";
  if (facts.selfFolderEntries.size() != 1 ||
      !SameTextAscii(facts.selfFolderEntries[0], ExtractFileName(self.path)))
    return "the helper's folder holds other entries";
  const WinPathForm file = Plain(platform, request.file);
  if (IsAncestorPath(folder, file)) return "the file lies in the helper's own folder";
  if (facts.processImage.empty()) return "the process does not run";
  const WinPathForm image = Plain(platform, facts.processImage);
  if (!image.ok || image.folded != file.folded) return "the process does not run from the file";
  if (!facts.sameBytes) return "the file is not the uninstaller the helper was copied from";
  return {};
}

}  // namespace

std::optional<CleanupRequest> ParseCleanupWords(const std::vector<std::string>& words) {
  if (words.size() < 2 || words.size() > 2 + kMaxCleanupFolders) return std::nullopt;
  const std::optional<uint64_t> pid = Digits(words[0], 10);
  if (!pid || *pid == 0 || *pid > UINT32_MAX) return std::nullopt;
  return CleanupRequest{static_cast<uint32_t>(*pid), words[1],
                        std::vector<std::string>(words.begin() + 2, words.end())};
}

std::string CleanupRefusal(Platform& platform, const CleanupRequest& request,
                           const CleanupFacts& facts) {
  if (std::string why = CheckTargets(platform, request); !why.empty()) return why;
  return CheckOrigin(platform, request, facts);
}

}  // namespace sk
