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
  bool replacedFile = false;  // an existing file was overwritten by this run
  bool entryWritten = false;  // the Uninstall entry was written by this run

  // Notes that the file at `path` existed before this run wrote it.
  void NoteReplacedFile(const std::string& path) {
    replaced.insert(RecordIdentity({"", path, "", 1, unins_kind::File}));
    replacedFile = true;
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
