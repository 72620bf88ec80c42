// Per-file actions after the files are written: COM registration, service installation, the
// machine-wide Run value and one-time launches. Commands are started and not waited for; none
// is recorded for uninstall, but each registration notes its undo command with the run's
// transaction ("regsvr32 /u /s", "<path> -Uninstall"). Launches are only collected here
// (ctx.launches): InstallPackage starts them after the last change. Only file items that the
// file step placed are acted on.
//
// Command lines: "<regsvr32 of the DLL's bitness>\regsvr32.exe /s "<path>"" (SystemViews.h) and
// "<path> -Install"; the Run
// value's data is the path. System programs are started by full path (not by a bare name that
// the search order could resolve beside the setup), and a program path holding a blank is put
// in double quotes, in the command lines and in the Run value alike.
// No errors: a command that cannot be started or a Run key that cannot be opened is passed over.
#pragma once

#include <string>

#include "engine/Context.h"

namespace sk {

void RegisterFiles(InstallContext& ctx);

// The regsvr32 command line that registers (or, with unregister, unregisters) the COM server at
// `path`; "" when no regsvr32 of its bitness is known.
std::string ComServerCommand(Platform& platform, const std::string& path, bool unregister);
// "<path> -Install", or "<path> -Uninstall" for the undo.
std::string ServiceCommand(const std::string& path, bool uninstall);
void RegisterComServer(Platform& platform, const std::string& path);
void InstallServiceProgram(Platform& platform, const std::string& path);
void SetAutoRun(Platform& platform, const std::string& name, const std::string& path);
void LaunchProgram(Platform& platform, const std::string& path);

}  // namespace sk
