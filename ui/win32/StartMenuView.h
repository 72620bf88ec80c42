// TfrmStartFolder, the start-menu folder page: the folder name with Browse (the folder picker
// over the all-users start-menu programs) and, when offered, the start-menu check box. A thin
// view of StartFolderPage (ui/ChoicePages.h): every edit and click goes straight to it.
#pragma once

#include "ui/ChoicePages.h"
#include "ui/win32/ChoiceView.h"

namespace sk::ui {

class TfrmStartFolder : public TChoicePageView {
 public:
  TfrmStartFolder(TContainer& parent, SetupContext& context);

  void SetCompile(TCompile* model) override;
  void Edit1Change();
  void CheckBox1Click();
  void BitBtn1Click();

  StartFolderPage Logic;
  TLabel Label10, Label11, Label1, Label2;
  TImage Image1;  // the built-in picture beside Label1
  TEdit Edit1;
  TButton BitBtn1;
  TCheckBox CheckBox1;
};

}  // namespace sk::ui
