#include "ui/Startup.h"

#include "ui/Ui.texts.h"

namespace sk {

std::string MessageCaptionFor(const std::string& itemName) {
  return ui_text::kOpenQuote + itemName + ui_text::kWizardCaptionClose;
}

const TCompileData* FindSetting(const TCompile& model, const std::string& name) {
  for (const auto& item : model.Package().InfoList()) {
    if (item->Group == 0 && SameTextAscii(item->Name, name)) return item.get();
  }
  return nullptr;
}

namespace {
std::optional<std::string> ValueOf(const TCompile& model, const std::string& name) {
  const TCompileData* item = FindSetting(model, name);
  if (!item) return std::nullopt;
  return item->Value;
}
}  // namespace

StartupInputs ReadStartupInputs(const TCompile& model) {
  StartupInputs in;
  in.showLoading = ValueOf(model, setting::kShowLoading.name);
  in.showWizard = model.Choices().Options.ShowWizard;
  in.patched = model.Package().Patched();
  in.showBackground = ValueOf(model, setting::kShowBackground.name);
  in.music = ValueOf(model, setting::kMusic.name);
  return in;
}

StartupPlan DecideStartup(const StartupInputs& in) {
  StartupPlan plan;
  if (in.showLoading) {
    plan.staging =
        *in.showLoading == text::kEnabled ? StagingMode::LoadingWindow : StagingMode::Direct;
  }
  if (in.showWizard == 0 || in.patched) {
    plan.window = TopWindow::InstallWindow;
    return plan;
  }
  if (in.music) plan.musicCandidate = *in.music;
  if (in.showBackground) {
    plan.window =
        *in.showBackground == text::kEnabled ? TopWindow::BackgroundWindow : TopWindow::Wizard;
  }
  return plan;
}

}  // namespace sk
