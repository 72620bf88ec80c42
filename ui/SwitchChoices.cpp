#include "ui/SwitchChoices.h"

#include <algorithm>

#include "ui/ChoiceSession.h"

namespace sk {

namespace {

bool Has(const std::vector<std::string>& names, const char* name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The switch that carries each answer of WizardChoices (option names as ui/Choices.h spells
// them).
const char* SwitchOf(const std::string& option) {
  struct Pair {
    const char* option;
    const char* name;
  } static constexpr kPairs[] = {
      {"--install-dir", "D"},
      {"--start-menu-folder", "GROUP"},
      {"--no-start-menu", "NOSTARTMENU"},
      {"--components", "COMPONENTS"},
      {"--no-components", "COMPONENTS"},
      {"--desktop", "TASKS"},
      {"--no-desktop", "TASKS"},
      {"--quick-launch", "TASKS"},
      {"--no-quick-launch", "TASKS"},
  };
  for (const Pair& p : kPairs)
    if (option == p.option) return p.name;
  return nullptr;
}

// The page fills itself from the package as on a visit, then takes its answers.
template <typename Page, typename... Args>
void Visit(TCompile& model, const WizardChoices& choices, const std::vector<std::string>& classes,
           const char* className, const Args&... args) {
  if (!Has(classes, className)) return;
  Page page(args...);
  page.Load(&model);
  choices.ApplyTo(page);
}

}  // namespace

WizardChoices ChoicesFromSwitches(const SetupSwitches& s) {
  WizardChoices c;
  c.installDir = s.installDir;
  c.startMenuFolder = s.group;
  if (s.noStartMenu) c.createStartMenu = false;
  c.components = s.components;
  c.desktop = s.desktop;
  c.quickLaunch = s.quickLaunch;
  return c;
}

std::vector<std::string> ChoicePageClasses(const TCompile& model) {
  const TopWindow window = DecideStartup(ReadStartupInputs(model)).window;
  if (window == TopWindow::Wizard || window == TopWindow::BackgroundWindow)
    return WizardPageClasses(model);
  return {};
}

void ApplyChoices(TCompile& model, const SetupContext& context, const WizardChoices& choices,
                  const std::vector<std::string>& pageClasses) {
  choices.CheckPages(pageClasses);
  // In wizard order: the component page sets the size the install-folder page shows.
  Visit<StartFolderPage>(model, choices, pageClasses, "TfrmStartFolder");
  Visit<SelComponentPage>(model, choices, pageClasses, "TfrmSelComponent");
  Visit<SelectInstallDirPage>(model, choices, pageClasses, "TfrmSelectInstallDir", context);
  Visit<AddonsTaskPage>(model, choices, pageClasses, "TfrmAddonsTask");
}

std::string NotOfferedMessage(const ChoiceNotOffered& refusal, const SetupSwitches& switches) {
  const char* name = SwitchOf(refusal.Option());
  auto spelled = name ? switches.spelled.find(name) : switches.spelled.end();
  const std::string word = spelled != switches.spelled.end() ? spelled->second : refusal.Option();
  if (!refusal.Item().empty())
    return BadSwitchMessage(word, switch_text::kNoSuchComponent + refusal.Item());
  return BadSwitchMessage(word, switch_text::kNotOffered);
}

}  // namespace sk
