#include "ui/SetupDriver.h"

#include "package/Integrity.h"
#include "ui/Progress.h"

namespace sk {

SetupDriver::SetupDriver(Platform& platform, SetupWindows& windows)
    : platform_(platform), windows_(windows), compile_(std::make_unique<TCompile>(platform)) {
  context_.SetupDir = ExtractFilePath(platform_.ExecutablePath());
}

SetupDriver::~SetupDriver() {
  try {
    DeleteStagedFiles(*compile_);
  } catch (...) {
    // Deleting is best effort; a destructor must not throw.
  }
}

void StageFromExecutable(TCompile& model, const StagingProgress& progress) {
  // The whole package is checked first, before anything is written, on the same progress bar.
  CheckSetupFile(model, [&progress](int64_t done, int64_t total) {
    if (!progress) return;
    const BarRange bar = ScaleForBar(done, total);
    progress(bar.position, bar.max);
  });
  Platform& p = model.GetPlatform();
  auto file = p.OpenRead(p.ExecutablePath());
  StageSupportFiles(model, *file, progress);
}

void SetupDriver::Execute() {
  TCompile& model = *compile_;
  LoadSetupFile(model);

  context_.ItemName = model.Package().ItemName;
  if (!model.Choices().Options.BeforeHintMsg.empty()) {
    windows_.ShowPreInstallMessage(model.Choices().Options.BeforeHintMsg, model.Package().ItemName);
  }
  context_.MessageCaption = MessageCaptionFor(model.Package().ItemName);

  const StartupPlan plan = DecideStartup(ReadStartupInputs(model));
  switch (plan.staging) {
    case StagingMode::None:
      CheckSetupFile(model);  // nothing to stage, but nothing is installed from a damaged file
      break;
    case StagingMode::LoadingWindow:
      windows_.RunLoadingWindow(model, context_);
      break;
    case StagingMode::Direct:
      StageFromExecutable(model);
      break;
  }

  // From here the product's journal folder is this run's; a dead run's changes are taken back
  // before the first page, so that the user chooses on the machine as it was.
  RecoverAtStartup(model, [this](const RecoveryWork& work) {
    return windows_.RunRecoveryWindow(context_, work);
  });

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
