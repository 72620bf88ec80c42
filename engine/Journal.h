// The journal of an install run that survives a kill: each work item (UndoStep) is appended to
// the journal file of the product's run folder, and handed to the system, before its change is
// made, so that the next run of a setup for the same product can take back what a killed run
// left half done.
//
// Layout: the run folder (RunBackupFolder, claimed by a run through RunClaim.h) holds the
// backups "b<n>", the journal "journal" (kJournalName), held open by the run and appended to
// once per step in the order noted, and the claiming run's "lock", which recovery passes over.
// Setups of earlier versions wrote one file per step instead, "j<8 decimal digits>"; recovery
// still reads those (before the journal file, should both be there). A run that ends
// (committed or undone) first creates "ended" (kRunEndedMark), then deletes the rest: a folder
// with that mark is only cleared by the next run, nothing is taken back.
// Entry: "SKJ1", byte kind, Int32 root, then Strings path, value name, backup, stored bytes,
// Int32 stored type, Int32 attributes, byte has-time, Int64 time (Container.h encodings), "SKJE".
// In the journal file each entry follows its length (UInt32, little-endian). An entry cut short
// at the end of the journal (or a last "j<n>" file without its end mark) was being written when
// the run was killed: its change never began.
//
// Recovery (RecoverDeadRun) reads every entry first and applies nothing unless all are sound:
// at most kMaxJournalEntries entries of at most kMaxJournalEntry bytes, known kinds and roots,
// absolute paths without "." or ".." elements, backups only "b<n>" files of the run folder
// itself that exist. A delayed replacement must name a file beside its own target
// ("<target>.<suffix>"), so that no other program's pending rename is taken off the list. A damaged
// journal throws sk::Error (GBK text naming the folder) and is left untouched for the user. A sound
// one is taken back newest first; registration undo commands are not run from a journal (a file
// could name any program), they are reported. The entries, backups and folder are then removed.
// Errors: reading failures count as damage.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sk {

// engine/Transaction.h; not included here, so that window code including this header after
// <windows.h> does not see the transaction's members renamed by its A/W macros.
struct UndoStep;

constexpr size_t kMaxJournalEntries = 1000000;
constexpr size_t kMaxJournalEntry = 16u << 20;

std::string EncodeStep(const UndoStep& step);
// Throws Error naming `what` when the bytes are not one sound entry.
UndoStep DecodeStep(const std::string& bytes, const std::string& what);

// The observer for TransactionPlatform that appends each step to the run folder's journal file
// (created, and the folder with it, at the first step; held open for the run) and hands it to
// the system before the change. Throws Error when the entry cannot be written. Close lets go of
// the file (TransactionPlatform's release, before the folder is cleared); the destructor does
// too.
class JournalWriter {
 public:
  JournalWriter(Platform& platform, std::string folder);
  void operator()(const UndoStep& step);
  void Close();

 private:
  Platform& platform_;
  std::string folder_;
  std::unique_ptr<OutputStream> out_;
};

// The product's run folder, which holds the copies of what a run replaces and the journal until
// the run ends: "<common application data>\setupkit\<serial, file-name-safe>" (the legacy
// folder on a system without a common application-data folder).
std::string RunBackupFolder(Platform& platform, const std::string& serial);
// Where runs of earlier versions kept it: "<temp>\sktx-<serial, file-name-safe>".
std::string LegacyRunBackupFolder(Platform& platform, const std::string& serial);

struct RecoveryReport {
  bool found = false;                // a journal of a dead run was there
  std::vector<std::string> failed;   // steps that could not be taken back
  std::vector<std::string> skipped;  // registration undo commands not run
};

// Takes back the run left in `folder` by a process that ended without finishing (see above).
// `status` (may be empty) is called once before anything is changed.
// `stepDone` (may be empty) is called after each step taken back with (done, total).
using RecoveryProgress = std::function<void(size_t done, size_t total)>;
RecoveryReport RecoverDeadRun(Platform& platform, const std::string& folder,
                              const std::function<void()>& status = nullptr,
                              const RecoveryProgress& stepDone = nullptr);
// For an uninstaller: the product named by the log beside `uninstallerPath` (read only for its
// product identifier; a missing or unreadable log recovers nothing) has its dead runs (both
// folders) taken back, under a claim of the product's folder for the call (RunClaim.h: throws
// RunInProgress while a setup of the product runs).
RecoveryReport RecoverBeforeUninstall(Platform& platform, const std::string& uninstallerPath);

}  // namespace sk
