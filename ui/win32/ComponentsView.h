// TfrmSelComponent, the components page: a check list of "主程序" and the component packages
// with the space they need. A thin view of SelComponentPage (ui/ChoicePages.h): every change of
// a row's check state that the list reports (mouse, Space key, or a state set from outside) is
// handed to the logic, and a cleared "主程序" row is checked again at once.
#pragma once

#include "ui/ChoicePages.h"
#include "ui/win32/ChoiceView.h"

namespace sk::ui {

class TfrmSelComponent : public TChoicePageView {
 public:
  TfrmSelComponent(TContainer& parent, SetupContext& context);

  void SetCompile(TCompile* model) override;
  void List_ComponentClickCheck(int index);

  SelComponentPage Logic;
  TLabel Label18, Label19, Label4;
  TCheckListBox List_Component;
  TLabel Label9;
};

}  // namespace sk::ui
