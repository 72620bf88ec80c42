// The guard of the uninstaller's self-removal helper ("Uninst.exe /cleanup PID FILE FOLDER...").
//
// The uninstaller cannot delete its own file while it runs, so it copies itself to a fresh
// private folder "<temp>\sk-uninst-<its pid>-<n>\" and starts the copy with its process id, its
// own path and the recorded folders that hold it, innermost first. The copy deletes FILE once
// that process has ended and removes the folders while they are empty. Anyone can start the
// program with these words, so the copy acts only when every fact proves that it was started
// that way for that uninstaller:
// - its own executable is the only entry of a folder named "sk-uninst-<PID>-<digits>" directly
//   in the temporary folder;
// - the process PID runs (at the start) from FILE, compared in long form without regard to
//   ASCII case, and FILE holds the same bytes as the copy itself;
// - FILE and each FOLDER are plain absolute paths (PathForm.h), no protected place (Removal.h)
//   and no path Windows would read under another spelling; the first FOLDER holds FILE and each
//   further one holds the one before it.
// Anything else: CleanupRefusal names the reason and the caller touches nothing.
//
// ParseCleanupWords reads the words after "/cleanup" (GBK); nullopt when they are malformed.
// Pure apart from the Platform queries of CleanupRefusal (long names, system folders).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sk {

struct CleanupRequest {
  uint32_t pid = 0;
  std::string file;                  // the uninstaller to delete
  std::vector<std::string> folders;  // to remove when empty, innermost first
};

// What the copy found before touching anything.
struct CleanupFacts {
  std::string self;                            // the copy's own executable
  std::string tempFolder;                      // the temporary folder (GetTempPath)
  std::vector<std::string> selfFolderEntries;  // names in the copy's folder
  std::string processImage;                    // image of process PID; "" when not running
  bool sameBytes = false;                      // FILE holds exactly the copy's bytes
};

// Folder levels the helper removes at most (an install folder is rarely more than a few deep).
inline constexpr size_t kMaxCleanupFolders = 16;

std::optional<CleanupRequest> ParseCleanupWords(const std::vector<std::string>& words);

// "" when the request may be carried out, otherwise why not (ASCII, for logs and tests).
std::string CleanupRefusal(Platform& platform, const CleanupRequest& request,
                           const CleanupFacts& facts);

}  // namespace sk
