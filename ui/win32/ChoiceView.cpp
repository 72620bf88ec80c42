#include "ui/win32/ChoiceView.h"

#include "platform/Error.h"

namespace sk::ui {

namespace {
constexpr int kTitleBand = 57;
}  // namespace

TChoicePageView::TChoicePageView(TContainer& parent, const wchar_t* className,
                                 const SetupContext& context)
    : TPageView(parent, className),
      TitleImage(*this, 0, 0, kPageWidth, kTitleBand),
      preset_(context.Preset) {}

void TChoicePageView::LoadTitle(TCompile& model, const std::string& path) {
  LoadPicture(TitleImage, model.GetPlatform(), path);
}

void TChoicePageView::ShowBuiltIn(TImage& image, const std::string& png) {
  try {
    image.Picture.LoadPng(png, "built-in page picture");
  } catch (const Error&) {
    // The bytes are part of the program (and tested); a failure would only leave it empty.
  }
  image.Invalidate();
}

FontSpec TChoicePageView::BoldFont() const {
  FontSpec font;
  font.bold = true;
  return font;
}

}  // namespace sk::ui
