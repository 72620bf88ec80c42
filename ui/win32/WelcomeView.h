// TfrmFist, the welcome page's view (Windows only): the background picture behind the
// greeting, the company name and the web-address link, as WelcomePage decides them.
#pragma once

#include "ui/InformPages.h"
#include "ui/win32/PageView.h"

namespace sk::ui {

class TfrmFist : public TPageView {
 public:
  TfrmFist(TContainer& panel, SetupContext& context);
  void SetCompile(TCompile* model) override;
  void Label5Click();

  TImage Image1;
  TLabel TitleLabel, GreetingLabel, AdviceLabel, Label4, Label5;
  WelcomePage Logic;

 private:
  TCompile* compile_ = nullptr;
};

}  // namespace sk::ui
