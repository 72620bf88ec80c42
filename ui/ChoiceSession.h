// The headless setup session with answers given in advance (`setupkit simulate --install-dir
// ...`): the wizard walks its pages as in HeadlessSetupWindows, and each choice page (and the
// finish page) makes the answers that belong to it right after it filled itself.
//
// Before the wizard shows its first page, every answer is checked against the package's page
// sequence; the no-options window accepts no answers at all. An answer the package does not
// offer throws ChoiceNotOffered (ui/Choices.h) before anything is installed.
#pragma once

#include "ui/Choices.h"
#include "ui/Session.h"

namespace sk {

class ChoosingSetupWindows : public HeadlessSetupWindows {
 public:
  explicit ChoosingSetupWindows(WizardChoices choices);

  void RunInstallWindow(TCompile& model, SetupContext& context) override;
  void RunWizard(TCompile& model, SetupContext& context) override;

 private:
  WizardChoices choices_;
};

// The page classes of the package's wizard in the order it shows them.
std::vector<std::string> WizardPageClasses(const TCompile& model);

}  // namespace sk
