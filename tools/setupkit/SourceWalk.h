// Finds the host files that a manifest source names: one file, a whole folder (recursive), or a
// glob ("*" and "?" within one path element, "**" for any number of folders).
//
// Results are sorted by their relative path (byte order of the UTF-8 names), so builds are
// reproducible whatever order the file system lists entries in. Symbolic links to folders are
// not followed (no cycles); links to files count as files.
// Errors: throws std::runtime_error with a UTF-8 message (no such file, nothing matched).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sk::cli {

struct FoundFile {
  std::filesystem::path path;  // absolute, lexically normal
  std::string rel;             // UTF-8, "/"-separated, relative to the source's base folder
  int64_t size = 0;
};

// Matches one name against a pattern of literal characters, "*" and "?".
bool GlobMatch(std::string_view pattern, std::string_view name);

// `pattern` is UTF-8 and relative to `base` (or absolute); "/" and "\" both separate.
// `excludes` are matched against each file's name and its relative path.
std::vector<FoundFile> ExpandSource(const std::filesystem::path& base, const std::string& pattern,
                                    bool recursive, const std::vector<std::string>& excludes);

// All files below `dir`, sorted, each with its path relative to `dir`.
std::vector<FoundFile> WalkFolder(const std::filesystem::path& dir, bool recursive);

}  // namespace sk::cli
