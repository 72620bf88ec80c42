// One spelling of a Windows file path for comparisons: the checks that decide whether a path
// from an uninstall log or a command line may be touched.
//
// NormaliseWinPath reads a GBK path the way Windows resolves it: "/" counts as "\", repeated and
// trailing separators collapse, trailing dots and blanks of each element are dropped. It is ok
// only for an absolute path (drive "X:\..." or UNC "\\server\share...") whose elements are plain
// names: no "." or "..", nothing made only of dots and blanks, no ":" (drive or stream), no
// character Windows rejects in names (control characters, <>"|?*), no device name (CON, NUL,
// COM1, "aux.log", ...). The "\\?\" and "\\.\" prefixes are never ok. Pure; never throws.
#pragma once

#include <string>

namespace sk {

struct WinPathForm {
  bool ok = false;
  bool root = false;         // a drive root or a UNC share root
  bool altered = false;      // an element lost trailing dots or blanks
  std::string path;          // elements joined by single "\", trailing dots and blanks dropped
  std::string folded;        // the same, ASCII letters lower case
  std::string parentFolded;  // folded without the last element ("" for a root)
};

WinPathForm NormaliseWinPath(const std::string& path);

// True when `ancestor` names a folder that holds `path` at some depth (both normalised ok).
bool IsAncestorPath(const WinPathForm& ancestor, const WinPathForm& path);

}  // namespace sk
