// TfrmInstall, the no-options install window: installs the package without any wizard page,
// showing a percentage gauge, runs the program and readme when the package checks them, then
// closes; its close query asks the reboot question when the package wants it. The view of
// NoOptionsInstall (ui/NoOptionsInstall.h), which holds the window's states and questions.
//
// Closing is refused while the install runs. An error that ends the install is kept
// (Failure()): the window closes without the reboot question and the caller rethrows it once
// the window is gone.
#pragma once

#include <exception>
#include <memory>

#include "package/Compile.h"
#include "ui/NoOptionsInstall.h"
#include "ui/Startup.h"
#include "ui/win32/Controls.h"

namespace sk::ui {

class TfrmInstall : public TForm {
 public:
  explicit TfrmInstall(SetupContext& context);

  void SetCompile(TCompile* model);
  void TimerTimer();
  void InstallProgress(const std::string& fileName, const std::string& hintMsg, int64_t position,
                       int64_t max);
  bool FormCloseQuery();
  std::exception_ptr Failure() const { return run_ ? run_->Failure() : nullptr; }

  TGauge Gauge1;
  TTimer Timer;
  TCompile* Compile = nullptr;

 private:
  static constexpr ULONGLONG kPumpIntervalMs = 15;
  static constexpr ULONGLONG kRedrawIntervalMs = 100;
  // Shows the last reported position on the bar, if it has not been shown yet.
  void FlushBar();

  SetupContext& context_;
  std::unique_ptr<NoOptionsInstall> run_;  // the window's logic, made by SetCompile
  ULONGLONG lastPump_ = 0;                 // GetTickCount64 of the last message pump
  ULONGLONG lastRedraw_ = 0;               // GetTickCount64 of the last redraw of the bar
  int64_t barMax_ = 0;                     // the last reported position, shown or not
  int64_t barPosition_ = 0;
  bool barPending_ = false;
};

}  // namespace sk::ui
