// TfrmInitIns, the loading window: about one second after it appears it checks the whole
// package, then stages the support files (StageFromExecutable does both), showing the progress
// of each on its bar, and closes itself when done. Until then it cannot be closed.
//
// An error that ends the check or the staging is kept (Failure()), the window closes, and the
// caller rethrows it once the window is gone.
#pragma once

#include <exception>

#include "package/Compile.h"
#include "ui/Startup.h"
#include "ui/win32/Controls.h"

namespace sk::ui {

class TfrmInitIns : public TForm {
 public:
  explicit TfrmInitIns(SetupContext& context);

  void SetCompile(TCompile* model) { Compile = model; }
  void Timer1Timer();
  void StagingProgress(int32_t position, int32_t max);
  bool FormCloseQuery() const { return Tag != 0; }
  std::exception_ptr Failure() const { return failure_; }

  TLabel Label1;
  TProgressBar pRelease;
  TTimer Timer1;
  TCompile* Compile = nullptr;
  int Tag = 0;  // 0 while staging; 1 done; 2 failed

 private:
  SetupContext& context_;
  std::exception_ptr failure_;
};

}  // namespace sk::ui
