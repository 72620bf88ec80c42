#include "ui/win32/LoadingWindow.h"

#include "ui/SetupDriver.h"
#include "ui/win32/Views.texts.h"

namespace sk::ui {

TfrmInitIns::TfrmInitIns(SetupContext& context)
    : TForm(L"TfrmInitIns", 383, 108, WS_POPUP | WS_CAPTION | WS_SYSMENU),
      Label1(*this, 15, 25, view_text::kLoadingLabel),
      pRelease(*this, 15, 51, 357, 19),
      Timer1(*this, 1000, true),
      context_(context) {
  SetText(view_text::kLoadingCaption);
  Timer1.OnTimer = [this] { Timer1Timer(); };
  OnCloseQuery = [this] { return FormCloseQuery(); };
}

void TfrmInitIns::StagingProgress(int32_t position, int32_t max) {
  const BarRange bar = ScaleForBar(position, max);
  pRelease.SetMax(bar.max);
  pRelease.SetPosition(bar.position);
  if (Compile) Compile->GetPlatform().ProcessMessages();
}

void TfrmInitIns::Timer1Timer() {
  Timer1.SetEnabled(false);
  try {
    if (Compile) {
      StageFromExecutable(*Compile, [this](int32_t p, int32_t m) { StagingProgress(p, m); });
    }
    Tag = 1;
    SetModalResult(mrOk);
  } catch (...) {
    failure_ = std::current_exception();
    Tag = 2;
    SetModalResult(mrAbort);
  }
}

}  // namespace sk::ui
