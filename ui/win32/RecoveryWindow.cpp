#include "ui/win32/RecoveryWindow.h"

#include "platform/win32/Win32Platform.h"
#include "ui/Progress.h"

namespace sk::ui {

RecoveryWindow::RecoveryWindow(SetupContext& context, const RecoveryWork& work)
    : TForm(L"TfrmRecovery", 383, 108, WS_POPUP | WS_CAPTION | WS_SYSMENU),
      label_(*this, 15, 25, recovery_text::kRecovering),
      bar_(*this, 15, 51, 357, 19),
      start_(*this, 500, true),
      work_(work) {
  SetText(context.ItemName.empty() ? std::string(recovery_text::kCaption) : context.ItemName);
  start_.OnTimer = [this] { Start(); };
  OnCloseQuery = [this] { return CanClose(); };
}

void RecoveryWindow::Start() {
  start_.SetEnabled(false);
  try {
    report_ = work_([this](size_t done, size_t total) {
      const BarRange bar = ScaleForBar(static_cast<int64_t>(done), static_cast<int64_t>(total));
      bar_.SetMax(bar.max);
      bar_.SetPosition(bar.position);
      // Lets the window paint and move between steps.
      Win32Platform().ProcessMessages();
    });
    done_ = true;
    SetModalResult(mrOk);
  } catch (...) {
    failure_ = std::current_exception();
    done_ = true;
    SetModalResult(mrAbort);
  }
}

}  // namespace sk::ui
