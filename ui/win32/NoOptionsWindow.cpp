#include "ui/win32/NoOptionsWindow.h"

#include "ui/Actions.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/Views.texts.h"

namespace sk::ui {

TfrmInstall::TfrmInstall(SetupContext& context)
    : TForm(L"TfrmInstall", 338, 61, WS_POPUP | WS_CAPTION | WS_SYSMENU),
      Gauge1(*this, 16, 22, 305, 24, RGB(0, 128, 192)),
      Timer(*this, 10, false),
      context_(context) {
  SetText(view_text::kNoOptionsCaption);
  Gauge1.SetMax(100);
  Gauge1.SetProgress(12);
  Timer.OnTimer = [this] { TimerTimer(); };
  OnCloseQuery = [this] { return FormCloseQuery(); };
}

void TfrmInstall::SetCompile(TCompile* model) {
  Compile = model;
  if (!model) return;
  run_ = std::make_unique<NoOptionsInstall>(*model);
  SetText(InstallingCaption(model->Package().ItemName));
  Timer.SetEnabled(true);
}

void TfrmInstall::InstallProgress(const std::string&, const std::string&, int64_t position,
                                  int64_t max) {
  if (max != -1 && position != -1) {
    barMax_ = max;
    barPosition_ = position;
    barPending_ = true;
  }
  // Files come faster than the screen changes: pump the messages (a round trip to the window
  // system) at most every kPumpIntervalMs, and redraw the bar at most every kRedrawIntervalMs
  // (a redraw costs as much as a few small files), not for every file.
  const ULONGLONG now = GetTickCount64();
  if (barPending_ && now - lastRedraw_ >= kRedrawIntervalMs) {
    lastRedraw_ = now;
    FlushBar();
  }
  if (Compile && now - lastPump_ >= kPumpIntervalMs) {
    lastPump_ = now;
    Compile->GetPlatform().ProcessMessages();
  }
}

void TfrmInstall::FlushBar() {
  if (!barPending_) return;
  barPending_ = false;
  Gauge1.SetMax(barMax_);
  Gauge1.SetProgress(barPosition_);
}

void TfrmInstall::TimerTimer() {
  Timer.SetEnabled(false);
  run_->Run([this](const std::string& f, const std::string& h, int64_t p, int64_t m) {
    InstallProgress(f, h, p, m);
  });
  FlushBar();
  // The last per-file event names the last file item, which need not be the last item of the
  // list (folders, registry and support files follow); the install is complete now.
  if (run_->State() == NoOptionsState::Done) Gauge1.SetProgress(Gauge1.State().MaxValue);
  Close();
}

bool TfrmInstall::FormCloseQuery() {
  if (!run_) return false;
  return run_->CloseQuery([this](const std::string& text) { return AskYesNo(context_, text); });
}

}  // namespace sk::ui
