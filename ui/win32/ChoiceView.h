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
namespace choice_caption {
// 浏览(&B)... (browse)
inline constexpr char kBrowse[] = "\xE4\xAF\xC0\xC0(&B)...";
// 单击“下一步”按钮继续，如果您想选择其它的文件夹请点击“浏览”按钮。
inline constexpr char kClickNext[] =
    "\xB5\xA5\xBB\xF7\xA1\xB0\xCF\xC2\xD2\xBB\xB2\xBD\xA1\xB1\xB0\xB4\xC5\xA5\xBC\xCC\xD0\xF8\xA3"
    "\xAC"
    "\xC8\xE7\xB9\xFB\xC4\xFA\xCF\xEB\xD1\xA1\xD4\xF1\xC6\xE4\xCB\xFC\xB5\xC4\xCE\xC4\xBC\xFE\xBC"
    "\xD0"
    "\xC7\xEB\xB5\xE3\xBB\xF7\xA1\xB0\xE4\xAF\xC0\xC0\xA1\xB1\xB0\xB4\xC5\xA5\xA1\xA3";
}  // namespace choice_caption

}  // namespace sk::ui
