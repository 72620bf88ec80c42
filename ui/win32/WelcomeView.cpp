#include "ui/win32/WelcomeView.h"

namespace sk::ui {

TfrmFist::TfrmFist(TContainer& panel, SetupContext&)
    : TPageView(panel, L"TfrmFist"),
      Image1(*this, 0, 0, kPageWidth, kPageHeight),
      TitleLabel(*this, 160, 16, WelcomePage::kTitle, false, 341, 41),
      GreetingLabel(*this, 160, 64, WelcomePage::kGreeting, false, 341, 47),
      AdviceLabel(*this, 160, 120, WelcomePage::kAdvice, false, 341, 52),
      Label4(*this, 160, 209, "", false, 337, 28),
      Label5(*this, 160, 241, "") {
  FontSpec big;
  big.bold = true;
  big.height = -16;  // 12 point
  TitleLabel.SetFont(big);
  AdviceLabel.ShowAccelChar = true;
  Label4.SetVisible(false);
  Label5.SetVisible(false);
  FontSpec link;
  link.underline = true;
  Label5.SetFont(link);
  Label5.SetFontColor(RGB(0, 0, 255));
  Label5.SetCursor(LoadCursorW(nullptr, IDC_HAND));
  Label5.OnClick = [this] { Label5Click(); };
}

void TfrmFist::SetCompile(TCompile* model) {
  if (!Logic.Load(model)) return;
  compile_ = model;
  TitleLabel.SetCaption(Logic.Title);
  GreetingLabel.SetCaption(Logic.Greeting);
  LoadPicture(Image1, model->GetPlatform(), Logic.BackgroundPicture);
  Label4.SetCaption(Logic.Company);
  Label4.SetVisible(!Logic.Company.empty());
  Label5.SetCaption(Logic.WebAddress);
  Label5.SetVisible(!Logic.WebAddress.empty());
}

void TfrmFist::Label5Click() {
  if (compile_) compile_->GetPlatform().ShellExecute("Open", Label5.Text(), "", "", show::Normal);
}

}  // namespace sk::ui
