// Uninst.exe's runs started with switches, in portable code: the silent removal (/S) and the
// record of a removal in the /LOG= file.
//
// SilentUninstall reads the log beside `uninstaller` as an interactive run does (a missing,
// damaged or unvouched log removes nothing), asks nothing, shows nothing, and removes the
// product (RunUninstall). It never throws; the result carries the exit code of
// engine/ExitCodes.h — kSuccess, kInstallFailed when an item could not be removed (in use,
// access denied), kDamagedPackage for a log it may not act on — the error text (GBK), and the
// outcome whose uninstaller and folders the caller removes after the process has ended.
#pragma once

#include <optional>
#include <string>

#include "engine/Uninstaller.h"
#include "platform/Platform.h"
#include "ui/RunLog.h"

namespace sk {

struct UninstallRunResult {
  int code = 0;
  std::string message;                      // GBK; empty when the removal ran
  std::optional<UninstallOutcome> outcome;  // set when the removal ran
};

UninstallRunResult SilentUninstall(Platform& platform, const std::string& uninstaller, RunLog& log);

// The log that Uninst.exe reads, with the first message of an interactive run for a log it may
// not act on; throws sk::Error (the message) then.
std::unique_ptr<UninstallRecorder> ReadLogOrExplain(Platform& platform, const std::string& uninstaller);

// kInstallFailed when an item could not be removed, else kSuccess.
int RemovalExitCode(const UninstallOutcome& outcome);
// One line per item: its outcome (RemovalResultWord), its name and why.
void LogRemoval(RunLog& log, const RemovalReport& report);

}  // namespace sk
