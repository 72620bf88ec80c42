#include "ui/win32/ReadyView.h"

#include "ui/win32/Views.texts.h"

namespace sk::ui {

TfrmReadyIns::TfrmReadyIns(TContainer& panel, SetupContext&)
    : TPageView(panel, L"TfrmReadyIns"),
      Image6(*this, 0, 0, kPageWidth, 57),
      Label10(*this, 16, 14, view_text::kReadyTitle),
      IntroLabel(*this, 29, 33, ReadyPage::kIntro),
      Label27(*this, 16, 70, view_text::kReadyExplain, false, 473, 40),
      Memo1(*this, 16, 114, 473, 153) {
  FontSpec bold;
  bold.bold = true;
  Label10.SetFont(bold);
}

void TfrmReadyIns::SetCompile(TCompile* model) {
  if (Logic.Load(model)) {
    LoadPicture(Image6, model->GetPlatform(), Logic.TitlePicture);
    IntroLabel.SetCaption(Logic.Intro);
  }
  Logic.SetCompile(model);
  Memo1.SetText(Logic.Summary);
}

}  // namespace sk::ui
