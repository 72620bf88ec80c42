// The recovery window, in the loading window's style: before any page of the setup it shows
// "正在恢复上次未完成的安装…" with a bar, takes back what a dead run of the product left
// (the work handed in, ui/Recovery.h) about half a second after it appears, and closes itself.
// It asks nothing and cannot be closed while it works.
//
// The report is kept (Report()); an error that ends the work is kept (Failure()) and the
// caller rethrows it once the window is gone.
#pragma once

#include <exception>

#include "ui/Recovery.h"
#include "ui/Startup.h"
#include "ui/win32/Controls.h"

namespace sk::ui {

class RecoveryWindow : public TForm {
 public:
  RecoveryWindow(SetupContext& context, const RecoveryWork& work);

  void Start();
  bool CanClose() const { return done_; }
  const RecoveryReport& Report() const { return report_; }
  std::exception_ptr Failure() const { return failure_; }

 private:
  TLabel label_;
  TProgressBar bar_;
  TTimer start_;
  const RecoveryWork& work_;
  RecoveryReport report_;
  std::exception_ptr failure_;
  bool done_ = false;
};

}  // namespace sk::ui
