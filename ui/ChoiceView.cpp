#include "ui/ChoiceView.h"

namespace sk::ui {

namespace {
constexpr int kTitleBand = 57;
}  // namespace

TChoicePageView::TChoicePageView(TContainer& parent, const wchar_t* className)
    : TPageView(parent, className), TitleImage(*this, 0, 0, kPageWidth, kTitleBand) {}

void TChoicePageView::LoadTitle(TCompile& model, const std::string& path) {
  LoadPicture(TitleImage, model.GetPlatform(), path);
}

FontSpec TChoicePageView::BoldFont() const {
  FontSpec font;
  font.bold = true;
  return font;
}

}  // namespace sk::ui
