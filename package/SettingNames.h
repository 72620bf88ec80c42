// The vocabulary of the package settings: every setting name the system reads or writes, with
// the group that carries it and what its value means, and the wizard's page list.
//
// Names are GBK bytes exactly as stored in the package. Each row is a named constant; the load,
// the option evaluation, the startup driver, the pages, the manifest reader and the tests all
// spell a name through these constants, never on their own. A new setting is one row here plus
// its entry in AllSettingNames().
//
// How a name is compared (byte for byte or ASCII case-insensitively) is the reader's business and
// stays with the reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sk {

struct SettingName {
  int group;            // the group that carries it; setting::kAnyGroup: read in every group
  std::string name;     // GBK
  const char* meaning;  // what the value says
};

// The two values of a switch. Readers test for kEnabled byte for byte; any other text is off,
// and kDisabled is the one writers use.
namespace text {
inline const std::string kEnabled = "\xC6\xF4\xD3\xC3";           // 启用
inline const std::string kDisabled = "\xB2\xBB\xC6\xF4\xD3\xC3";  // 不启用
}  // namespace text

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
inline const SettingName kItemName{kAnyGroup, "\xCF\xEE\xC4\xBF\xC3\xFB\xB3\xC6",  // 项目名称
                                   "project name"};
inline const SettingName kAuthor{kAnyGroup, "\xD7\xF7\xD5\xDF\xC3\xFB\xB3\xC6",  // 作者名称
                                 "author name"};
inline const SettingName kVersion{kAnyGroup, "\xB0\xE6\xB1\xBE\xBA\xC5",  // 版本号
                                  "product version"};
inline const SettingName kUrl{kAnyGroup, "\xD7\xF7\xD5\xDF\xCD\xF8\xD6\xB7",  // 作者网址
                              "author's web address"};
inline const SettingName kPatch{kAnyGroup, "Patch",
                                "boolean text: the package patches an earlier install"};
// 安装完成后，重启操作系统
inline const SettingName kRebootOs{
    kAnyGroup,
    "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xA3\xAC\xD6\xD8\xC6\xF4\xB2\xD9\xD7\xF7\xCF\xB5\xCD"
    "\xB3",
    "switch: restart the operating system after installation"};
// 安装完成后弹出信息提示
inline const SettingName kHintMsg{
    kAnyGroup,
    "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xB5\xAF\xB3\xF6\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE",
    "message shown after installation"};
// 安装前弹出信息提示
inline const SettingName kBeforeHintMsg{
    kAnyGroup, "\xB0\xB2\xD7\xB0\xC7\xB0\xB5\xAF\xB3\xF6\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE",
    "message shown before installation"};
// 安装完成后弹出网页链接
inline const SettingName kWebHint{
    kAnyGroup,
    "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xB5\xAF\xB3\xF6\xCD\xF8\xD2\xB3\xC1\xB4\xBD\xD3",
    "web page opened after installation"};
// 安装完成后设置IE默认主页
inline const SettingName kDefaultHtml{kAnyGroup,
                                      "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xC9\xE8\xD6\xC3"
                                      "IE"
                                      "\xC4\xAC\xC8\xCF\xD6\xF7\xD2\xB3",
                                      "browser start page set after installation"};
inline const SettingName kEnableUnIns{kAnyGroup, "\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2",  // 卸载程序
                                      "switch: install the uninstaller"};

// ---- general settings (group 0) ----
inline const SettingName kShowWizard{
    kGeneral,
    "\xCF\xD4\xCA\xBE\xB0\xB2\xD7\xB0\xBD\xE7\xC3\xE6",  // 显示安装界面
    "switch: show the wizard"};
inline const SettingName kShowLoading{
    kGeneral, "\xCF\xD4\xCA\xBE\xBC\xD3\xD4\xD8\xBD\xF8\xB6\xC8",  // 显示加载进度
    "present: stage support files (behind the loading window when enabled)"};
inline const SettingName kShowBackground{
    kGeneral,
    "\xCF\xD4\xCA\xBE\xB0\xB2\xD7\xB0\xB1\xB3\xBE\xB0\xB4\xB0\xBF\xDA",  // 显示安装背景窗口
    "present: open the wizard (behind the background window when enabled)"};
inline const SettingName kMusic{kGeneral, "\xB1\xB3\xBE\xB0\xD2\xF4\xC0\xD6",  // 背景音乐
                                "background music file"};
