// What the choice-page views share: a wizard page view (ui/win32/PageView.h) with the title picture
// drawn at its own size from the top-left corner of a 57-pixel band (cut off where it is
// larger, never stretched). A title picture that cannot be read leaves the band empty. The
// 32 x 32 pictures built into some pages are drawn at their own size too (scaled like the page).
//
// A run started with switches (Setup.exe /D=... without /S) hands its choices to the pages
// through SetupContext::Preset: each page fills itself from the package, then takes the choices
// that belong to it as its starting state (LoadLogic), as if the user had made them. The run has
// checked them against the package before the wizard opened (ui/SwitchChoices.h).
#pragma once

#include <string>

#include "package/Compile.h"
#include "ui/Choices.h"
#include "ui/win32/PageView.h"
#include "ui/win32/Views.texts.h"

namespace sk::ui {

class TChoicePageView : public TPageView {
 public:
  TChoicePageView(TContainer& parent, const wchar_t* className, const SetupContext& context);

 protected:
  // The page logic's first Load, then the run's preset choices; false on later calls.
  template <typename Logic>
  bool LoadLogic(Logic& logic, TCompile* model) {
    if (!logic.Load(model)) return false;
    if (preset_) preset_->ApplyTo(logic);
    return true;
  }

  void LoadTitle(TCompile& model, const std::string& path);
  // Shows the PNG bytes of a picture built into the page (ui/PagePictures.h) in `image`.
  static void ShowBuiltIn(TImage& image, const std::string& png);
  FontSpec BoldFont() const;

  TImage TitleImage;
  bool filling_ = false;  // true while the page fills its controls from its logic

 private:
  const WizardChoices* preset_;
};

// The captions the pages share (GBK).
// The folder pages' captions (namespace choice_caption) are in ui/win32/Views.texts.

}  // namespace sk::ui
