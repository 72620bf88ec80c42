// Windows path handling for the sandbox machine: GBK-aware splitting at "\" (a GBK trail byte
// may be 0x5C), ASCII case folding that leaves double-byte characters alone, and the parsing of
// a Windows path into drive letter and normalised elements with the name rules that Windows
// applies (invalid characters, "." and "..", trailing dots and blanks dropped).
//
// Pure functions on GBK byte strings; no state, no I/O.
#pragma once

#include <string>
#include <vector>

namespace sk::sandbox {

inline bool IsGbkLeadByte(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}
inline bool IsGbkTrailByte(unsigned char c) {
  return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Splits at every single-byte occurrence of sep; empty pieces are kept.
std::vector<std::string> SplitGbk(const std::string& text, char sep);
// Lower-cases ASCII letters that are not trail bytes of a double-byte character.
std::string FoldCase(const std::string& gbk);
inline bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}
// True when the last character (not a trail byte) is "\".
bool EndsWithBackslash(const std::string& gbk);

// Why a path could not be parsed; the values match the Windows error codes a call reports.
// Link: the path runs through a host link inside the sandbox root, which is never followed.
enum class PathError { None = 0, NotFound = 3, InvalidName = 123, Link = 1920 };

struct WinPath {
  char drive = 0;                     // upper-case drive letter
  std::vector<std::string> elements;  // normalised names below the drive root
  std::string ToString() const;       // "C:\a\b" ("C:\" for the root)
};

// Parses an absolute ("C:\x"), drive-rooted ("\x", on the drive of currentDir) or relative
// path (below currentDir, which must itself be absolute). "/" counts as "\"; repeated
// separators collapse; "." is dropped and ".." climbs (never above the root); trailing dots
// and blanks of a name are dropped as Windows does. UNC paths give NotFound; a GBK lead byte
// without a trail byte after it gives InvalidName.
PathError ParseWinPath(const std::string& path, const std::string& currentDir, WinPath& out);

}  // namespace sk::sandbox
