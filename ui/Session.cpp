#include "ui/Session.h"

#include "engine/Install.h"
#include "ui/Actions.h"
#include "ui/InstallPages.h"
#include "ui/NoOptionsInstall.h"

namespace sk {

void RegisterHeadlessPages(HeadlessPageRegistry& r) {
  for (const PageRow& row : kPageTable) r.Register(row.ClassName, row.MakeLogic);
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

RecoveryReport HeadlessSetupWindows::RunRecoveryWindow(SetupContext& context,
                                                       const RecoveryWork& work) {
  Report(Box::Info, context.MessageCaption, recovery_text::kRecovering);
  const RecoveryReport report = work(nullptr);
  const std::string notice = RecoveryNotice(report);
  if (!notice.empty()) Report(Box::Info, context.MessageCaption, notice);
  return report;
}

void HeadlessSetupWindows::RunInstallWindow(TCompile& model, SetupContext& context) {
  WindowRun = "install";
  NoOptionsInstall run(model);
  run.Run(OnEvent);
  if (run.Failure()) std::rethrow_exception(run.Failure());
  Installed = true;
  run.CloseQuery([&](const std::string& question) {
    Report(Box::Question, context.MessageCaption, question);
    return false;
  });
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
    if (host.State != WizardState::UnderWay) break;
    if (static_cast<size_t>(host.PageIndex) + 1 >= host.PageCount()) break;
    host.NextClick();
  }
  context.WizardFinished = host.State == WizardState::Finished;
  if (host.Failure()) std::rethrow_exception(host.Failure());
  for (size_t i = 0; i <= static_cast<size_t>(host.PageIndex) && i < host.PageCount(); ++i)
    if (host.Row(i).Role == PageRole::Progress) Installed = true;
  // Finish (or Cancel, whose quit question is answered No and so keeps nothing to do).
  host.CancelClick();
}

}  // namespace sk
