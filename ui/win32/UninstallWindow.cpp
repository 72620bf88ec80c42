#include "ui/win32/UninstallWindow.h"

#include "engine/UninstallTexts.h"

namespace sk::ui {

TfrmUninstall::TfrmUninstall(Platform& platform, const UninstallRecorder& log,
                             std::string uninstallerPath)
    : TForm(L"TfrmUninstall", 338, 61, WS_POPUP | WS_CAPTION | WS_SYSMENU),
      Gauge1(*this, 16, 22, 305, 24, RGB(0, 128, 192)),
      Timer(*this, 10, false),
      platform_(platform),
      log_(log),
      uninstaller_(std::move(uninstallerPath)) {
  SetText(UninstallCaption(log.ProductName()));
  Gauge1.SetMax(100);
  Gauge1.SetProgress(0);
  Timer.OnTimer = [this] { TimerTimer(); };
  OnCloseQuery = [this] { return FormCloseQuery(); };
  Timer.SetEnabled(true);
}

void TfrmUninstall::TimerTimer() {
  Timer.SetEnabled(false);
  outcome_ = RunUninstall(platform_, log_, uninstaller_,
                          [this](const std::string&, int64_t position, int64_t max) {
                            platform_.ProcessMessages();
                            Gauge1.SetMax(max);
                            Gauge1.SetProgress(position);
                          });
  Gauge1.SetProgress(Gauge1.State().MaxValue);
  done_ = true;
  Close();
}

}  // namespace sk::ui
