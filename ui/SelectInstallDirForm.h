// TfrmSelectInstallDir, the install-folder page: the folder with Browse (the folder picker over
// the desktop), the optional Search for an existing installation, and the needed and free
// space. A thin view of SelectInstallDirPage (ui/ChoicePages.h).
//
// The search runs on the GUI thread with the hourglass; it pumps the message queue so the
// window keeps painting, and ends early when Escape is pressed or the wizard is asked to close
// (the close itself is not done then). The page's own controls are disabled meanwhile.
#pragma once

#include "ui/ChoicePages.h"
#include "ui/ChoiceView.h"

namespace sk::ui {

class TfrmSelectInstallDir : public TChoicePageView {
 public:
  TfrmSelectInstallDir(TContainer& parent, SetupContext& context);

  void SetCompile(TCompile* model) override;
  void Edit1Change();
  void BitBtn1Click();
  void BitBtn2Click();

  SelectInstallDirPage Logic;
  TLabel Label10, Label11, Label1, Label2;
  TEdit Edit1;
  TButton BitBtn1, BitBtn2;
  TLabel Label14, lNeedsSize, Label20, lDrvSize;

 private:
  SetupContext& context_;
};

}  // namespace sk::ui
