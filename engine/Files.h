// File installation: writes every file item of Kind 0 that applies to the running system into
// its target folder, points the model's references at the installed path, records it for
// uninstall and stamps its date. A file that existed before, outside the product's folders and
// not the product's own from an earlier install (see ProductTerritory), is recorded to be kept.
//
// A target held by another program is handled as the run's FilesInUse says (FilesInUse.h): a
// skipped file is not recorded; a deferred one is recorded under its target's name.
//
// Errors: a target file that cannot be created or data that does not inflate throws sk::Error
// naming the target and the reason (the system's error code kept); the partly written target is
// removed and the install ends.
// Folder creation and date failures are passed over.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/Context.h"

namespace sk {

void InstallFiles(InstallContext& ctx);

// Creates (or truncates) `target` and inflates the item's data region into it. On failure the
// partial file is removed and sk::Error names the target and the reason. With `dateTime` (a
// day-count date-time, local time) the file gets that last-write time as SetFileWriteTime gives
// it, through the stream when the platform allows; a date outside the encodable range, or a time
// that cannot be set, leaves the file's own time.
void ExtractToFile(InstallContext& ctx, const TCompileFileData& item, const std::string& target,
                   std::optional<double> dateTime = std::nullopt);

// Points shortcut targets and icons at the installed paths of their files. Every reference is
// indexed once by its case-folded text, so placing thousands of files costs a lookup each, not
// a pass over every shortcut. Borrows the shortcut records (they must stay in place).
class ShortcutReferences {
 public:
  explicit ShortcutReferences(std::vector<TShotCutData>& links);
  // Points targets and icons equal to oldPath (ASCII case-insensitive) at newPath.
  void Retarget(const std::string& oldPath, const std::string& newPath);

 private:
  std::unordered_map<std::string, std::vector<std::string*>> byPath_;  // folded text -> fields
};

// The local FILETIME (100 ns since 1601-01-01) of a day-count date-time (days since 1899-12-30),
// at the two-second resolution of the DOS date/time encoding. nullopt outside 1980-2107 or for a
// value that is not a finite number.
std::optional<int64_t> DateTimeToLocalFileTime(double dateTime);

}  // namespace sk
