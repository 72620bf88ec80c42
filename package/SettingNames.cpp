// The setting-name table of SettingNames.h and the lists over it. The names are defined here,
// once in the program, so that they are initialised once rather than in every file that reads them.
#include "package/SettingNames.h"

namespace sk {

namespace setting {

namespace {
constexpr NameMatch kExact = NameMatch::Exact;
constexpr NameMatch kFolded = NameMatch::AsciiCaseFolded;
constexpr Occurrence kFirst = Occurrence::First;
constexpr Occurrence kLast = Occurrence::Last;
}  // namespace

// Each row: group, name, meaning, name match, the occurrence that counts, value type.
// clang-format off

const SettingName kItemName{kAnyGroup, "\xCF\xEE\xC4\xBF\xC3\xFB\xB3\xC6",  // 项目名称
                            "project name", kExact, kLast, ValueType::Text};
const SettingName kAuthor{kAnyGroup, "\xD7\xF7\xD5\xDF\xC3\xFB\xB3\xC6",  // 作者名称
                          "author name", kExact, kLast, ValueType::Text};
const SettingName kVersion{kAnyGroup, "\xB0\xE6\xB1\xBE\xBA\xC5",  // 版本号
                           "product version", kExact, kLast, ValueType::Text};
const SettingName kUrl{kAnyGroup, "\xD7\xF7\xD5\xDF\xCD\xF8\xD6\xB7",  // 作者网址
                       "author's web address", kExact, kLast, ValueType::Text};
const SettingName kPatch{kAnyGroup, "Patch",
                         "boolean text: the package patches an earlier install", kExact, kLast, ValueType::Boolean};
const SettingName kRebootOs{
    kAnyGroup,
    "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xA3\xAC\xD6\xD8\xC6\xF4\xB2\xD9\xD7\xF7\xCF\xB5\xCD"
    "\xB3",
    "switch: restart the operating system after installation", kExact, kLast, ValueType::Switch};
const SettingName kHintMsg{
    kAnyGroup,
    "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xB5\xAF\xB3\xF6\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE",
    "message shown after installation", kExact, kLast, ValueType::Text};
const SettingName kBeforeHintMsg{
    kAnyGroup, "\xB0\xB2\xD7\xB0\xC7\xB0\xB5\xAF\xB3\xF6\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE",
    "message shown before installation", kExact, kLast, ValueType::Text};
const SettingName kWebHint{
    kAnyGroup,
    "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xB5\xAF\xB3\xF6\xCD\xF8\xD2\xB3\xC1\xB4\xBD\xD3",
    "web page opened after installation", kExact, kLast, ValueType::Text};
const SettingName kDefaultHtml{kAnyGroup,
                               "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xBA\xF3\xC9\xE8\xD6\xC3"
                               "IE"
                               "\xC4\xAC\xC8\xCF\xD6\xF7\xD2\xB3",
                               "browser start page set after installation", kExact, kLast, ValueType::Text};
const SettingName kEnableUnIns{kAnyGroup, "\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2",  // 卸载程序
                               "switch: install the uninstaller", kExact, kLast, ValueType::Switch};
const SettingName kShowWizard{kGeneral,
                              "\xCF\xD4\xCA\xBE\xB0\xB2\xD7\xB0\xBD\xE7\xC3\xE6",  // 显示安装界面
                              "switch: show the wizard", kExact, kLast, ValueType::Switch};
const SettingName kShowLoading{
    kGeneral, "\xCF\xD4\xCA\xBE\xBC\xD3\xD4\xD8\xBD\xF8\xB6\xC8",  // 显示加载进度
    "present: stage support files (behind the loading window when enabled)", kFolded, kFirst, ValueType::Switch};
const SettingName kShowBackground{
    kGeneral,
    "\xCF\xD4\xCA\xBE\xB0\xB2\xD7\xB0\xB1\xB3\xBE\xB0\xB4\xB0\xBF\xDA",  // 显示安装背景窗口
    "present: open the wizard (behind the background window when enabled)", kFolded, kFirst, ValueType::Switch};
const SettingName kMusic{kGeneral, "\xB1\xB3\xBE\xB0\xD2\xF4\xC0\xD6",  // 背景音乐
                         "background music file", kFolded, kFirst, ValueType::Text};
const SettingName kBackgroundPicture{
    kGeneral, "\xB0\xB2\xD7\xB0\xB1\xB3\xBE\xB0\xCD\xBC\xC6\xAC",  // 安装背景图片
    "picture of the background window", kExact, kLast, ValueType::File};
const SettingName kCompressionType{kGeneral, "\xD1\xB9\xCB\xF5\xC0\xE0\xD0\xCD",  // 压缩类型
                                   "compression type (not read)", kFolded, kLast, ValueType::Text};
const SettingName kSetupIcon{kGeneral,
                             "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xCD\xBC\xB1\xEA",  // 安装程序图标
                             "setup program icon (not read)", kFolded, kLast, ValueType::Text};
const SettingName kUninstallerIcon{
    kGeneral,
    "\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2\xCD\xBC\xB1\xEA",  // 卸载程序图标
    "uninstaller icon (not read)", kFolded, kLast, ValueType::Text};
const SettingName kPageWelcome{kPageList, "\xBB\xB6\xD3\xAD",  // 欢迎
                               "switch: show the welcome page", kFolded, kLast, ValueType::Switch};
const SettingName kPageAgreement{kPageList, "\xB0\xB2\xD7\xB0\xD0\xAD\xD2\xE9",  // 安装协议
                                 "switch: show the agreement page", kFolded, kLast, ValueType::Switch};
const SettingName kPageNotes{kPageList,
                             "\xC8\xED\xBC\xFE\xCA\xB9\xD3\xC3\xCB\xB5\xC3\xF7",  // 软件使用说明
                             "switch: show the explanation page", kFolded, kLast, ValueType::Switch};
const SettingName kPageStartMenu{
    kPageList, "\xD1\xA1\xD4\xF1\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5\xCE\xC4\xBC\xFE\xBC\xD0",
    "switch: show the start-menu folder page", kFolded, kLast, ValueType::Switch};
const SettingName kPageComponents{
    kPageList, "\xD1\xA1\xD4\xF1\xB0\xB2\xD7\xB0\xD7\xE9\xBC\xFE\xB0\xFC",  // 选择安装组件包
    "switch: show the component page", kFolded, kLast, ValueType::Switch};
const SettingName kPageInstallFolder{
    kPageList, "\xD1\xA1\xD4\xF1\xB0\xB2\xD7\xB0\xCE\xC4\xBC\xFE\xBC\xD0",  // 选择安装文件夹
    "switch: show the install folder page", kFolded, kLast, ValueType::Switch};
const SettingName kPageTasks{kPageList, "\xB8\xBD\xBC\xD3\xC8\xCE\xCE\xF1",  // 附加任务
                             "switch: show the additional-tasks page", kFolded, kLast, ValueType::Switch};
const SettingName kPageReady{kPageList, "\xC8\xB7\xC8\xCF\xB0\xB2\xD7\xB0",  // 确认安装
                             "switch: show the ready page", kFolded, kLast, ValueType::Switch};
const SettingName kPageProgress{kPageList, "\xB0\xB2\xD7\xB0\xBD\xF8\xB3\xCC",  // 安装进程
                                "switch: show the progress page", kFolded, kLast, ValueType::Switch};
const SettingName kPageFinish{kPageList, "\xB0\xB2\xD7\xB0\xCD\xEA\xB1\xCF",  // 安装完毕
                              "switch: show the finish page", kFolded, kLast, ValueType::Switch};
const SettingName kWelcomePicture{kWelcome, kPictureName, "picture beside the text", kExact, kLast, ValueType::File};
const SettingName kWelcomeCompany{kWelcome, "\xB9\xAB\xCB\xBE\xC3\xFB\xB3\xC6",  // 公司名称
                                  "company name", kExact, kLast, ValueType::Text};
const SettingName kWelcomeWebsite{kWelcome, "\xCD\xF8\xD6\xB7",  // 网址
                                  "web address", kExact, kLast, ValueType::Text};
const SettingName kAgreementHeader{kAgreement, kHeaderPictureName, "header picture", kFolded, kLast, ValueType::Text};
const SettingName kAgreementFile{kAgreement, "\xD0\xAD\xD2\xE9\xCE\xC4\xBC\xFE",  // 协议文件
                                 "agreement document", kFolded, kLast, ValueType::Text};
const SettingName kNotesHeader{kNotes, kHeaderPictureName, "header picture", kFolded, kLast, ValueType::Text};
const SettingName kNotesFile{kNotes, "\xCB\xB5\xC3\xF7\xCE\xC4\xBC\xFE",  // 说明文件
                             "explanation document", kFolded, kLast, ValueType::Text};
const SettingName kStartMenuHeader{kStartMenu, kHeaderPictureName, "header picture", kFolded, kLast, ValueType::Text};
const SettingName kStartMenuFolder{
    kStartMenu, "\xC4\xAC\xC8\xCF\xCE\xC4\xBC\xFE\xBC\xD0\xC3\xFB\xB3\xC6",  // 默认文件夹名称
    "start-menu folder name", kFolded, kLast, ValueType::Text};
const SettingName kStartMenuAllowChange{
    kStartMenu,
    "\xD4\xCA\xD0\xED\xD3\xC3\xBB\xA7\xD0\xDE\xB8\xC4\xCE\xC4\xBC\xFE\xBC\xD0\xC3\xFB\xB3\xC6",
    "switch: the user may change the folder name", kFolded, kLast, ValueType::Switch};
const SettingName kStartMenuShowOption{
    kStartMenu,
    "\xCF\xD4\xCA\xBE\xD3\xC3\xBB\xA7\xD1\xA1\xD4\xF1\xD1\xA1\xCF\xEE",  // 显示用户选择选项
    "switch: show the user's choice", kFolded, kLast, ValueType::Switch};
const SettingName kComponentsHeader{kComponents, kHeaderPictureName, "header picture", kFolded, kLast, ValueType::Text};
const SettingName kInstallFolderHeader{kInstallFolder, kHeaderPictureName, "header picture", kFolded, kLast, ValueType::Text};
const SettingName kDefaultInstallDir{
    kInstallFolder, "\xC4\xAC\xC8\xCF\xB0\xB2\xD7\xB0\xC2\xB7\xBE\xB6",  // 默认安装路径
    "default install folder", kFolded, kLast, ValueType::Path};
const SettingName kInstallFolderAllowChange{
    kInstallFolder,
    "\xD4\xCA\xD0\xED\xD3\xC3\xBB\xA7\xD0\xDE\xB8\xC4\xB0\xB2\xD7\xB0\xC2\xB7\xBE\xB6",
    "switch: the user may change the path", kFolded, kLast, ValueType::Switch};
const SettingName kSearchKeywords{kInstallFolder,
                                  "\xCB\xD1\xCB\xF7\xB9\xD8\xBC\xFC\xD7\xD6",  // 搜索关键字
                                  "search keywords", kFolded, kLast, ValueType::OptionalText};
const SettingName kTasksHeader{kTasks, kHeaderPictureName, "header picture", kFolded, kLast, ValueType::Text};
const SettingName kCreateDesktop{
    kTasks, "\xB4\xB4\xBD\xA8\xD7\xC0\xC3\xE6\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD",  // 创建桌面快捷方式
    "switch: make the desktop shortcuts", kFolded, kLast, ValueType::Switch};
const SettingName kCreateQuickLaunch{
    kTasks, "\xB4\xB4\xBD\xA8\xBF\xEC\xCB\xD9\xC6\xF4\xC0\xB8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD",
    "switch: make the quick-launch shortcuts", kFolded, kLast, ValueType::Switch};
const SettingName kReadyHeader{kReady, kHeaderPictureName, "header picture", kFolded, kLast, ValueType::Text};
const SettingName kProgressHeader{kProgress, kHeaderPictureName, "header picture", kFolded, kLast, ValueType::Text};
const SettingName kShowDetails{kProgress,
                               "\xB0\xB2\xD7\xB0\xCF\xEA\xCF\xB8\xD0\xC5\xCF\xA2",  // 安装详细信息
                               "switch: show installation details", kFolded, kLast, ValueType::Switch};
const SettingName kFinishPicture{kFinish, kPictureName, "picture beside the text", kFolded, kLast, ValueType::Text};
const SettingName kAppFile{kFinish,
                           "\xD3\xA6\xD3\xC3\xB3\xCC\xD0\xF2\xCE\xC4\xBC\xFE",  // 应用程序文件
                           "program to run", kFolded, kLast, ValueType::OptionalText};
const SettingName kReadmeFile{kFinish,
                              "Readme"
                              "\xCE\xC4\xBC\xFE",  // Readme文件
                              "readme to open", kFolded, kLast, ValueType::OptionalText};
const SettingName kHomePageUrl{kFinish,
                               "\xC4\xAC\xC8\xCF\xD6\xF7\xD2\xB3\xC1\xB4\xBD\xD3",  // 默认主页链接
                               "home page to open", kFolded, kLast, ValueType::OptionalText};
// clang-format on

}  // namespace setting

const std::vector<WizardPageSwitch>& WizardPages() {
  using namespace setting;
  static const std::vector<WizardPageSwitch> pages = {
      {&kPageWelcome, kWelcome},       {&kPageAgreement, kAgreement},
      {&kPageNotes, kNotes},           {&kPageStartMenu, kStartMenu},
      {&kPageComponents, kComponents}, {&kPageInstallFolder, kInstallFolder},
      {&kPageTasks, kTasks},           {&kPageReady, kReady},
      {&kPageProgress, kProgress},     {&kPageFinish, kFinish},
  };
  return pages;
}

const std::vector<const SettingName*>& AllSettingNames() {
  using namespace setting;
  static const std::vector<const SettingName*> all = {
      &kItemName,
      &kAuthor,
      &kVersion,
      &kUrl,
      &kPatch,
      &kRebootOs,
      &kHintMsg,
      &kBeforeHintMsg,
      &kWebHint,
      &kDefaultHtml,
      &kEnableUnIns,
      &kShowWizard,
      &kShowLoading,
      &kShowBackground,
      &kMusic,
      &kBackgroundPicture,
      &kCompressionType,
      &kSetupIcon,
      &kUninstallerIcon,
      &kPageWelcome,
      &kPageAgreement,
      &kPageNotes,
      &kPageStartMenu,
      &kPageComponents,
      &kPageInstallFolder,
      &kPageTasks,
      &kPageReady,
      &kPageProgress,
      &kPageFinish,
      &kWelcomePicture,
      &kWelcomeCompany,
      &kWelcomeWebsite,
      &kAgreementHeader,
      &kAgreementFile,
      &kNotesHeader,
      &kNotesFile,
      &kStartMenuHeader,
      &kStartMenuFolder,
      &kStartMenuAllowChange,
      &kStartMenuShowOption,
      &kComponentsHeader,
      &kInstallFolderHeader,
      &kDefaultInstallDir,
      &kInstallFolderAllowChange,
      &kSearchKeywords,
      &kTasksHeader,
      &kCreateDesktop,
      &kCreateQuickLaunch,
      &kReadyHeader,
      &kProgressHeader,
      &kShowDetails,
      &kFinishPicture,
      &kAppFile,
      &kReadmeFile,
      &kHomePageUrl,
  };
  return all;
}

}  // namespace sk
