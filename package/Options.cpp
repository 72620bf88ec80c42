// The post-load evaluation that turns settings into the install options, and the two ways the
// install folder is found: the earlier install's uninstall entry (patches) or the default path
// setting with its program-files expansion.
#include "package/Compile.h"
#include "platform/SystemHelpers.h"

namespace sk {

namespace {

const std::string kShowWizard = "\xCF\xD4\xCA\xBE\xB0\xB2\xD7\xB0\xBD\xE7\xC3\xE6";  // 显示安装界面
// 创建桌面快捷方式
const std::string kCreateDesktop =
    "\xB4\xB4\xBD\xA8\xD7\xC0\xC3\xE6\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD";
// 创建快速启栏快捷方式
const std::string kCreateQuickLaunch =
    "\xB4\xB4\xBD\xA8\xBF\xEC\xCB\xD9\xC6\xF4\xC0\xB8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD";
// 默认文件夹名称
const std::string kStartMenuFolder = "\xC4\xAC\xC8\xCF\xCE\xC4\xBC\xFE\xBC\xD0\xC3\xFB\xB3\xC6";
const std::string kDefaultInstallDir =
    "\xC4\xAC\xC8\xCF\xB0\xB2\xD7\xB0\xC2\xB7\xBE\xB6";  // 默认安装路径
const std::string kAppFile = "\xD3\xA6\xD3\xC3\xB3\xCC\xD0\xF2\xCE\xC4\xBC\xFE";  // 应用程序文件
const std::string kReadmeFile = "Readme\xCE\xC4\xBC\xFE";                         // Readme文件
const std::string kHomePageUrl =
    "\xC4\xAC\xC8\xCF\xD6\xF7\xD2\xB3\xC1\xB4\xBD\xD3";  // 默认主页链接

const std::string kProgramFilesWord = "[System ProgramFiles]";
const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kInstallDirValue = "Install Dir";

}  // namespace

void TCompile::EvaluateOptions() {
  std::vector<TCompileData*> group;

  GetGroupSettings(0, group);
  for (auto* item : group)
    if (item->Name == kShowWizard) Options.ShowWizard = item->Value == text::kEnabled ? 1 : 0;

  GetGroupSettings(9, group);
  for (auto* item : group) {
    if (SameTextAscii(item->Name, kCreateDesktop))
      Options.CreateDesktop = item->Value == text::kEnabled ? 1 : 0;
    if (SameTextAscii(item->Name, kCreateQuickLaunch))
      Options.CreateQuickLaunch = item->Value == text::kEnabled ? 1 : 0;
  }

  Options.CreateStartMenu = 1;
  GetGroupSettings(6, group);
  for (auto* item : group)
    if (SameTextAscii(item->Name, kStartMenuFolder)) Options.StartMenuFolder = item->Value;

  if (Patched()) {
    Options.InstallDir = ReadInstallDir(Serial);
  } else {
    GetGroupSettings(8, group);
    for (auto* item : group)
      if (SameTextAscii(item->Name, kDefaultInstallDir))
        Options.InstallDir = ResolveDefaultInstallDir(item->Value);
  }

  GetGroupSettings(12, group);
  for (auto* item : group) {
    if (item->Value.empty()) continue;
    if (SameTextAscii(item->Name, kAppFile)) {
      Options.RunAppChecked = 1;
      Options.AppFile = item->Value;
    }
    if (SameTextAscii(item->Name, kReadmeFile)) {
      Options.ReadmeChecked = 1;
      Options.ReadmeFile = item->Value;
    }
    if (SameTextAscii(item->Name, kHomePageUrl)) {
      Options.HomePageChecked = 1;
      Options.HomePageUrl = item->Value;
    }
  }
}

std::string TCompile::ReadInstallDir(const std::string& keyName) {
  auto key = platform_.OpenKey(RegRoot::LocalMachine, kUninstallKey + keyName, /*create=*/true);
  if (!key) return {};
  auto value = key->ReadValue(kInstallDirValue);
  if (!value || value->type != RegType::String) return {};
  return value->data;
}

std::string TCompile::ResolveDefaultInstallDir(const std::string& text) {
  auto pieces = SplitText(text, "\\");
  if (pieces.empty() || !SameTextAscii(pieces[0], kProgramFilesWord)) return text;
  std::string result = GetProgramFilesFolder(platform_);
  for (size_t i = 1; i < pieces.size(); ++i) result += "\\" + pieces[i];
  return result;
}

}  // namespace sk
