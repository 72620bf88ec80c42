// The install pipeline: turns the loaded package model into the installed product.
//
// InstallPackage(package, choices, run, progress, setupPath) opens the package stream on
// setupPath through package.GetPlatform(), starts a fresh recorder with the records of the
// product's previous log (when its Uninstall entry vouches for it) and reads an "Ins.log" in the
// current folder when its header names the same product identifier (see LogMerge.h), then runs in
// order: install folders, files, file registrations and, unless the package is a patch, component
// setups, registry, shortcuts and (when "卸载程序" is "启用") the uninstaller, its shortcut, the
// "Ins.log" records in the product's own places, the Uninstall entry with the SHA-256 of the log's
// bytes, and the uninstall log. Progress goes to `progress` (may be empty), for this call only. The
// package is read, never changed: the run works on copies of its file and shortcut records. Of the
// choices, AppFile and ReadmeFile are pointed at their installed paths; the run's state receives
// the processes started on staged files.
//
// Errors: a package that cannot be opened, a target file that cannot be created or data that
// does not inflate throws sk::Error naming the file and the reason. Every change is made through
// a TransactionPlatform (Transaction.h) and so noted with its undo first; before the error
// leaves, the run is undone: what it created is removed, what it replaced (files with their
// dates and attributes, registry values with their types) is restored, registrations are
// unregistered; the error's text then says so (GBK). "Run after install" launches happen only
// after the last change succeeded. The stream and recorder are released on every path and no
// uninstall log is written. A damaged "Ins.log" is ignored.
//
// Target files held by another program (files and the uninstaller) are handled as `filesInUse`
// says (FilesInUse.h: ask, or retry and defer to the next restart); without it their error ends
// the run. A Cancel answer throws InstallCancelled, after the same undo.
#pragma once

#include <string>

#include "engine/Context.h"
#include "package/Compile.h"

namespace sk {

void InstallPackage(const TPackage& package, InstallChoices& choices, RunState& run,
                    const TCompileProEvent& progress, const std::string& setupPath,
                    FilesInUse* filesInUse = nullptr);
// The whole session model of a setup run: its package, choices and run state.
inline void InstallPackage(TCompile& model, const TCompileProEvent& progress,
                           const std::string& setupPath, FilesInUse* filesInUse = nullptr) {
  InstallPackage(model.Package(), model.Choices(), model.Run(), progress, setupPath, filesInUse);
}

// Pipeline steps owned here.
void CreateInstallFolders(InstallContext& ctx);
// Copies the uninstaller item(s) into the install folder, sets ctx.uninstaller and makes the
// start-menu shortcut to it.
void WriteUninstallInfo(InstallContext& ctx);
// Path of the "Ins.log" that an install merges, in the process's current folder.
std::string InsLogPath(Platform& platform);

}  // namespace sk
