// Setup.exe's silent run (/S) without any window, on whatever Platform it is given: the same
// startup driver (SetupDriver) as an interactive run — load, package check, staging, the choice of
// window — with every window replaced by the install itself.
//
// The pre-install message is not shown (it is logged). Whatever window the package would open
// (the wizard, the background window, the no-options window), the install runs with the choices
// the wizard's pages would make with Next on every page, changed by the switches
// (ui/SwitchChoices.h); no completion action runs (no program started, no document or page
// opened, no start page set, no closing message) and nothing restarts: a package that wants a
// restart ends with exit_code::kRebootNeeded. A target file held by another program is tried
// again for about five seconds, then written beside the target and put in place at the next
// restart (engine/FilesInUse.h): the run logs it and also ends with kRebootNeeded. A package that
// opens no window installs nothing, as it does interactively.
//
// RunSilentSetup never throws: every outcome is an exit code of engine/ExitCodes.h, and the log
// gets the recovery of a dead run of the product ("recovery: ..." lines, each change it could
// not take back), the package, each choice, each step and file, the error (whose text says what was
// undone) and the exit code.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "ui/RunLog.h"
#include "ui/SetupDriver.h"
#include "ui/Switches.h"

namespace sk {

class SilentSetupWindows : public SetupWindows {
 public:
  SilentSetupWindows(const SetupSwitches& switches, RunLog& log);

  void ShowPreInstallMessage(const std::string& text, const std::string& caption) override;
  void RunLoadingWindow(TCompile& model, SetupContext& context) override;
  void RunInstallWindow(TCompile& model, SetupContext& context) override;
  void RunBackgroundWindow(TCompile& model, SetupContext& context) override;
  void RunWizard(TCompile& model, SetupContext& context) override;
  // Logs the recovery, each change it could not take back and its end.
  RecoveryReport RunRecoveryWindow(SetupContext& context, const RecoveryWork& work) override;

  bool InstallStarted = false;
  bool Installed = false;
  bool RebootNeeded = false;
  // Sees every progress event of the install too (may be empty).
  TCompileProEvent OnProgress;

 private:
  void Install(TCompile& model, const SetupContext& context,
               const std::vector<std::string>& pageClasses);

  const SetupSwitches& switches_;
  RunLog& log_;
};

struct SilentRunOptions {
  // The caller has itself checked the very bytes the run reads (`setupkit simulate`).
  bool packageChecked = false;
  // Sees every progress event of the install (the install plan notes the files placed).
  TCompileProEvent onProgress;
};

struct SilentOutcome {
  int code = 0;         // engine/ExitCodes.h
  std::string message;  // the error that ended the run (GBK); empty on success
};

// Runs the driver silently with `switches` (which must be valid).
SilentOutcome RunSilentSetup(Platform& platform, const SetupSwitches& switches, RunLog& log,
                             const SilentRunOptions& options = {});

}  // namespace sk
