// TfrmBeginIns, the progress page's view (Windows only): runs the install through its
// ProgressPage and shows the file being installed, the percentage, the bar and (when the
// package asks for it) the details memo. The window stays responsive: messages are pumped on
// every progress event, but the controls are updated at most every ~30 ms, so thousands of
// small files do not spend their time painting. A target file held by another program is asked
// about in a box with Abort (cancel the install), Retry and Ignore (skip the file).
#pragma once

#include <string>

#include "ui/InstallPages.h"
#include "ui/win32/PageView.h"

namespace sk::ui {

class TfrmBeginIns : public TPageView {
 public:
  TfrmBeginIns(TContainer& panel, SetupContext& context);
  void SetCompile(TCompile* model) override;
  void StartInstall() override;

  TImage Image8;
  TLabel Label28, Label29, Label30, Label31;
  TProgressBar ProgressBar1;
  TMemo mInstall;
  ProgressPage Logic;

 private:
  void InstallProgress(const ProgressUpdate& update);
  void Flush();

  InUseAnswer AskFileInUse(const std::string& target);

  SetupContext& context_;
  TCompile* compile_ = nullptr;
  ProgressUpdate shown_;  // the last progress event (not status-only)
  bool barPending_ = false;
  std::string linesPending_;
  ULONGLONG lastFlush_ = 0;
};

}  // namespace sk::ui
