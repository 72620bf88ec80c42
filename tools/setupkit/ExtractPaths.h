// Where "setupkit extract" puts each item, as a path relative to the extraction folder, built
// only from sanitised names so that nothing can land outside that folder.
//
// Layout: files to install (Kind 0) and folders (Kind 1) under their target folder in package
// notation (目标计算机/Program Files/..., 指定目录/D_/...); support files under
// "_support/": Reg/ (Kind 2), Comp/<component>/ (Kind 3), Info/ (Kind 4), Uninstaller/ (Kind 5).
//
// Sanitising (per path element, after GBK → UTF-8): "\" and "/" separate elements; empty,
// "." and ".." elements are dropped; control characters and <>:"|?* become "_"; trailing dots
// and blanks are removed; device names (CON, NUL, COM1, ...) get a leading "_".
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "package/Compile.h"

namespace sk::cli {

constexpr const char* kSupportFolder = "_support";

// The sanitised elements of a GBK path text.
std::vector<std::string> SafeElements(const std::string& gbkPath);
// One sanitised file-name element ("_" when nothing usable is left).
std::string SafeName(const std::string& gbkName);
// The relative UTF-8 path of an item; std::nullopt for kinds that have no place.
std::optional<std::string> ExtractPathOf(const TCompileFileData& item);

}  // namespace sk::cli
