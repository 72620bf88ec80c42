// The startup driver of Setup.exe: loads the package from the running executable, shows the
// pre-install message (captioned with the project name), checks the whole package (before
// anything on the machine changes; a damaged file ends the run with the damaged-file message),
// stages the support files, claims the product's journal folder for the run and takes back what
// a dead run of the product left (RunRecoveryWindow; ui/Recovery.h), then runs exactly one
// top-level window. Another live setup of the product, an unusable journal folder or a damaged
// journal ends the run there, nothing installed. Every window carries its own
// caption on the taskbar, so the project name is not stored as a title of its own.
//
// Ownership: SetupDriver owns the one TCompile of the run (built on the injected Platform) and the
// SetupContext of process-wide texts; windows borrow both. The SetupWindows interface creates
// the windows (the Win32 layer in the program, a recorder in tests); each Run* call shows its
// window modally and returns when it has closed, rethrowing an error that ended its work.
//
// Errors: everything (a bad package, a failed staging or install) propagates out of Execute as
// sk::Error. Destroying the driver always deletes the staged files first.
#pragma once

#include <memory>
#include <string>

#include "package/Compile.h"
#include "package/Staging.h"
#include "platform/Platform.h"
#include "ui/Recovery.h"
#include "ui/Startup.h"

namespace sk {

class SetupWindows {
 public:
  virtual ~SetupWindows() = default;
  // The pre-install box: information icon, OK button, caption = the bare project name.
  virtual void ShowPreInstallMessage(const std::string& text, const std::string& caption) = 0;
  virtual void RunLoadingWindow(TCompile& model, SetupContext& context) = 0;     // TfrmInitIns
  virtual void RunInstallWindow(TCompile& model, SetupContext& context) = 0;     // TfrmInstall
  virtual void RunBackgroundWindow(TCompile& model, SetupContext& context) = 0;  // TfrmBackIns
  virtual void RunWizard(TCompile& model, SetupContext& context) = 0;            // TfrmParent
  // A dead run of the product taken back before any page (ui/Recovery.h): runs `work` in a
  // small progress window that asks nothing, tells what could not be taken back, and returns
  // the report. This default runs it without a window.
  virtual RecoveryReport RunRecoveryWindow(SetupContext& /*context*/, const RecoveryWork& work) {
    return work(nullptr);
  }
};

class SetupDriver {
 public:
  SetupDriver(Platform& platform, SetupWindows& windows);
  ~SetupDriver();
  SetupDriver(const SetupDriver&) = delete;
  SetupDriver& operator=(const SetupDriver&) = delete;

  void Execute();

  TCompile& Compile() { return *compile_; }
  const SetupContext& Context() const { return context_; }

 private:
  Platform& platform_;
  SetupWindows& windows_;
  std::unique_ptr<TCompile> compile_;
  SetupContext context_;
};

// Checks the whole package of the running executable (CheckSetupFile; a damaged file throws
// the damaged-file message before anything is written), then opens it for reading (others may
// read and write it) and stages the support files from it. The progress callback, when given,
// sees the check and then the staging, each from 0 to its end.
void StageFromExecutable(TCompile& model, const StagingProgress& progress = nullptr);

}  // namespace sk
