#include "ui/Choices.h"

#include <algorithm>

namespace sk {

namespace {

const char kNotInSequence[] = "the package's wizard has no page for this choice";

bool Has(const std::vector<std::string>& classNames, PageId page) {
  return std::find(classNames.begin(), classNames.end(), RowOf(page).ClassName) != classNames.end();
}

}  // namespace

bool WizardChoices::Empty() const {
  return !installDir && !startMenuFolder && !createStartMenu && !components && !desktop &&
         !quickLaunch && !noRun && !noReadme;
}

void WizardChoices::CheckPages(const std::vector<std::string>& classNames) const {
  struct Need {
    bool wanted;
    const char* option;
    PageId page;
  } needs[] = {
      {startMenuFolder.has_value(), "--start-menu-folder", PageId::StartMenu},
      {createStartMenu.has_value(), "--no-start-menu", PageId::StartMenu},
      {components.has_value(),
       components && components->empty() ? "--no-components" : "--components", PageId::Components},
      {installDir.has_value(), "--install-dir", PageId::InstallFolder},
      {desktop.has_value(), desktop.value_or(true) ? "--desktop" : "--no-desktop", PageId::Tasks},
      {quickLaunch.has_value(), quickLaunch.value_or(true) ? "--quick-launch" : "--no-quick-launch",
       PageId::Tasks},
      {noRun, "--no-run", PageId::Finish},
      {noReadme, "--no-readme", PageId::Finish},
  };
  for (const Need& need : needs)
    if (need.wanted && !Has(classNames, need.page))
      throw ChoiceNotOffered(need.option, kNotInSequence);
}

void WizardChoices::ApplyTo(StartFolderPage& page) const {
  if (startMenuFolder) {
    if (!page.Editable())
      throw ChoiceNotOffered("--start-menu-folder", "the package does not let the folder change");
    page.SetFolder(*startMenuFolder);
  }
  if (createStartMenu) {
    if (!page.OptionShown())
      throw ChoiceNotOffered("--no-start-menu", "the package does not offer the start-menu option");
    page.SetCreateStartMenu(*createStartMenu);
  }
}

void WizardChoices::ApplyTo(SelComponentPage& page) const {
  if (!components) return;
  for (const std::string& name : *components) {
    const auto& rows = page.Rows();
    const bool known = std::any_of(rows.begin() + 1, rows.end(),
                                   [&](const auto& row) { return SameTextAscii(row.text, name); });
    if (!known)
      throw ChoiceNotOffered("--components", "the package has no component \"" + name + "\"", name);
  }
  page.CheckOnly(*components);
}

void WizardChoices::ApplyTo(SelectInstallDirPage& page) const {
  if (!installDir) return;
  if (!page.Editable())
    throw ChoiceNotOffered("--install-dir", "the package does not let the install folder change");
  page.SetFolder(*installDir);
}

void WizardChoices::ApplyTo(AddonsTaskPage& page) const {
  if (desktop) {
    if (!page.DesktopShown())
      throw ChoiceNotOffered(*desktop ? "--desktop" : "--no-desktop",
                             "the package does not offer a desktop shortcut");
    page.SetDesktop(*desktop);
  }
  if (quickLaunch) {
    if (!page.QuickLaunchShown())
      throw ChoiceNotOffered(*quickLaunch ? "--quick-launch" : "--no-quick-launch",
                             "the package does not offer a quick-launch shortcut");
    page.SetQuickLaunch(*quickLaunch);
  }
}

}  // namespace sk
