// The claim of one run on its product's journal folder, and recovery of the runs that died
// holding it.
//
// The folder (RunBackupFolder, Journal.h) is "<common application data>\setupkit\<product id,
// file-name-safe>", a folder of the machine rather than of the user who runs the setup. Runs of
// earlier versions kept it in "<user temp>\sktx-<id>" (LegacyRunBackupFolder); a journal left
// there is still recovered, with the same checks.
//
// ClaimProductRun creates the folder when missing and holds "<folder>\lock" without sharing
// (Platform::HoldFile) for the claim's life: the system lets go of it when the process ends, a
// kill included, so a lock that can be taken means that no live run holds the folder. Errors,
// each an sk::Error with a GBK text, the machine unchanged:
//   - RunInProgress: another live run of the product holds the lock;
//   - the folder (or its "setupkit" parent) exists but is not a plain folder (a link or a
//     file), or cannot be created or written: the text names the folder and the reason.
// Destroying the claim lets go of the lock (deleting it) and removes the folder, then the
// "setupkit" folder, when empty.
//
// DeadRunWaiting tells whether either folder holds anything a dead run left; RecoverProductRuns
// takes back the old folder's run, then the new one's (RecoverDeadRun, Journal.h), and should
// be called only while the claim is held. Both throw what RecoverDeadRun throws.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/Journal.h"
#include "platform/Platform.h"

namespace sk {

// The lock file of a run folder (never a journal entry).
inline constexpr char kRunLockName[] = "lock";

// Another run of the same product is going on.
class RunInProgress : public Error {
 public:
  using Error::Error;
};

std::unique_ptr<FileHold> ClaimProductRun(Platform& platform, const std::string& serial);
bool DeadRunWaiting(Platform& platform, const std::string& serial);
RecoveryReport RecoverProductRuns(Platform& platform, const std::string& serial,
                                  const std::function<void()>& status = nullptr,
                                  const RecoveryProgress& stepDone = nullptr);

}  // namespace sk
