// The post-load evaluation that turns settings into the install options, and the two ways the
// install folder is found: the earlier install's uninstall entry (patches) or the default path
// setting with its program-files expansion.
#include "package/Compile.h"
#include "package/PathWords.h"
#include "package/SettingNames.h"
#include "package/SettingReaders.h"
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

void SeedOptions(const TPackage& package, TInstallData& options) {
  if (auto on = ReadSwitch(package, setting::kShowWizard)) options.ShowWizard = *on ? 1 : 0;
  if (auto on = ReadSwitch(package, setting::kCreateDesktop)) options.CreateDesktop = *on ? 1 : 0;
  if (auto on = ReadSwitch(package, setting::kCreateQuickLaunch))
    options.CreateQuickLaunch = *on ? 1 : 0;

  options.CreateStartMenu = 1;
  if (auto folder = ReadText(package, setting::kStartMenuFolder)) options.StartMenuFolder = *folder;

  if (package.Patched()) {
    options.InstallDir = ReadInstallDir(package, package.Serial);
  } else if (auto dir = ReadPath(package, setting::kDefaultInstallDir, std::nullopt)) {
    // At load time only the program-files word is known; "[Run]" is the install-folder page's.
    options.InstallDir = *dir;
  }

  if (auto app = ReadText(package, setting::kAppFile)) {
    options.RunAppChecked = 1;
    options.AppFile = *app;
  }
  if (auto readme = ReadText(package, setting::kReadmeFile)) {
    options.ReadmeChecked = 1;
    options.ReadmeFile = *readme;
  }
  if (auto url = ReadText(package, setting::kHomePageUrl)) {
    options.HomePageChecked = 1;
    options.HomePageUrl = *url;
  }
}

}  // namespace sk
