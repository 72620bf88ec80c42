// Case-insensitive name lookup in host folders for the sandbox machine: given a host folder and
// a name folded to lower-case ASCII (UTF-8), finds the stored spelling of an entry with that
// folded name.
//
// On Linux the listing of each folder asked about is kept in memory and kept current through
// inotify: every create, delete and rename in a cached folder, by this process or any other,
// is applied before the next lookup answers, so the answer is always the one a fresh scan of
// the folder would give, without rescanning it for every name that does not exist yet. When a
// folder is removed or moved, a folder is renamed inside a cached one, or the event queue
// overflows, every listing is dropped and rebuilt on demand. Where inotify is not available
// (other systems, or the per-user limits are reached) every lookup scans the folder.
//
// Not thread-safe. Errors never throw: an unreadable folder has no entries.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sk::sandbox {

// ASCII case folding of a UTF-8 name (bytes >= 0x80 never hold ASCII letters).
std::string FoldUtf8(std::string s);

class FolderNames {
 public:
  FolderNames();
  ~FolderNames();
  FolderNames(const FolderNames&) = delete;
  FolderNames& operator=(const FolderNames&) = delete;

  // The entry of `folder` whose folded UTF-8 name is `foldedName` (its full host path), or
  // nullopt when there is none. Of several such entries (the host file system tells case
  // apart), the first one listed wins.
  std::optional<std::filesystem::path> Find(const std::filesystem::path& folder,
                                            const std::string& foldedName);

  // Number of folder listings read so far (for tests: shows whether lookups rescan).
  int Scans() const { return scans_; }

 private:
  // Stored names of one folder by folded name, in the order they were seen.
  using Listing = std::map<std::string, std::vector<std::string>>;
  struct Folder {
    int watch = -1;
    uint64_t dev = 0, ino = 0;  // identity of the folder when it was listed
    Listing names;
  };

  Listing Scan(const std::filesystem::path& folder);
  void Apply();                        // reads the queued change events into the listings
  void Reset();                        // drops every listing and watch
  void Drop(int watch, bool unwatch);  // drops the listing of one watched folder

  int notify_ = -1;                        // inotify descriptor; -1 when lookups always scan
  std::map<std::string, Folder> folders_;  // by host folder path
  std::map<int, std::string> byWatch_;     // watch descriptor -> host folder path
  int scans_ = 0;
};

}  // namespace sk::sandbox
