#include "ui/ChoicePaths.h"

#include <algorithm>

#include "package/Compile.h"
#include "package/PathWords.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {
bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
}  // namespace

std::string ResolveDefaultPath(Platform& platform, const std::string& setupDir,
                               const std::string& text) {
  return ExpandPathWord(platform, text, setupDir);
}

int64_t InstallDirFreeSpace(Platform& platform, const std::string& folder) {
  if (folder.size() < 2 || !IsAsciiLetter(folder[0]) || folder[1] != ':') return -1;
  return GetFreeSpace(platform, folder[0]);
}

std::vector<std::string> GetFixedDrives(Platform& platform) {
  std::string letters;
  for (char c : platform.GetFixedDrives()) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z' && letters.find(c) == std::string::npos) letters += c;
  }
  std::sort(letters.begin(), letters.end());
  std::vector<std::string> roots;
  for (char c : letters) roots.push_back(std::string(1, c) + ":");
  return roots;
}

}  // namespace sk
