// The setting-name table of SettingNames.h and the lists over it. The names are defined here,
// once in the program, so that they are initialised once rather than in every file that reads them.
#include "package/SettingNames.h"

#include "package/Package.texts.h"

namespace sk {

namespace setting {

namespace {
constexpr NameMatch kExact = NameMatch::Exact;
constexpr NameMatch kFolded = NameMatch::AsciiCaseFolded;
constexpr Occurrence kFirst = Occurrence::First;
constexpr Occurrence kLast = Occurrence::Last;
}  // namespace

// Each row: group, name, meaning, name match, the occurrence that counts, value type.

const SettingName kItemName{kAnyGroup, setting_name::kItemName, "project name", kExact,
                            kLast,     ValueType::Text};
const SettingName kAuthor{kAnyGroup, setting_name::kAuthor, "author name", kExact,
                          kLast,     ValueType::Text};
const SettingName kVersion{kAnyGroup, setting_name::kVersion, "product version", kExact,
                           kLast,     ValueType::Text};
const SettingName kUrl{kAnyGroup, setting_name::kUrl, "author's web address", kExact,
                       kLast,     ValueType::Text};
const SettingName kPatch{kAnyGroup, "Patch", "boolean text: the package patches an earlier install",
                         kExact,    kLast,   ValueType::Boolean};
const SettingName kRebootOs{kAnyGroup,
                            setting_name::kRebootOs,
                            "switch: restart the operating system after installation",
                            kExact,
                            kLast,
                            ValueType::Switch};
const SettingName kHintMsg{
    kAnyGroup, setting_name::kHintMsg, "message shown after installation", kExact,
    kLast,     ValueType::Text};
const SettingName kBeforeHintMsg{kAnyGroup,
                                 setting_name::kBeforeHintMsg,
                                 "message shown before installation",
                                 kExact,
                                 kLast,
                                 ValueType::Text};
const SettingName kWebHint{
    kAnyGroup, setting_name::kWebHint, "web page opened after installation", kExact,
    kLast,     ValueType::Text};
const SettingName kDefaultHtml{kAnyGroup,
                               setting_name::kDefaultHtml,
                               "browser start page set after installation",
                               kExact,
                               kLast,
                               ValueType::Text};
const SettingName kEnableUnIns{
    kAnyGroup, setting_name::kEnableUnIns, "switch: install the uninstaller", kExact,
    kLast,     ValueType::Switch};
const SettingName kShowWizard{
    kGeneral, setting_name::kShowWizard, "switch: show the wizard", kExact,
    kLast,    ValueType::Switch};
const SettingName kShowLoading{
    kGeneral,
    setting_name::kShowLoading,
    "present: stage support files (behind the loading window when enabled)",
    kFolded,
    kFirst,
    ValueType::Switch};
const SettingName kShowBackground{
    kGeneral,
    setting_name::kShowBackground,
    "present: open the wizard (behind the background window when enabled)",
    kFolded,
    kFirst,
    ValueType::Switch};
const SettingName kMusic{kGeneral, setting_name::kMusic, "background music file", kFolded,
                         kFirst,   ValueType::Text};
const SettingName kBackgroundPicture{kGeneral,
                                     setting_name::kBackgroundPicture,
                                     "picture of the background window",
                                     kExact,
                                     kLast,
                                     ValueType::File};
const SettingName kCompressionType{
    kGeneral,       setting_name::kCompressionType, "compression type (not read)", kFolded, kLast,
    ValueType::Text};
const SettingName kSetupIcon{
    kGeneral, setting_name::kSetupIcon, "setup program icon (not read)", kFolded,
    kLast,    ValueType::Text};
const SettingName kUninstallerIcon{
    kGeneral,       setting_name::kUninstallerIcon, "uninstaller icon (not read)", kFolded, kLast,
    ValueType::Text};
const SettingName kPageWelcome{
    kPageList, setting_name::kPageWelcome, "switch: show the welcome page", kFolded,
    kLast,     ValueType::Switch};
const SettingName kPageAgreement{kPageList,
                                 setting_name::kPageAgreement,
                                 "switch: show the agreement page",
                                 kFolded,
                                 kLast,
                                 ValueType::Switch};
const SettingName kPageNotes{
    kPageList, setting_name::kPageNotes, "switch: show the explanation page", kFolded,
    kLast,     ValueType::Switch};
const SettingName kPageStartMenu{kPageList,
                                 setting_name::kPageStartMenu,
                                 "switch: show the start-menu folder page",
                                 kFolded,
                                 kLast,
                                 ValueType::Switch};
const SettingName kPageComponents{kPageList,
                                  setting_name::kPageComponents,
                                  "switch: show the component page",
                                  kFolded,
                                  kLast,
                                  ValueType::Switch};
const SettingName kPageInstallFolder{kPageList,
                                     setting_name::kPageInstallFolder,
                                     "switch: show the install folder page",
                                     kFolded,
                                     kLast,
                                     ValueType::Switch};
const SettingName kPageTasks{
    kPageList, setting_name::kPageTasks, "switch: show the additional-tasks page", kFolded,
    kLast,     ValueType::Switch};
const SettingName kPageReady{
    kPageList, setting_name::kPageReady, "switch: show the ready page", kFolded,
    kLast,     ValueType::Switch};
const SettingName kPageProgress{
    kPageList,        setting_name::kPageProgress, "switch: show the progress page", kFolded, kLast,
    ValueType::Switch};
const SettingName kPageFinish{
    kPageList, setting_name::kPageFinish, "switch: show the finish page", kFolded,
    kLast,     ValueType::Switch};
const SettingName kWelcomePicture{kWelcome, kPictureName, "picture beside the text",
                                  kExact,   kLast,        ValueType::File};
const SettingName kWelcomeCompany{
    kWelcome, setting_name::kWelcomeCompany, "company name", kExact, kLast, ValueType::Text};
const SettingName kWelcomeWebsite{
    kWelcome, setting_name::kWelcomeWebsite, "web address", kExact, kLast, ValueType::Text};
const SettingName kAgreementHeader{kAgreement, kHeaderPictureName, "header picture", kFolded,
                                   kLast,      ValueType::Text};
const SettingName kAgreementFile{
    kAgreement,     setting_name::kAgreementFile, "agreement document", kFolded, kLast,
    ValueType::Text};
const SettingName kNotesHeader{kNotes, kHeaderPictureName, "header picture", kFolded,
                               kLast,  ValueType::Text};
const SettingName kNotesFile{kNotes, setting_name::kNotesFile, "explanation document", kFolded,
                             kLast,  ValueType::Text};
const SettingName kStartMenuHeader{kStartMenu, kHeaderPictureName, "header picture", kFolded,
                                   kLast,      ValueType::Text};
const SettingName kStartMenuFolder{
    kStartMenu,     setting_name::kStartMenuFolder, "start-menu folder name", kFolded, kLast,
    ValueType::Text};
const SettingName kStartMenuAllowChange{kStartMenu,
                                        setting_name::kStartMenuAllowChange,
                                        "switch: the user may change the folder name",
                                        kFolded,
                                        kLast,
                                        ValueType::Switch};
const SettingName kStartMenuShowOption{kStartMenu,
                                       setting_name::kStartMenuShowOption,
                                       "switch: show the user's choice",
                                       kFolded,
                                       kLast,
                                       ValueType::Switch};
const SettingName kComponentsHeader{kComponents, kHeaderPictureName, "header picture", kFolded,
                                    kLast,       ValueType::Text};
const SettingName kInstallFolderHeader{
    kInstallFolder, kHeaderPictureName, "header picture", kFolded, kLast, ValueType::Text};
const SettingName kDefaultInstallDir{
    kInstallFolder, setting_name::kDefaultInstallDir, "default install folder", kFolded, kLast,
    ValueType::Path};
const SettingName kInstallFolderAllowChange{kInstallFolder,
                                            setting_name::kInstallFolderAllowChange,
                                            "switch: the user may change the path",
                                            kFolded,
                                            kLast,
                                            ValueType::Switch};
const SettingName kSearchKeywords{
    kInstallFolder, setting_name::kSearchKeywords, "search keywords", kFolded,
    kLast,          ValueType::OptionalText};
const SettingName kTasksHeader{kTasks, kHeaderPictureName, "header picture", kFolded,
                               kLast,  ValueType::Text};
const SettingName kCreateDesktop{kTasks,
                                 setting_name::kCreateDesktop,
                                 "switch: make the desktop shortcuts",
                                 kFolded,
                                 kLast,
                                 ValueType::Switch};
const SettingName kCreateQuickLaunch{kTasks,
                                     setting_name::kCreateQuickLaunch,
                                     "switch: make the quick-launch shortcuts",
                                     kFolded,
                                     kLast,
                                     ValueType::Switch};
const SettingName kReadyHeader{kReady, kHeaderPictureName, "header picture", kFolded,
                               kLast,  ValueType::Text};
const SettingName kProgressHeader{kProgress, kHeaderPictureName, "header picture", kFolded,
                                  kLast,     ValueType::Text};
const SettingName kShowDetails{
    kProgress, setting_name::kShowDetails, "switch: show installation details", kFolded,
    kLast,     ValueType::Switch};
const SettingName kFinishPicture{kFinish, kPictureName, "picture beside the text",
                                 kFolded, kLast,        ValueType::Text};
const SettingName kAppFile{kFinish, setting_name::kAppFile, "program to run", kFolded,
                           kLast,   ValueType::OptionalText};
const SettingName kReadmeFile{kFinish, setting_name::kReadmeFile, "readme to open", kFolded,
                              kLast,   ValueType::OptionalText};
const SettingName kHomePageUrl{kFinish, setting_name::kHomePageUrl, "home page to open", kFolded,
                               kLast,   ValueType::OptionalText};

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
