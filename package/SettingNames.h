// The vocabulary of the package settings: every setting name the system reads or writes, with
// the group that carries it and what its value means, and the wizard's page list.
//
// Names are GBK bytes exactly as stored in the package. Each row is a named constant that says
// where the setting lives (its group), how its name is matched (byte for byte or with ASCII-only
// case folding), which of several items of that name counts (the first or the last) and what its
// value is. The readers of package/SettingReaders.h take a row and apply exactly that; the load,
// the option evaluation, the startup driver, the pages, the manifest reader and the tests all
// spell a setting through these rows, never on their own. A new setting is one row here plus its
// entry in AllSettingNames(); the rows are defined in SettingNames.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/Package.texts.h"

namespace sk {

// How an item's name is compared with a row's name.
enum class NameMatch : uint8_t { Exact, AsciiCaseFolded };
// Which item counts when a group holds the name more than once.
enum class Occurrence : uint8_t { First, Last };
// What the value is, and so which reader reads it.
enum class ValueType : uint8_t {
  Text,          // any text, empty included
  OptionalText,  // a text; an empty value counts as no item
  Switch,        // "启用" (byte for byte) is on, any other text off
  Boolean,       // a number (non-zero is true) or True/False, ASCII case-insensitive
  Path,          // a folder that may begin with a path word (package/PathWords.h)
  File,          // a file; only an item naming an existing file counts
};

struct SettingName {
  int group;            // the group that carries it; setting::kAnyGroup: read in every group
  std::string name;     // GBK
  const char* meaning;  // what the value says
  NameMatch match = NameMatch::AsciiCaseFolded;
  Occurrence occurrence = Occurrence::Last;
  ValueType type = ValueType::Text;
};

// The two values of a switch, text::kEnabled and text::kDisabled (package/Package.texts).
// Readers test for kEnabled byte for byte; any other text is off, and kDisabled is the one
// writers use.

namespace setting {

// Setting groups: which part of the setup reads an item. Group 4 is not used.
constexpr int kAnyGroup = -1;
constexpr uint8_t kGeneral = 0;
constexpr uint8_t kPageList = 1;
constexpr uint8_t kWelcome = 2;
constexpr uint8_t kAgreement = 3;
constexpr uint8_t kNotes = 5;
constexpr uint8_t kStartMenu = 6;
constexpr uint8_t kComponents = 7;
constexpr uint8_t kInstallFolder = 8;
constexpr uint8_t kTasks = 9;
constexpr uint8_t kReady = 10;
constexpr uint8_t kProgress = 11;
constexpr uint8_t kFinish = 12;
constexpr uint8_t kLastGroup = 12;

// True for the groups that some part of the setup reads (0 to 12 except 4).
constexpr bool IsReadGroup(int64_t group) {
  return group >= kGeneral && group <= kLastGroup && group != 4;
}

// ---- picked up by the load in any group (byte for byte) ----
extern const SettingName kItemName;
extern const SettingName kAuthor;
extern const SettingName kVersion;
extern const SettingName kUrl;
extern const SettingName kPatch;
// 安装完成后，重启操作系统
extern const SettingName kRebootOs;
// 安装完成后弹出信息提示
extern const SettingName kHintMsg;
// 安装前弹出信息提示
extern const SettingName kBeforeHintMsg;
// 安装完成后弹出网页链接
extern const SettingName kWebHint;
// 安装完成后设置IE默认主页
extern const SettingName kDefaultHtml;
extern const SettingName kEnableUnIns;

// ---- general settings (group 0) ----
extern const SettingName kShowWizard;
extern const SettingName kShowLoading;
extern const SettingName kShowBackground;
extern const SettingName kMusic;
extern const SettingName kBackgroundPicture;
// Written by other package writers; the setup runtime ignores them.
extern const SettingName kCompressionType;
extern const SettingName kSetupIcon;
extern const SettingName kUninstallerIcon;

// ---- page list (group 1): one switch per optional page, in wizard order ----
extern const SettingName kPageWelcome;
extern const SettingName kPageAgreement;
extern const SettingName kPageNotes;
// 选择开始菜单文件夹
extern const SettingName kPageStartMenu;
extern const SettingName kPageComponents;
extern const SettingName kPageInstallFolder;
extern const SettingName kPageTasks;
extern const SettingName kPageReady;
extern const SettingName kPageProgress;
extern const SettingName kPageFinish;

// Words that several pages use under their own group: kHeaderPictureName and kPictureName of
// package/Package.texts.

// ---- welcome page (group 2) ----
extern const SettingName kWelcomePicture;
extern const SettingName kWelcomeCompany;
extern const SettingName kWelcomeWebsite;

// ---- agreement page (group 3) ----
extern const SettingName kAgreementHeader;
extern const SettingName kAgreementFile;

// ---- explanation page (group 5) ----
extern const SettingName kNotesHeader;
extern const SettingName kNotesFile;

// ---- start-menu folder page (group 6) ----
extern const SettingName kStartMenuHeader;
extern const SettingName kStartMenuFolder;
// 允许用户修改文件夹名称
extern const SettingName kStartMenuAllowChange;
extern const SettingName kStartMenuShowOption;

// ---- component page (group 7) ----
extern const SettingName kComponentsHeader;

// ---- install folder page (group 8) ----
extern const SettingName kInstallFolderHeader;
extern const SettingName kDefaultInstallDir;
// 允许用户修改安装路径
extern const SettingName kInstallFolderAllowChange;
extern const SettingName kSearchKeywords;

// ---- additional-tasks page (group 9) ----
extern const SettingName kTasksHeader;
extern const SettingName kCreateDesktop;
// 创建快速启栏快捷方式
extern const SettingName kCreateQuickLaunch;

// ---- ready page (group 10) ----
extern const SettingName kReadyHeader;

// ---- progress page (group 11) ----
extern const SettingName kProgressHeader;
extern const SettingName kShowDetails;

// ---- finish page (group 12) ----
extern const SettingName kFinishPicture;
extern const SettingName kAppFile;
extern const SettingName kReadmeFile;
extern const SettingName kHomePageUrl;

}  // namespace setting

// An optional wizard page: its switch in the page list and the group of its own settings.
struct WizardPageSwitch {
  const SettingName* listItem;
  uint8_t group;
};

// The ten optional pages in wizard order.
const std::vector<WizardPageSwitch>& WizardPages();

// Every row above, general settings first, then the page list and the pages in group order.
const std::vector<const SettingName*>& AllSettingNames();

}  // namespace sk
