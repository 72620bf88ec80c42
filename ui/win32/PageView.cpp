#include "ui/win32/PageView.h"

namespace sk::ui {

TPageView::TPageView(TContainer& panel, const wchar_t* className)
    : TPanel(panel, 0, 0, kPageWidth, kPageHeight, className) {
  // Hidden until the host shows it, so that only the current page is ever visible.
  SetVisible(false);
}

void TPageView::BringToFront() {
  for (HWND sibling = GetWindow(GetParent(hwnd_), GW_CHILD); sibling;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling != hwnd_) ShowWindow(sibling, SW_HIDE);
  }
  TControl::BringToFront();
}

bool LoadPicture(TImage& image, Platform& platform, const std::string& path) {
  if (path.empty()) return false;
  try {
    image.Picture.LoadFromFile(platform, path);
  } catch (const Error&) {
    // LoadFromFile has emptied the picture before it failed.
  }
  image.Invalidate();
  return !image.Picture.Empty();
}

TTitleBand::TTitleBand(TContainer& page, int height)
    : Image(page, 0, 0, kPageWidth, height), page_(page) {
  Image.Stretch = true;
}

void TTitleBand::Load(Platform& platform, const std::string& path) {
  if (!LoadPicture(Image, platform, path)) return;
  RECT b = Image.Bounds();
  b.bottom = b.top + page_.Scale(Image.Picture.Height());
  Image.SetPixelBounds(b);
}

}  // namespace sk::ui