inline const SettingName kBackgroundPicture{
    kGeneral, "\xB0\xB2\xD7\xB0\xB1\xB3\xBE\xB0\xCD\xBC\xC6\xAC",  // 安装背景图片
    "picture of the background window"};
// Written by other package writers; the setup runtime ignores them.
inline const SettingName kCompressionType{kGeneral, "\xD1\xB9\xCB\xF5\xC0\xE0\xD0\xCD",  // 压缩类型
                                          "compression type (not read)"};
inline const SettingName kSetupIcon{
    kGeneral, "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xCD\xBC\xB1\xEA",  // 安装程序图标
    "setup program icon (not read)"};
inline const SettingName kUninstallerIcon{
    kGeneral,
    "\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2\xCD\xBC\xB1\xEA",  // 卸载程序图标
    "uninstaller icon (not read)"};

// ---- page list (group 1): one switch per optional page, in wizard order ----
inline const SettingName kPageWelcome{kPageList, "\xBB\xB6\xD3\xAD",  // 欢迎
                                      "switch: show the welcome page"};
inline const SettingName kPageAgreement{kPageList, "\xB0\xB2\xD7\xB0\xD0\xAD\xD2\xE9",  // 安装协议
                                        "switch: show the agreement page"};
inline const SettingName kPageNotes{
    kPageList, "\xC8\xED\xBC\xFE\xCA\xB9\xD3\xC3\xCB\xB5\xC3\xF7",  // 软件使用说明
    "switch: show the explanation page"};
// 选择开始菜单文件夹
inline const SettingName kPageStartMenu{
    kPageList, "\xD1\xA1\xD4\xF1\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5\xCE\xC4\xBC\xFE\xBC\xD0",
    "switch: show the start-menu folder page"};
inline const SettingName kPageComponents{
    kPageList, "\xD1\xA1\xD4\xF1\xB0\xB2\xD7\xB0\xD7\xE9\xBC\xFE\xB0\xFC",  // 选择安装组件包
    "switch: show the component page"};
inline const SettingName kPageInstallFolder{
    kPageList, "\xD1\xA1\xD4\xF1\xB0\xB2\xD7\xB0\xCE\xC4\xBC\xFE\xBC\xD0",  // 选择安装文件夹
    "switch: show the install folder page"};
inline const SettingName kPageTasks{kPageList, "\xB8\xBD\xBC\xD3\xC8\xCE\xCE\xF1",  // 附加任务
                                    "switch: show the additional-tasks page"};
inline const SettingName kPageReady{kPageList, "\xC8\xB7\xC8\xCF\xB0\xB2\xD7\xB0",  // 确认安装
                                    "switch: show the ready page"};
inline const SettingName kPageProgress{kPageList, "\xB0\xB2\xD7\xB0\xBD\xF8\xB3\xCC",  // 安装进程
                                       "switch: show the progress page"};
inline const SettingName kPageFinish{kPageList, "\xB0\xB2\xD7\xB0\xCD\xEA\xB1\xCF",  // 安装完毕
                                     "switch: show the finish page"};

// Words that several pages use under their own group.
inline const std::string kHeaderPictureName = "\xB1\xEA\xCC\xE2\xCD\xBC\xC6\xAC";  // 标题图片
inline const std::string kPictureName = "\xB1\xB3\xBE\xB0\xCD\xBC\xC6\xAC";        // 背景图片

// ---- welcome page (group 2) ----
inline const SettingName kWelcomePicture{kWelcome, kPictureName, "picture beside the text"};
inline const SettingName kWelcomeCompany{kWelcome, "\xB9\xAB\xCB\xBE\xC3\xFB\xB3\xC6",  // 公司名称
                                         "company name"};
inline const SettingName kWelcomeWebsite{kWelcome, "\xCD\xF8\xD6\xB7",  // 网址
                                         "web address"};

// ---- agreement page (group 3) ----
inline const SettingName kAgreementHeader{kAgreement, kHeaderPictureName, "header picture"};
inline const SettingName kAgreementFile{kAgreement, "\xD0\xAD\xD2\xE9\xCE\xC4\xBC\xFE",  // 协议文件
                                        "agreement document"};

// ---- explanation page (group 5) ----
inline const SettingName kNotesHeader{kNotes, kHeaderPictureName, "header picture"};
inline const SettingName kNotesFile{kNotes, "\xCB\xB5\xC3\xF7\xCE\xC4\xBC\xFE",  // 说明文件
                                    "explanation document"};

