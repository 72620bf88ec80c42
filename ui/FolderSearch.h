// The install-folder page's search for an existing installation: the keyword list and a
// depth-first walk of the fixed drives for the first folder that directly holds a file of one
// of the names.
//
// The walk lists every entry (hidden and system ones included) in the order the file system
// returns them and descends into a subfolder as soon as it meets it. It never follows a link or
// junction to a folder (so a link cycle cannot trap it), lists no folder more than 64 levels
// below the folder it starts at, and skips silently what cannot be listed. Every `pumpEvery`
// entries it calls `pump` (so the window keeps painting) and asks `cancelled`; a true answer,
// or reaching `maxEntries`, ends the whole search with nothing found.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/Platform.h"

namespace sk {

// Splits the "搜索关键字" setting into file names: items are separated by commas and by blanks
// and control characters; an item in double quotes may hold blanks and commas ("" inside stands
// for one quote); a comma at the very end adds an empty item; leading blanks are skipped. The
// text ends at a NUL byte.
std::vector<std::string> SplitSearchKeys(const std::string& text);

struct FolderSearchControl {
  std::function<void()> pump;       // may be empty
  std::function<bool()> cancelled;  // may be empty
  int maxDepth = 64;                // deepest level listed below the start folder
  uint64_t maxEntries = 0;          // 0: no limit
  uint64_t pumpEvery = 256;         // entries between two pump / cancelled calls (at least 1)
};

struct FolderSearchStats {
  uint64_t entries = 0;   // entries looked at
  uint64_t listings = 0;  // folders listed
  bool stopped = false;   // ended early by `cancelled` or `maxEntries`
};

class FolderSearch {
 public:
  // Names compare without regard to ASCII letter case; empty names match nothing.
  FolderSearch(Platform& platform, const std::vector<std::string>& names,
               FolderSearchControl control = {});

  // The first folder at or below `folder` (a path without trailing "\", "C:" for a drive root)
  // that directly holds a file of one of the names, or empty.
  std::string FindInstallFolder(const std::string& folder);
  // FindInstallFolder over the roots of GetFixedDrives in letter order; the first hit wins.
  std::string SearchFixedDrives();

  const FolderSearchStats& Stats() const { return stats_; }

 private:
  std::string Find(const std::string& folder, int depth);
  bool Tick();  // counts one entry; false when the search must end

  Platform& platform_;
  std::unordered_set<std::string> names_;  // folded
  FolderSearchControl control_;
  FolderSearchStats stats_;
};

}  // namespace sk
