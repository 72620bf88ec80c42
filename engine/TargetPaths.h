// Resolution of target folders written in package notation into real folders.
//
//   "目标计算机\Program Files\<rel>"  -> MapUnderInstallDir(rel)
//   "目标计算机\Windows\<rel>"        -> <Windows folder>\<rel>
//   "指定目录\<abs>"                  -> <abs>
//
// Prefixes are recognised at the beginning of the text only, ASCII letters compared without
// regard to case; a text with none of them names no folder (nullopt), and its item is passed
// over. Results carry no trailing backslash. Pure functions; no errors.
#pragma once

#include <optional>
#include <string>

namespace sk {

// The install folder with the relative path spliced in: when a folder of the install path has
// the name of rel's first element, rel takes that folder's place; otherwise rel goes below the
// whole install folder. A match at the first piece (the drive) puts rel below the drive root.
std::string MapUnderInstallDir(const std::string& rel, const std::string& installDir);

std::optional<std::string> ResolveTargetDir(const std::string& text, const std::string& installDir,
                                            const std::string& windowsDir);

// True when `text` begins with `prefix`, ASCII letters compared without regard to case.
bool StartsWithText(const std::string& text, const std::string& prefix);
// True when `text` contains `part`, ASCII letters compared without regard to case.
bool ContainsText(const std::string& text, const std::string& part);

}  // namespace sk
