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

  void Status(const std::string& text) const {
    if (model.OnCompile) model.OnCompile("", text, -1, -1);
  }
  // True when an item with this TargetOs applies to the running system.
  bool OsMatches(const std::string& targetOs) const {
    return targetOs.empty() || targetOs == osCode;
  }
};

}  // namespace sk
