#include "ui/win32/LoadingWindow.h"

#include "ui/SetupDriver.h"

namespace sk::ui {

TfrmInitIns::TfrmInitIns(SetupContext& context)
    : TForm(L"TfrmInitIns", 383, 108, WS_POPUP | WS_CAPTION | WS_SYSMENU),
      // "正在解压安装文件,请稍候..." (extracting setup files, please wait...)
      Label1(*this, 15, 25,
             "\xD5\xFD\xD4\xDA\xBD\xE2\xD1\xB9\xB0\xB2\xD7\xB0\xCE\xC4\xBC\xFE,"
             "\xC7\xEB\xC9\xD4\xBA\xF2..."),
      pRelease(*this, 15, 51, 357, 19),
      Timer1(*this, 1000, true),
      context_(context) {
  SetText("\xB3\xF5\xCA\xBC\xBB\xAF...");  // "初始化..." (initialising...)
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
