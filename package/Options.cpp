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

// The earlier install's folder, from its uninstall entry; "" when there is none.
std::string ReadInstallDir(const TPackage& package, const std::string& keyName) {
  auto key = package.GetPlatform().OpenKey(RegRoot::LocalMachine, kUninstallKey + keyName,
                                           /*create=*/true);
  if (!key) return {};
  auto value = key->ReadValue(kInstallDirValue);
  if (!value || value->type != RegType::String) return {};
  return value->data;
}

}  // namespace

void TCompile::EvaluateOptions() {
  SeedOptions(package_, choices_.Options);
}

void SeedFromSetting(const TCompileData& item, TInstallData& options) {
  const std::string& n = item.Name;
  const std::string& v = item.Value;
  if (n == setting::kRebootOs.name)
    options.RebootOs = v;
  else if (n == setting::kHintMsg.name)
    options.HintMsg = v;
  else if (n == setting::kBeforeHintMsg.name)
    options.BeforeHintMsg = v;
  else if (n == setting::kWebHint.name)
    options.WebHint = v;
  else if (n == setting::kDefaultHtml.name)
    options.DefaultHtml = v;
  else if (n == setting::kEnableUnIns.name)
    options.EnableUnIns = v;
}

void SeedOptions(const TPackage& package, TInstallData& Options) {
  std::vector<TCompileData*> group;
  auto GetGroupSettings = [&package](int g, std::vector<TCompileData*>& out) {
    package.GetGroupSettings(g, out);
  };

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

  if (package.Patched()) {
    Options.InstallDir = ReadInstallDir(package, package.Serial);
  } else {
    GetGroupSettings(setting::kInstallFolder, group);
    for (auto* item : group)
      if (SameTextAscii(item->Name, setting::kDefaultInstallDir.name))
        // At load time only the program-files word is known; "[Run]" is the install-folder page's.
        Options.InstallDir = ExpandPathWord(package.GetPlatform(), item->Value, std::nullopt);
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

}  // namespace sk
