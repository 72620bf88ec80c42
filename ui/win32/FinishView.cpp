#include "ui/win32/FinishView.h"

#include "ui/win32/Views.texts.h"

namespace sk::ui {

TfrmEndIns::TfrmEndIns(TContainer& panel, SetupContext&)
    : TPageView(panel, L"TfrmEndIns"),
      Image9(*this, 0, 0, kPageWidth, kPageHeight),
      Lb_Insted_Prog(*this, 168, 28, FinishPage::kTitle, false, 302, 45),
      DoneLabel(*this, 168, 74, FinishPage::kDone, false, 302, 28),
      Label2(*this, 168, 110, view_text::kFinishExit),
      CheckBox1(*this, 168, 133, 302, 17, FinishPage::kRunApp),
      CheckBox2(*this, 168, 157, 302, 17, "Readme"),
      CheckBox3(*this, 168, 181, 302, 17, view_text::kFinishHomePage) {
  Color = RGB(255, 255, 255);
  FontSpec title;
  title.bold = true;
  title.height = -16;
  Lb_Insted_Prog.SetFont(title);
  TCheckBox* boxes[] = {&CheckBox1, &CheckBox2, &CheckBox3};
  for (int i = 0; i < 3; ++i) {
    boxes[i]->SetVisible(false);
    boxes[i]->OnClick = [this, i, box = boxes[i]] { Logic.CheckBoxClick(i, box->Checked()); };
  }
}

void TfrmEndIns::SetCompile(TCompile* model) {
  if (!Logic.Load(model)) return;
  LoadPicture(Image9, model->GetPlatform(), Logic.BackgroundPicture);
  Lb_Insted_Prog.SetCaption(Logic.Title);
  DoneLabel.SetCaption(Logic.Done);
  TCheckBox* boxes[] = {&CheckBox1, &CheckBox2, &CheckBox3};
  for (int i = 0; i < 3; ++i) {
    const FinishPage::CheckBox& state = Logic.Boxes[i];
    boxes[i]->SetText(state.caption);
    boxes[i]->SetChecked(state.checked);
    boxes[i]->SetVisible(state.visible);
  }
}

}  // namespace sk::ui
