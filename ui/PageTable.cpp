#include "ui/PageTable.h"

#include "ui/ChoicePages.h"
#include "ui/InformPages.h"
#include "ui/InstallPages.h"

namespace sk {

namespace {
template <typename Page>
std::unique_ptr<WizardPage> Make(SetupContext& context) {
  if constexpr (std::is_constructible_v<Page, SetupContext&>) {
    return std::make_unique<Page>(context);
  } else {
    return std::make_unique<Page>();
  }
}

template <DocumentPage::Kind kind>
std::unique_ptr<WizardPage> MakeDocument(SetupContext&) {
  return std::make_unique<DocumentPage>(kind);
}
}  // namespace

using namespace setting;

const std::array<PageRow, kPageCount> kPageTable = {{
    {PageId::Welcome, 1, kPageWelcome, kWelcome, PageRole::Plain, "welcome", "TfrmFist",
     Make<WelcomePage>},
    {PageId::Agreement, 2, kPageAgreement, kAgreement, PageRole::Agreement, "agreement",
     "TfrmProtocol", MakeDocument<DocumentPage::Kind::Agreement>},
    {PageId::Notes, 3, kPageNotes, kNotes, PageRole::Plain, "notes", "TfrmSoftExplaion",
     MakeDocument<DocumentPage::Kind::Notes>},
    {PageId::StartMenu, 4, kPageStartMenu, kStartMenu, PageRole::Plain, "start_menu",
     "TfrmStartFolder", Make<StartFolderPage>},
    {PageId::Components, 5, kPageComponents, kComponents, PageRole::Plain, "components",
     "TfrmSelComponent", Make<SelComponentPage>},
    {PageId::InstallFolder, 6, kPageInstallFolder, kInstallFolder, PageRole::Plain,
     "install_folder", "TfrmSelectInstallDir", Make<SelectInstallDirPage>},
    {PageId::Tasks, 7, kPageTasks, kTasks, PageRole::Plain, "tasks", "TfrmAddonsTask",
     Make<AddonsTaskPage>},
    {PageId::Ready, 8, kPageReady, kReady, PageRole::Plain, "ready", "TfrmReadyIns",
     Make<ReadyPage>},
    {PageId::Progress, 9, kPageProgress, kProgress, PageRole::Progress, "progress", "TfrmBeginIns",
     Make<ProgressPage>},
    {PageId::Finish, 10, kPageFinish, kFinish, PageRole::Finish, "finish", "TfrmEndIns",
     Make<FinishPage>},
}};

}  // namespace sk
