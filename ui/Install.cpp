#include "ui/Install.h"

namespace sk {

TInstall::TInstall(Platform& platform, SetupWindows& windows)
    : platform_(platform), windows_(windows), compile_(std::make_unique<TCompile>(platform)) {
  context_.SetupDir = ExtractFilePath(platform_.ExecutablePath());
}

TInstall::~TInstall() {
  try {
    DeleteStagedFiles(*compile_);
  } catch (...) {
    // Deleting is best effort; a destructor must not throw.
  }
}

void StageFromExecutable(TCompile& model, const StagingProgress& progress) {
  Platform& p = model.GetPlatform();
  auto file = p.OpenRead(p.ExecutablePath());
  StageSupportFiles(model, *file, progress);
}

void TInstall::Execute() {
  TCompile& model = *compile_;
  model.LoadPackage(platform_.ExecutablePath());

  context_.ItemName = model.ItemName;
  windows_.SetApplicationTitle(model.ItemName);
  if (!model.Options.BeforeHintMsg.empty()) {
    windows_.ShowPreInstallMessage(model.Options.BeforeHintMsg, model.ItemName);
  }
  context_.MessageCaption = MessageCaptionFor(model.ItemName);

  const StartupPlan plan = DecideStartup(ReadStartupInputs(model));
  switch (plan.staging) {
    case StagingMode::None:
      break;
    case StagingMode::LoadingWindow:
      windows_.RunLoadingWindow(model, context_);
      break;
    case StagingMode::Direct:
      StageFromExecutable(model);
      break;
  }

  if (plan.window == TopWindow::InstallWindow) {
    windows_.RunInstallWindow(model, context_);
    return;
  }
  if (!plan.musicCandidate.empty() && platform_.FileExists(plan.musicCandidate)) {
    context_.MusicFile = plan.musicCandidate;
  }
  if (plan.window == TopWindow::BackgroundWindow) {
    windows_.RunBackgroundWindow(model, context_);
  } else if (plan.window == TopWindow::Wizard) {
    windows_.RunWizard(model, context_);
  }
}

}  // namespace sk
