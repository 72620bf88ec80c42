// The pipeline context of one install run: what every step of InstallPackage reads.
//
// Ownership: borrows the model, the platform, the open package stream and the recorder; all are
// owned by InstallPackage and outlive the context. Status() sends a status-only progress call
// (empty FileName, Position = Max = -1) when the model has a handler.
#pragma once

#include <string>
#include <unordered_set>

#include "engine/UnInstall.h"
#include "package/Compile.h"
#include "platform/Platform.h"

namespace sk {

struct InstallContext {
  TCompile& model;
  Platform& platform;
  InputStream& package;     // the setup file, source of all file data
  TUnInstall& recorder;     // collects everything the run creates
  std::string osCode;       // OS version code, computed once at the start
  std::string windowsDir;   // the Windows folder, no trailing backslash
  std::string uninstaller;  // set by WriteUninstallInfo; empty until then
  // File items that InstallFiles placed (written or kept); later steps act only on these.
  std::unordered_set<const TCompileFileData*> placed;
  // Identities (RecordIdentity) of recorded items that existed before this run wrote them:
  // the undo of a failed install leaves these as they are now.
  std::unordered_set<std::string> replaced;
  bool replacedFile = false;  // a file that existed before this run was overwritten by it
  bool entryWritten = false;  // the Uninstall entry was written by this run
  // Identities of the files this run has opened for writing so far.
  std::unordered_set<std::string> written;

  // Notes that the file at `path`, which existed when it was opened for writing, is being
  // overwritten. A file this run wrote before (a package that names it twice) was not there
  // before the run: it stays the run's own.
  void NoteReplacedFile(const std::string& path) {
    std::string id = RecordIdentity({"", path, "", 1, unins_kind::File});
    if (written.count(id)) return;
    replaced.insert(std::move(id));
    replacedFile = true;
  }
  void NoteWrittenFile(const std::string& path) {
    written.insert(RecordIdentity({"", path, "", 1, unins_kind::File}));
  }

  void Status(const std::string& text) const {
    if (model.OnCompile) model.OnCompile("", text, -1, -1);
  }
  // True when an item with this TargetOs applies to the running system.
  bool OsMatches(const std::string& targetOs) const {
    return targetOs.empty() || targetOs == osCode;
  }
};

}  // namespace sk
