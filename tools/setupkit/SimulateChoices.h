// The answers to the wizard's choice pages that `setupkit simulate` takes on its command line:
// --install-dir DIR, --start-menu-folder NAME, --no-start-menu, --components NAME,... or
// --no-components, --desktop / --no-desktop, --quick-launch / --no-quick-launch, --no-run,
// --no-readme. The texts are UTF-8 on the command line and GBK in the answers.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "ui/Choices.h"

namespace sk::cli {

struct ChoiceArgs {
  std::string installDir, startMenuFolder, components;
  bool noStartMenu = false, noComponents = false, desktop = false, noDesktop = false,
       quickLaunch = false, noQuickLaunch = false, noRun = false, noReadme = false;
};

void AddChoiceOptions(CLI::App& app, ChoiceArgs& args);
// Throws sk::Error when a text has no GBK form.
WizardChoices ToChoices(const CLI::App& app, const ChoiceArgs& args);

}  // namespace sk::cli
