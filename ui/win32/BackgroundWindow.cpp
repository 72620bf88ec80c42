#include "ui/win32/BackgroundWindow.h"

#include "ui/InformPages.h"
#include "ui/win32/PageView.h"
#include "ui/win32/Views.texts.h"
#include "ui/win32/WizardWindow.h"

namespace sk::ui {

namespace {
RECT WorkArea() {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}
}  // namespace

TfrmBackIns::TfrmBackIns(SetupContext& context, const PageRegistry& pages)
    : TForm(L"TfrmBackIns", 100, 100, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
      Background(*this, 0, 0, 0, 0),
      Timer(*this, 100, true),
      context_(context),
      pages_(pages) {
  SetText(view_text::kBackgroundCaption);
  const RECT work = WorkArea();
  MoveWindow(hwnd_, work.left, work.top, work.right - work.left, work.bottom - work.top, FALSE);
  RECT client;
  GetClientRect(hwnd_, &client);
  Background.Stretch = true;
  Background.SetPixelBounds(client);
  Timer.OnTimer = [this] { TimerTimer(); };
  OnShow = [this] { FormShow(); };
}

void TfrmBackIns::SetCompile(TCompile* model) {
  compile_ = model;
  if (model) SetText(MessageCaptionFor(model->Package().ItemName));
}

void TfrmBackIns::FormShow() {
  if (!compile_) return;
  const std::string picture = BackgroundWindowPicture(*compile_);
  if (!picture.empty()) LoadPicture(Background, compile_->GetPlatform(), picture);
}

void TfrmBackIns::TimerTimer() {
  Timer.SetEnabled(false);
  {
    TfrmParent host(context_, pages_, true);
    host.SetCompile(compile_);
    host.ShowModal();
    failure_ = host.Failure();
  }
  SetModalResult(failure_ ? mrAbort : mrOk);
}

}  // namespace sk::ui
