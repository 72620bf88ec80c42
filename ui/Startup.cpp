#include "ui/Startup.h"

#include "package/SettingReaders.h"
#include "ui/Ui.texts.h"

namespace sk {

std::string MessageCaptionFor(const std::string& itemName) {
  return ui_text::kOpenQuote + itemName + ui_text::kWizardCaptionClose;
}

StartupInputs ReadStartupInputs(const TCompile& model) {
  StartupInputs in;
  const TPackage& package = model.Package();
  in.showLoading = ReadSwitch(package, setting::kShowLoading);
  in.showWizard = model.Choices().Options.ShowWizard;
  in.patched = model.Package().Patched();
  in.showBackground = ReadSwitch(package, setting::kShowBackground);
  in.music = ReadText(package, setting::kMusic);
  return in;
}

StartupPlan DecideStartup(const StartupInputs& in) {
  StartupPlan plan;
  if (in.showLoading) {
    plan.staging = *in.showLoading ? StagingMode::LoadingWindow : StagingMode::Direct;
  }
  if (in.showWizard == 0 || in.patched) {
    plan.window = TopWindow::InstallWindow;
    return plan;
  }
  if (in.music) plan.musicCandidate = *in.music;
  if (in.showBackground) {
    plan.window = *in.showBackground ? TopWindow::BackgroundWindow : TopWindow::Wizard;
  }
  return plan;
}

}  // namespace sk
