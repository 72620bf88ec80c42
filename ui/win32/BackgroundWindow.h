// TfrmBackIns, the background window (Windows only): covers the desktop work area with the
// package's install background picture (stretched), opens the wizard host over itself about
// 100 ms after it appears (dialog border, centred) and closes when the host has closed. An
// error that ended the wizard's install is kept (Failure()) for the caller to rethrow.
#pragma once

#include <exception>

#include "ui/win32/Controls.h"
#include "ui/win32/Page.h"

namespace sk::ui {

class TfrmBackIns : public TForm {
 public:
  TfrmBackIns(SetupContext& context, const PageRegistry& pages);

  void SetCompile(TCompile* model);
  void FormShow();
  void TimerTimer();
  std::exception_ptr Failure() const { return failure_; }

  TImage Background;
  TTimer Timer;

 private:
  SetupContext& context_;
  const PageRegistry& pages_;
  TCompile* compile_ = nullptr;
  std::exception_ptr failure_;
};

}  // namespace sk::ui
