#include "package/PathWords.h"

#include "package/Compile.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {
const std::string kProgramFilesWord = "[System ProgramFiles]";
const std::string kRunWord = "[Run]";
}  // namespace

std::string ExpandPathWord(Platform& platform, const std::string& text,
                           const std::optional<std::string>& runFolder) {
  // Piece by piece: the text comes from the package and may be long.
  std::string result;
  bool first = true, placeholder = false;
  ForEachPiece(text, "\\", [&](std::string_view element) {
    if (first) {
      first = false;
      const std::string word(element);
      if (SameTextAscii(word, kProgramFilesWord)) {
        result = GetProgramFilesFolder(platform);
      } else if (runFolder && SameTextAscii(word, kRunWord)) {
        result = StripTrailingBackslash(*runFolder);
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

}  // namespace sk
