// The setup session without windows: the SetupWindows that `setupkit simulate` hands to the
// startup driver (SetupDriver, ui/SetupDriver.h), so that a simulated run takes exactly the
// decisions of Setup.exe — load, pre-install message, staging, the choice of window, the install
// and the completion actions — on whatever Platform the driver was given.
//
// The windows are replaced by their portable logic: the loading window stages, the no-options
// window installs and runs its reduced actions, the wizard walks its pages with the package's
// defaults (Next on every page, then Finish), the background window runs the wizard. Message
// boxes are reported through OnMessage (the start-up recovery of a dead run as a message before
// it runs); every question is answered No (so nothing reboots
// and the quit question keeps the wizard open). Errors propagate as in Setup.exe.
#pragma once

#include <functional>
#include <string>

#include "ui/SetupDriver.h"
#include "ui/Wizard.h"

namespace sk {

// The pages the headless wizard creates by class name; a null factory creates no page.
using HeadlessPageRegistry = ClassRegistry<WizardPage, SetupContext&>;
void RegisterHeadlessPages(HeadlessPageRegistry& registry);

// The no-options window's work: InstallPackage on the executable, then run AppFile and open
// ReadmeFile when checked. `progress` sees the install's events during this call only.
void InstallWithoutWizard(TCompile& model, const TCompileProEvent& progress);

class HeadlessSetupWindows : public SetupWindows {
 public:
  enum class Box { PreInstall, Info, Question };
  // kind, caption, text (GBK)
  std::function<void(Box, const std::string&, const std::string&)> OnMessage;
  // Every progress event of the install, as the pipeline sends it.
  TCompileProEvent OnEvent;

  HeadlessSetupWindows();

  void ShowPreInstallMessage(const std::string& text, const std::string& caption) override;
  void RunLoadingWindow(TCompile& model, SetupContext& context) override;
  void RunInstallWindow(TCompile& model, SetupContext& context) override;
  void RunBackgroundWindow(TCompile& model, SetupContext& context) override;
  void RunWizard(TCompile& model, SetupContext& context) override;
  // Reports the recovery as a message before it runs, and what it left as another.
  RecoveryReport RunRecoveryWindow(SetupContext& context, const RecoveryWork& work) override;

  // What happened: the window that ran (none / install / wizard) and whether the install ran.
  std::string WindowRun;
  bool Installed = false;
  std::vector<std::string> PagesShown;  // class names, in the order shown

 protected:
  HeadlessPageRegistry& Pages() { return pages_; }

 private:
  void Report(Box box, const std::string& caption, const std::string& text) {
    if (OnMessage) OnMessage(box, caption, text);
  }
  HeadlessPageRegistry pages_;
};

}  // namespace sk
