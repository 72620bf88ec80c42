// The post-load evaluation that turns settings into the install options, and the two ways the
// install folder is found: the earlier install's uninstall entry (patches) or the default path
// setting with its program-files expansion.
#include "package/Compile.h"
#include "package/PathWords.h"
#include "package/SettingNames.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kInstallDirValue = "Install Dir";

}  // namespace

void TCompile::EvaluateOptions() {
  std::vector<TCompileData*> group;

  GetGroupSettings(setting::kGeneral, group);
  for (auto* item : group)
    if (item->Name == setting::kShowWizard.name)
      Options.ShowWizard = item->Value == text::kEnabled ? 1 : 0;

  GetGroupSettings(setting::kTasks, group);
  for (auto* item : group) {
    if (SameTextAscii(item->Name, setting::kCreateDesktop.name))
      Options.CreateDesktop = item->Value == text::kEnabled ? 1 : 0;
    if (SameTextAscii(item->Name, setting::kCreateQuickLaunch.name))
      Options.CreateQuickLaunch = item->Value == text::kEnabled ? 1 : 0;
  }

  Options.CreateStartMenu = 1;
  GetGroupSettings(setting::kStartMenu, group);
  for (auto* item : group)
    if (SameTextAscii(item->Name, setting::kStartMenuFolder.name))
      Options.StartMenuFolder = item->Value;

  if (Patched()) {
    Options.InstallDir = ReadInstallDir(Serial);
  } else {
    GetGroupSettings(setting::kInstallFolder, group);
    for (auto* item : group)
      if (SameTextAscii(item->Name, setting::kDefaultInstallDir.name))
        Options.InstallDir = ResolveDefaultInstallDir(item->Value);
  }

  GetGroupSettings(setting::kFinish, group);
  for (auto* item : group) {
    if (item->Value.empty()) continue;
    if (SameTextAscii(item->Name, setting::kAppFile.name)) {
      Options.RunAppChecked = 1;
      Options.AppFile = item->Value;
    }
    if (SameTextAscii(item->Name, setting::kReadmeFile.name)) {
      Options.ReadmeChecked = 1;
      Options.ReadmeFile = item->Value;
    }
    if (SameTextAscii(item->Name, setting::kHomePageUrl.name)) {
      Options.HomePageChecked = 1;
      Options.HomePageUrl = item->Value;
    }
  }
}

std::string TCompile::ReadInstallDir(const std::string& keyName) {
  auto key = GetPlatform().OpenKey(RegRoot::LocalMachine, kUninstallKey + keyName, /*create=*/true);
  if (!key) return {};
  auto value = key->ReadValue(kInstallDirValue);
  if (!value || value->type != RegType::String) return {};
  return value->data;
}

std::string TCompile::ResolveDefaultInstallDir(const std::string& text) {
  // At load time only the program-files word is known; "[Run]" is the install-folder page's.
  return ExpandPathWord(GetPlatform(), text, std::nullopt);
}

}  // namespace sk
