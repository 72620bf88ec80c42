// TfrmAddonsTask, the additional-tasks page: the desktop and quick-launch shortcut check boxes,
// each shown only when the package offers it. A thin view of AddonsTaskPage (ui/ChoicePages.h).
#pragma once

#include "ui/ChoicePages.h"
#include "ui/win32/ChoiceView.h"

namespace sk::ui {

class TfrmAddonsTask : public TChoicePageView {
 public:
  TfrmAddonsTask(TContainer& parent, SetupContext& context);

  void SetCompile(TCompile* model) override;
  void CheckBox1Click();
  void CheckBox2Click();

  AddonsTaskPage Logic;
  TLabel Label10, Label11, Label1, Label2;
  TCheckBox CheckBox1, CheckBox2;
};

}  // namespace sk::ui
