#include "ui/Session.h"

#include "engine/Install.h"
#include "ui/Actions.h"
#include "ui/ChoicePages.h"
#include "ui/InformPages.h"
#include "ui/InstallPages.h"

namespace sk {

void RegisterHeadlessPages(HeadlessPageRegistry& r) {
  for (const char* name : kPageClassNames) r.Register(name, nullptr);
  r.Register("TfrmFist", [](SetupContext&) { return std::make_unique<WelcomePage>(); });
  r.Register("TfrmProtocol", [](SetupContext&) {
    return std::make_unique<DocumentPage>(DocumentPage::Kind::Agreement);
  });
  r.Register("TfrmSoftExplaion", [](SetupContext&) {
    return std::make_unique<DocumentPage>(DocumentPage::Kind::Notes);
  });
  r.Register("TfrmStartFolder", [](SetupContext&) { return std::make_unique<StartFolderPage>(); });
  r.Register("TfrmSelComponent",
             [](SetupContext&) { return std::make_unique<SelComponentPage>(); });
  r.Register("TfrmSelectInstallDir",
             [](SetupContext& c) { return std::make_unique<SelectInstallDirPage>(c); });
  r.Register("TfrmAddonsTask", [](SetupContext&) { return std::make_unique<AddonsTaskPage>(); });
  r.Register("TfrmReadyIns", [](SetupContext&) { return std::make_unique<ReadyPage>(); });
  r.Register("TfrmBeginIns", [](SetupContext&) { return std::make_unique<ProgressPage>(); });
  r.Register("TfrmEndIns", [](SetupContext&) { return std::make_unique<FinishPage>(); });
}

void InstallWithoutWizard(TCompile& model, const TCompileProEvent& progress) {
  InstallPackage(model, progress, model.GetPlatform().ExecutablePath());
  RunActionsWithoutWizard(model);
}

HeadlessSetupWindows::HeadlessSetupWindows() {
  RegisterHeadlessPages(pages_);
}

void HeadlessSetupWindows::ShowPreInstallMessage(const std::string& text,
                                                 const std::string& caption) {
  Report(Box::PreInstall, caption, text);
}

void HeadlessSetupWindows::RunLoadingWindow(TCompile& model, SetupContext&) {
  StageFromExecutable(model);
}

void HeadlessSetupWindows::RunInstallWindow(TCompile& model, SetupContext& context) {
  WindowRun = "install";
  InstallWithoutWizard(model, OnEvent);
  Installed = true;
  if (RebootWanted(model))
    Report(Box::Question, context.MessageCaption, RebootQuestion(model.ItemName));
}

void HeadlessSetupWindows::RunBackgroundWindow(TCompile& model, SetupContext& context) {
  RunWizard(model, context);
}

namespace {
// The wizard's frame without a window: boxes are reported, questions answered No.
class HeadlessFrame : public WizardFrame {
 public:
  HeadlessFrame(const std::function<void(bool question, const std::string&)>& report)
      : report_(report) {}
  void ButtonsChanged(const NavButtons&) override {}
  void ShowInfo(const std::string& text) override { report_(false, text); }
  bool AskYesNo(const std::string& text) override {
    report_(true, text);
    return false;
  }
  void RequestClose() override { closed = true; }
  bool closed = false;

 private:
  std::function<void(bool, const std::string&)> report_;
};
}  // namespace

void HeadlessSetupWindows::RunWizard(TCompile& model, SetupContext& context) {
  WindowRun = "wizard";
  HeadlessFrame frame([&](bool question, const std::string& text) {
    Report(question ? Box::Question : Box::Info, context.MessageCaption, text);
  });
  WizardHost host(frame);
  host.SetCompile(&model);
  host.BuildPages([&](const std::string& className) -> std::unique_ptr<WizardPage> {
    auto page = pages_.Create(className, context);
    if (auto* progress = dynamic_cast<ProgressPage*>(page.get())) {
      progress->Forward = OnEvent;
    }
    return page;
  });
  // Next on every page up to the progress page, which installs and moves on by itself.
  size_t shown = 0;
  while (!frame.closed && host.PageCount() > 0) {
    for (; shown <= static_cast<size_t>(host.PageIndex) && shown < host.PageCount(); ++shown)
      PagesShown.push_back(host.Row(shown).ClassName);
    if (host.Tag == host_tag::kInstalling) break;
    if (host.Tag == host_tag::kFinished || host.Tag == host_tag::kFailed) break;
    if (static_cast<size_t>(host.PageIndex) + 1 >= host.PageCount()) break;
    host.NextClick();
  }
  if (host.Failure()) std::rethrow_exception(host.Failure());
  for (size_t i = 0; i <= static_cast<size_t>(host.PageIndex) && i < host.PageCount(); ++i)
    if (host.Row(i).Role == PageRole::Progress) Installed = true;
  // Finish (or Cancel, whose quit question is answered No and so keeps nothing to do).
  host.CancelClick();
}

}  // namespace sk
