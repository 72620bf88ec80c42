// TfrmEndIns, the finish page's view (Windows only): the closing texts over the background
// picture and the three check boxes (run, readme, home page) whose states FinishPage copies
// into the options that Finish reads.
#pragma once

#include "ui/InstallPages.h"
#include "ui/win32/PageView.h"

namespace sk::ui {

class TfrmEndIns : public TPageView {
 public:
  TfrmEndIns(TContainer& panel, SetupContext& context);
  void SetCompile(TCompile* model) override;

  TImage Image9;
  TLabel Lb_Insted_Prog, DoneLabel, Label2;
  TCheckBox CheckBox1, CheckBox2, CheckBox3;
  FinishPage Logic;
};

}  // namespace sk::ui
