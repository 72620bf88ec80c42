#include "tools/setupkit/SimulateChoices.h"

#include "platform/Encoding.h"

namespace sk::cli {

namespace {

std::string Gbk(const std::string& option, const std::string& utf8) {
  std::optional<std::string> gbk = Utf8ToGbk(utf8);
  if (!gbk) throw Error(option + ": the text has no GBK form: " + utf8);
  return *gbk;
}

bool Given(const CLI::App& app, const char* option) {
  return app.count(option) > 0;
}

}  // namespace

void AddChoiceOptions(CLI::App& app, ChoiceArgs& a) {
  app.add_option("--install-dir", a.installDir, "install folder chosen on the install-folder page");
  app.add_option("--start-menu-folder", a.startMenuFolder, "start-menu folder name chosen");
  app.add_flag("--no-start-menu", a.noStartMenu, "clear the start-menu shortcuts check box");
  auto* components =
      app.add_option("--components", a.components, "component packages to install (NAME,...)");
  app.add_flag("--no-components", a.noComponents, "install no component package")
      ->excludes(components);
  auto* desktop = app.add_flag("--desktop", a.desktop, "tick the desktop shortcut task");
  app.add_flag("--no-desktop", a.noDesktop, "clear the desktop shortcut task")->excludes(desktop);
  auto* quick = app.add_flag("--quick-launch", a.quickLaunch, "tick the quick-launch task");
  app.add_flag("--no-quick-launch", a.noQuickLaunch, "clear the quick-launch task")
      ->excludes(quick);
  app.add_flag("--no-run", a.noRun, "clear the finish page's run-the-program box");
  app.add_flag("--no-readme", a.noReadme, "clear the finish page's readme box");
}

WizardChoices ToChoices(const CLI::App& app, const ChoiceArgs& a) {
  WizardChoices c;
  if (Given(app, "--install-dir")) c.installDir = Gbk("--install-dir", a.installDir);
  if (Given(app, "--start-menu-folder"))
    c.startMenuFolder = Gbk("--start-menu-folder", a.startMenuFolder);
  if (a.noStartMenu) c.createStartMenu = false;
  if (a.noComponents) c.components = std::vector<std::string>{};
  if (Given(app, "--components")) {
    std::vector<std::string> names;
    std::stringstream list(a.components);
    for (std::string name; std::getline(list, name, ',');)
      if (!name.empty()) names.push_back(Gbk("--components", name));
    c.components = std::move(names);
  }
  if (a.desktop || a.noDesktop) c.desktop = a.desktop;
  if (a.quickLaunch || a.noQuickLaunch) c.quickLaunch = a.quickLaunch;
  c.noRun = a.noRun;
  c.noReadme = a.noReadme;
  return c;
}

}  // namespace sk::cli
