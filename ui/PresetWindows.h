// An interactive run of Setup.exe started with switches but without /S: the package's own
// windows, whose choice pages start from the switches (SetupContext::Preset) instead of the
// package's defaults; the user can still change them.
//
// PresetSetupWindows wraps the windows of the run. Before the wizard (or the background window
// that opens it) is shown, the choices are checked against the package's page sequence with the
// rules of the pages (ApplyChoices, ui/SwitchChoices.h): a choice the package does not offer
// throws ChoiceNotOffered and no window opens. The no-options window accepts no choices at all.
// The wrapped windows and the choices are borrowed and must outlive the wrapper.
#pragma once

#include "ui/Choices.h"
#include "ui/SetupDriver.h"

namespace sk {

class PresetSetupWindows : public SetupWindows {
 public:
  PresetSetupWindows(SetupWindows& inner, const WizardChoices& choices)
      : inner_(inner), choices_(choices) {}

  void ShowPreInstallMessage(const std::string& text, const std::string& caption) override {
    inner_.ShowPreInstallMessage(text, caption);
  }
  void RunLoadingWindow(TCompile& model, SetupContext& context) override {
    inner_.RunLoadingWindow(model, context);
  }
  RecoveryReport RunRecoveryWindow(SetupContext& context, const RecoveryWork& work) override {
    return inner_.RunRecoveryWindow(context, work);
  }
  void RunInstallWindow(TCompile& model, SetupContext& context) override;
  void RunBackgroundWindow(TCompile& model, SetupContext& context) override;
  void RunWizard(TCompile& model, SetupContext& context) override;

 private:
  void Prepare(TCompile& model, SetupContext& context);

  SetupWindows& inner_;
  const WizardChoices& choices_;
};

}  // namespace sk
