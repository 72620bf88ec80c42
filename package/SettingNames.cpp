// The lists over the setting-name table of SettingNames.h.
#include "package/SettingNames.h"

namespace sk {

const std::vector<WizardPageSettings>& WizardPages() {
  using namespace setting;
  static const std::vector<WizardPageSettings> pages = {
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
