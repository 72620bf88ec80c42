// Per-file actions after the files are written: COM registration, service installation, the
// machine-wide Run value and one-time launches. Commands are started and not waited for; none
// is recorded for uninstall. Only file items that the file step placed are acted on.
// No errors: a command that cannot be started or a Run key that cannot be opened is passed over.
#pragma once

#include <string>

#include "engine/Context.h"

namespace sk {

void RegisterFiles(InstallContext& ctx);

void RegisterComServer(Platform& platform, const std::string& path);
void InstallServiceProgram(Platform& platform, const std::string& path);
void SetAutoRun(Platform& platform, const std::string& name, const std::string& path);
void LaunchProgram(Platform& platform, const std::string& path);

}  // namespace sk
