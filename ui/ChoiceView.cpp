#include "ui/ChoiceView.h"

namespace sk::ui {

namespace {
constexpr int kPageWidth = 508;
constexpr int kPageHeight = 294;
constexpr int kTitleBand = 57;
}  // namespace

TChoicePageView::TChoicePageView(TContainer& parent)
    : TPanel(parent, 0, 0, kPageWidth, kPageHeight),
      TitleImage(*this, 0, 0, kPageWidth, kTitleBand) {}

void TChoicePageView::ShowPage() {
  SetVisible(true);
  TControl::BringToFront();
}

void TChoicePageView::LoadTitle(TCompile& model, const std::string& path) {
  if (path.empty()) return;
  try {
    TitleImage.Picture.LoadFromFile(model.GetPlatform(), path);
  } catch (const Error&) {
    // An unreadable picture leaves the band empty rather than ending the wizard.
  }
  TitleImage.Invalidate();
}

FontSpec TChoicePageView::BoldFont() const {
  FontSpec font;
  font.bold = true;
  return font;
}

}  // namespace sk::ui
