#include "ui/ChoiceSession.h"

#include "ui/InstallPages.h"

namespace sk {

namespace {

// A page that makes the given answers once it has filled itself on its first visit.
template <typename Page>
class Answering : public Page {
 public:
  template <typename... Args>
  Answering(const WizardChoices& choices, Args&... args) : Page(args...), choices_(choices) {}
  void SetCompile(TCompile* model) override {
    if (Page::Load(model)) Answer(static_cast<Page&>(*this));
  }

 private:
  void Answer(FinishPage& page) {
    if (choices_.noRun) Untick(page, 0, "--no-run", "the package offers no program to run");
    if (choices_.noReadme) Untick(page, 1, "--no-readme", "the package offers no readme");
  }
  template <typename ChoicePage>
  void Answer(ChoicePage& page) {
    choices_.ApplyTo(page);
  }
  static void Untick(FinishPage& page, int box, const char* option, const char* why) {
    if (!page.Boxes[box].visible) throw ChoiceNotOffered(option, why);
    page.CheckBoxClick(box, false);
  }

  const WizardChoices& choices_;
};

template <typename Page>
void Answer(HeadlessPageRegistry& pages, PageId id, const WizardChoices& choices) {
  pages.Register(RowOf(id).ClassName,
                 [&choices](SetupContext& context) -> std::unique_ptr<WizardPage> {
                   if constexpr (std::is_constructible_v<Page, SetupContext&>) {
                     return std::make_unique<Answering<Page>>(choices, context);
                   } else {
                     return std::make_unique<Answering<Page>>(choices);
                   }
                 });
}

}  // namespace

std::vector<std::string> WizardPageClasses(const TCompile& model) {
  std::vector<std::string> names;
  for (const PageRow* row : EnabledPages(model)) names.push_back(row->ClassName);
  return names;
}

ChoosingSetupWindows::ChoosingSetupWindows(WizardChoices choices) : choices_(std::move(choices)) {
  Answer<StartFolderPage>(Pages(), PageId::StartMenu, choices_);
  Answer<SelComponentPage>(Pages(), PageId::Components, choices_);
  Answer<SelectInstallDirPage>(Pages(), PageId::InstallFolder, choices_);
  Answer<AddonsTaskPage>(Pages(), PageId::Tasks, choices_);
  Answer<FinishPage>(Pages(), PageId::Finish, choices_);
}

void ChoosingSetupWindows::RunInstallWindow(TCompile& model, SetupContext& context) {
  choices_.CheckPages({});
  HeadlessSetupWindows::RunInstallWindow(model, context);
}

void ChoosingSetupWindows::RunWizard(TCompile& model, SetupContext& context) {
  choices_.CheckPages(WizardPageClasses(model));
  // The finish page shows its run and readme boxes for the files the package names; find out
  // now, before the install, rather than when the page appears.
  if (choices_.noRun && model.Choices().Options.AppFile.empty())
    throw ChoiceNotOffered("--no-run", "the package offers no program to run");
  if (choices_.noReadme && model.Choices().Options.ReadmeFile.empty())
    throw ChoiceNotOffered("--no-readme", "the package offers no readme");
  HeadlessSetupWindows::RunWizard(model, context);
}

}  // namespace sk
