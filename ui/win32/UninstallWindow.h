// TfrmUninstall, the uninstaller's progress window: the look of the no-options install window
// (a percentage gauge, nothing else), captioned "“<product>”卸载". It starts the removal once it
// is on screen, pumps messages from the progress reports and closes itself when done.
//
// Closing is refused while the removal runs. Ownership: borrows the platform and the log, which
// must outlive the window; the outcome is kept for the caller (Outcome()).
#pragma once

#include <string>

#include "engine/Uninstaller.h"
#include "ui/win32/Controls.h"

namespace sk::ui {

class TfrmUninstall : public TForm {
 public:
  TfrmUninstall(Platform& platform, const UninstallRecorder& log, std::string uninstallerPath);

  void TimerTimer();
  bool FormCloseQuery() const { return done_; }
  UninstallOutcome& Outcome() { return outcome_; }

  TGauge Gauge1;
  TTimer Timer;

 private:
  Platform& platform_;
  const UninstallRecorder& log_;
  std::string uninstaller_;
  UninstallOutcome outcome_;
  bool done_ = false;
};

}  // namespace sk::ui
