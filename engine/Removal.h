// Removal of what an install recorded: the one routine behind the uninstaller, `setupkit
// uninstall` and the undo of a failed install.
//
// RemoveRecords walks the records in reverse order of creation and acts on each one alone:
// - a file (Kind 0) with RemoveFlag 1 is deleted (a read-only attribute is cleared first); with
//   RemoveFlag 0 it is kept;
// - a folder (Kind 1) is removed only when it is empty, so whatever the log does not name keeps
//   its folder;
// - a registry record with a value name deletes that value; without one it stands for a key the
//   install created, which is deleted only when no subkey and no named value is left in it;
// - a record of an unknown kind or root, or one naming a protected place (a drive root, the
//   Windows folder, a profile folder, a system folder itself, also under a short (8.3) name or
//   with trailing dots or blanks; a path that is not absolute, holds "." or ".." elements or
//   names a device such as NUL or COM1), is left alone.
// Nothing that the records do not name is touched. Failures never throw: each record gets an
// outcome, and failed ones carry the reason (GBK) for the summary.
//
// Ownership: borrows the Platform for the duration of the call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/PathForm.h"
#include "engine/UninstallRecorder.h"
#include "platform/Platform.h"

namespace sk {

enum class RemovalResult {
  Removed,  // it was there and is gone now
  Missing,  // it was already gone
  Kept,     // left on purpose: RemoveFlag 0, a folder or key that still holds other content
  Refused,  // a protected place or a record that cannot be attributed
  Failed,   // removal was tried and failed (in use, access denied)
};

// "removed", "missing", "kept", "refused" or "failed": the outcome in reports and logs.
const char* RemovalResultWord(RemovalResult result);

struct RemovalEntry {
  TUnInsData record;
  RemovalResult result = RemovalResult::Removed;
  std::string reason;  // GBK; why it was kept, refused or failed
};

struct RemovalReport {
  std::vector<RemovalEntry> entries;  // in the order the records were handled

  size_t Count(RemovalResult result) const;
  // Readable names (paths, "HKEY_...\key\value") of the entries with this result.
  std::vector<std::string> Names(RemovalResult result) const;
};

// Progress of a removal: the item being handled (GBK), its number counting from 1, the total.
using RemovalProgress = std::function<void(const std::string& item, int64_t position, int64_t max)>;

// The places no record may remove, taken from the running system's folders. Paths are
// compared in their long form (Platform::LongPathName), with trailing dots and blanks of each
// element dropped and ASCII case folded, as Windows resolves them; a path that Windows would
// open under another spelling than the one given is refused as well. Borrows the Platform.
class ProtectedPlaces {
 public:
  explicit ProtectedPlaces(Platform& platform);
  // Refusal reason (GBK) for a file or folder path, or "" when the path may be touched.
  std::string Check(const std::string& path) const;

 private:
  WinPathForm LongForm(const std::string& path) const;

  Platform& platform_;
  std::vector<std::string> folders_;  // folded, normalised; never removed themselves
  std::string profilesRoot_;          // folded; it and each folder directly in it are profiles
};

// Removes records[first..] in reverse order.
RemovalReport RemoveRecords(Platform& platform, const std::vector<TUnInsData>& records,
                            size_t first = 0, const RemovalProgress& progress = {});

// Readable name of a record: the path, or the root name, key path and value name.
std::string RecordName(const TUnInsData& record);
// The predefined root key of a record's Root text, when it is one of the five.
std::optional<RegRoot> RootOfRecord(const std::string& rootText);

}  // namespace sk
