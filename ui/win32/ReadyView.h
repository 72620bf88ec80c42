// TfrmReadyIns, the ready page's view (Windows only): the summary of the user's choices,
// rebuilt on every visit.
#pragma once

#include "ui/InstallPages.h"
#include "ui/win32/PageView.h"

namespace sk::ui {

class TfrmReadyIns : public TPageView {
 public:
  TfrmReadyIns(TContainer& panel, SetupContext& context);
  void SetCompile(TCompile* model) override;

  TImage Image6;
  TLabel Label10, IntroLabel, Label27;
  TMemo Memo1;
  ReadyPage Logic;
};

}  // namespace sk::ui