// ---- start-menu folder page (group 6) ----
inline const SettingName kStartMenuHeader{kStartMenu, kHeaderPictureName, "header picture"};
inline const SettingName kStartMenuFolder{
    kStartMenu, "\xC4\xAC\xC8\xCF\xCE\xC4\xBC\xFE\xBC\xD0\xC3\xFB\xB3\xC6",  // 默认文件夹名称
    "start-menu folder name"};
// 允许用户修改文件夹名称
inline const SettingName kStartMenuAllowChange{
    kStartMenu,
    "\xD4\xCA\xD0\xED\xD3\xC3\xBB\xA7\xD0\xDE\xB8\xC4\xCE\xC4\xBC\xFE\xBC\xD0\xC3\xFB\xB3\xC6",
    "switch: the user may change the folder name"};
inline const SettingName kStartMenuShowOption{
    kStartMenu,
    "\xCF\xD4\xCA\xBE\xD3\xC3\xBB\xA7\xD1\xA1\xD4\xF1\xD1\xA1\xCF\xEE",  // 显示用户选择选项
    "switch: show the user's choice"};

// ---- component page (group 7) ----
inline const SettingName kComponentsHeader{kComponents, kHeaderPictureName, "header picture"};

// ---- install folder page (group 8) ----
inline const SettingName kInstallFolderHeader{kInstallFolder, kHeaderPictureName, "header picture"};
inline const SettingName kDefaultInstallDir{
    kInstallFolder, "\xC4\xAC\xC8\xCF\xB0\xB2\xD7\xB0\xC2\xB7\xBE\xB6",  // 默认安装路径
    "default install folder"};
// 允许用户修改安装路径
inline const SettingName kInstallFolderAllowChange{
    kInstallFolder,
    "\xD4\xCA\xD0\xED\xD3\xC3\xBB\xA7\xD0\xDE\xB8\xC4\xB0\xB2\xD7\xB0\xC2\xB7\xBE\xB6",
    "switch: the user may change the path"};
inline const SettingName kSearchKeywords{kInstallFolder,
                                         "\xCB\xD1\xCB\xF7\xB9\xD8\xBC\xFC\xD7\xD6",  // 搜索关键字
                                         "search keywords"};

// ---- additional-tasks page (group 9) ----
inline const SettingName kTasksHeader{kTasks, kHeaderPictureName, "header picture"};
inline const SettingName kCreateDesktop{
    kTasks, "\xB4\xB4\xBD\xA8\xD7\xC0\xC3\xE6\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD",  // 创建桌面快捷方式
    "switch: make the desktop shortcuts"};
// 创建快速启栏快捷方式
inline const SettingName kCreateQuickLaunch{
    kTasks, "\xB4\xB4\xBD\xA8\xBF\xEC\xCB\xD9\xC6\xF4\xC0\xB8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD",
    "switch: make the quick-launch shortcuts"};

// ---- ready page (group 10) ----
inline const SettingName kReadyHeader{kReady, kHeaderPictureName, "header picture"};

// ---- progress page (group 11) ----
inline const SettingName kProgressHeader{kProgress, kHeaderPictureName, "header picture"};
inline const SettingName kShowDetails{
    kProgress,
    "\xB0\xB2\xD7\xB0\xCF\xEA\xCF\xB8\xD0\xC5\xCF\xA2",  // 安装详细信息
    "switch: show installation details"};

// ---- finish page (group 12) ----
inline const SettingName kFinishPicture{kFinish, kPictureName, "picture beside the text"};
inline const SettingName kAppFile{
    kFinish, "\xD3\xA6\xD3\xC3\xB3\xCC\xD0\xF2\xCE\xC4\xBC\xFE",  // 应用程序文件
    "program to run"};
inline const SettingName kReadmeFile{kFinish,
                                     "Readme"
                                     "\xCE\xC4\xBC\xFE",  // Readme文件
                                     "readme to open"};
inline const SettingName kHomePageUrl{
    kFinish, "\xC4\xAC\xC8\xCF\xD6\xF7\xD2\xB3\xC1\xB4\xBD\xD3",  // 默认主页链接
    "home page to open"};

}  // namespace setting

// An optional wizard page: its switch in the page list and the group of its own settings.
struct WizardPageSettings {
  const SettingName* listItem;
  uint8_t group;
};

// The ten optional pages in wizard order.
const std::vector<WizardPageSettings>& WizardPages();

// Every row above, general settings first, then the page list and the pages in group order.
const std::vector<const SettingName*>& AllSettingNames();

}  // namespace sk
