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
// ReadUninstallLog acts only on a log the install can be shown to have written: it reads the
// file's bytes once, parses them and requires the product's Uninstall entry (named by the log's
// UninstallKey, below HKEY_LOCAL_MACHINE, which only administrators may change) to name this
// uninstaller and to hold the SHA-256 of exactly those bytes. The log sits in the install
// folder, which others may be able to write; the entry does not.
//
// Errors: ReadUninstallLog throws sk::Error when the log is missing or damaged, and
// UntrustedLogError when the entry does not vouch for it (nothing has been removed then). Removal
// itself never throws; each item has an outcome in the report. Ownership: the functions borrow the
// Platform and the log for the duration of the call.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/Removal.h"
#include "engine/UninstallRecorder.h"

namespace sk {

// A log that no Uninstall entry vouches for: there is none for its product, it names another
// uninstaller, it holds no digest (an install of an older version) or another one. The message
// starts with uninstall_text::kUntrustedLog.
class UntrustedLogError : public Error {
 public:
  using Error::Error;
};

struct UninstallOutcome {
  RemovalReport report;  // records, then the entry and the log
  // The uninstaller itself and, innermost first, the recorded folders that hold it: removed by
  // FinishUninstall, or by the running uninstaller's helper copy after it ends.
  std::string uninstaller;
  std::vector<std::string> foldersAfterSelf;
};

// Reads and returns the log of the uninstaller at uninstallerPath; throws Error when the log is
// missing or damaged, UntrustedLogError when its Uninstall entry does not vouch for it.
std::unique_ptr<UninstallRecorder> ReadUninstallLog(Platform& platform,
                                                    const std::string& uninstallerPath);

// True when two file paths are the same path: "/" taken as a backslash, ASCII letters folded.
bool SameFilePath(const std::string& a, const std::string& b);

// The program path of an UninstallString: the whole text, or its quoted first part.
std::string ProgramOfCommand(const std::string& command);

// Removes what the log records, then the Uninstall entry and the log file.
UninstallOutcome RunUninstall(Platform& platform, const UninstallRecorder& log,
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
