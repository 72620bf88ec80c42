// The uninstall of one product from its log: what Uninst.exe and `setupkit uninstall` run.
//
// ReadUninstallLog reads the log beside the uninstaller (its path with the last three bytes
// replaced by "log"). RunUninstall then removes, in this order: the recorded items in reverse
// order (RemoveRecords), the product's Uninstall entry (only when it names this uninstaller),
// the log. The uninstaller's own file and the folders that hold it come last: a program that is
// not running (the sandbox) has them removed by FinishUninstall; a running uninstaller hands
// the list to a copy of itself that removes them once it has ended (or the system does at the
// next restart).
//
// Errors: ReadUninstallLog throws sk::Error when the log is missing or damaged (nothing has been
// removed then). Removal itself never throws; each item has an outcome in the report.
// Ownership: the functions borrow the Platform and the log for the duration of the call.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/Removal.h"
#include "engine/UnInstall.h"

namespace sk {

struct UninstallOutcome {
  RemovalReport report;  // records, then the entry and the log
  // The uninstaller itself and, innermost first, the recorded folders that hold it: removed by
  // FinishUninstall, or by the running uninstaller's helper copy after it ends.
  std::string uninstaller;
  std::vector<std::string> foldersAfterSelf;
};

// Reads and returns the log of the uninstaller at uninstallerPath; throws Error when the log is
// missing or damaged.
std::unique_ptr<TUnInstall> ReadUninstallLog(Platform& platform,
                                             const std::string& uninstallerPath);

// Removes what the log records, then the Uninstall entry and the log file.
UninstallOutcome RunUninstall(Platform& platform, const TUnInstall& log,
                              const std::string& uninstallerPath,
                              const RemovalProgress& progress = {});

// Deletes the uninstaller file and the folders of outcome.foldersAfterSelf (each only when
// empty, stopping at the first that is not), updating the report.
void FinishUninstall(Platform& platform, UninstallOutcome& outcome);

// The product's Uninstall entry key (below HKEY_LOCAL_MACHINE), or "" for a key name that
// could name another key (empty, or holding a separator).
std::string UninstallEntryKey(const std::string& uninstallKey);

// Removes the product's Uninstall entry: its values, then the key when no subkey is left.
// When `expectedUninstaller` is not empty, an entry whose UninstallString names another
// program is left alone. Returns the outcome for the report.
RemovalEntry RemoveUninstallEntry(Platform& platform, const std::string& uninstallKey,
                                  const std::string& expectedUninstaller);

// Texts of the uninstaller (GBK): the confirmation question, the progress window's caption and
// the closing summary (the items that could not be removed, or that the product is gone, and
// a note when the uninstaller's own files are left to the next restart).
std::string UninstallQuestion(const std::string& productName);
std::string UninstallCaption(const std::string& productName);
std::string UninstallSummary(const UninstallOutcome& outcome, const std::string& productName);

}  // namespace sk
