#include "ui/ChoicePaths.h"

#include <algorithm>

#include "package/Compile.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {
const std::string kProgramFilesWord = "[System ProgramFiles]";
const std::string kRunWord = "[Run]";

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
}  // namespace

std::string ResolveDefaultPath(Platform& platform, const std::string& setupDir,
                               const std::string& text) {
  // Piece by piece: the text comes from the package and may be long.
  std::string result;
  bool first = true, placeholder = false;
  ForEachPiece(text, "\\", [&](std::string_view element) {
    if (first) {
      first = false;
      const std::string word(element);
      if (SameTextAscii(word, kProgramFilesWord)) {
        result = GetProgramFilesFolder(platform);
      } else if (SameTextAscii(word, kRunWord)) {
        result = StripTrailingBackslash(setupDir);
      } else {
        return false;
      }
      placeholder = true;
      return true;
    }
    result += '\\';
    result += element;
    return true;
  });
  return placeholder ? result : text;
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
