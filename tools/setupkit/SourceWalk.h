// Finds the host files that a manifest source names: one file, a whole folder (recursive), or a
// glob ("*" and "?" within one path element, "**" for any number of folders).
//
// Results are sorted by their relative path (byte order of the UTF-8 names), so builds are
// reproducible whatever order the file system lists entries in. Symbolic links to folders are
// not followed (no cycles); links to files count as files when their target lies inside the
// source's folder (or options.followLinks is set).
// Nothing that matches is left out silently: a FIFO, socket or device, a link to a file outside
// the folder, a name with a control character or one of <>:"|?* (no Windows name holds one, so
// every install would fail) or an entry that
// cannot be examined (a path longer than the host allows) ends the walk with an error naming
// it, unless an exclude pattern drops it first.
// Work is polynomial in the pattern and the tree: "**" elements in a row count as one, and each
// folder is matched against each pattern element once. Patterns hold at most kMaxPatternLength
// bytes.
// Errors: throws std::runtime_error with a UTF-8 message (no such file, nothing matched, a file
// that cannot be packed, a pattern too long); std::filesystem errors of listing pass through.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sk::cli {

inline constexpr size_t kMaxPatternLength = 1024;

struct SourceOptions {
  bool followLinks = false;  // pack links to files outside the source's folder too
};

struct FoundFile {
  std::filesystem::path path;  // absolute, lexically normal
  std::string rel;             // UTF-8, "/"-separated, relative to the source's base folder
  int64_t size = 0;
  std::string problem;  // why it cannot be packed (UTF-8); empty when it can
};

// Matches one name against a pattern of literal characters, "*" and "?".
bool GlobMatch(std::string_view pattern, std::string_view name);

// `pattern` is UTF-8 and relative to `base` (or absolute); "/" and "\" both separate.
// `excludes` are matched against each file's name and its relative path.
std::vector<FoundFile> ExpandSource(const std::filesystem::path& base, const std::string& pattern,
                                    bool recursive, const std::vector<std::string>& excludes,
                                    const SourceOptions& options = {});

// Why the file at `path`, named by the manifest and read from `folder`, cannot be packed
// (UTF-8, naming it); empty when it can. The same tests as for the files of a walk.
std::string FileProblem(const std::filesystem::path& path, const std::filesystem::path& folder,
                        const SourceOptions& options);

}  // namespace sk::cli
