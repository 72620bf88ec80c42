#include "ui/PresetWindows.h"

#include "ui/SwitchChoices.h"

namespace sk {

void PresetSetupWindows::RunInstallWindow(TCompile& model, SetupContext& context) {
  choices_.CheckPages({});
  inner_.RunInstallWindow(model, context);
}

void PresetSetupWindows::RunBackgroundWindow(TCompile& model, SetupContext& context) {
  Prepare(model, context);
  inner_.RunBackgroundWindow(model, context);
}

void PresetSetupWindows::RunWizard(TCompile& model, SetupContext& context) {
  Prepare(model, context);
  inner_.RunWizard(model, context);
}

void PresetSetupWindows::Prepare(TCompile& model, SetupContext& context) {
  // The check runs the pages' logic over the model; the wizard's pages fill it again from the
  // package and the preset when they are shown, so nothing of the check stays.
  ApplyChoices(model, context, choices_, ChoicePageClasses(model));
  context.Preset = &choices_;
}

}  // namespace sk
