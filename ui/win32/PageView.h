// What every Win32 wizard page view shares (Windows only): a panel of its own window class
// (the page's class name, e.g. "TfrmFist") that fills the host's page panel, the raising of
// the current page, quiet picture loading and the title band at the top of a page.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "ui/win32/Controls.h"
#include "ui/win32/Page.h"

namespace sk::ui {

// Designed size of the host's page panel, which every page fills.
constexpr int kPageWidth = 508;
constexpr int kPageHeight = 294;

class TPageView : public TPanel, public TPageForm {
 public:
  TPageView(TContainer& panel, const wchar_t* className);
  // Shows this page and hides the other pages of the panel.
  void BringToFront() override;
};

// Loads a picture file into the image; a file that is missing or cannot be decoded leaves the
// image empty (a page never fails for its picture). Returns true when a picture was loaded.
bool LoadPicture(TImage& image, Platform& platform, const std::string& path);

// A picture band across the top of a page: `height` designed pixels until a picture is loaded,
// then as high as the picture (scaled like the page), the picture stretched to the full width.
class TTitleBand {
 public:
  TTitleBand(TContainer& page, int height);
  void Load(Platform& platform, const std::string& path);
  TImage Image;

 private:
  TContainer& page_;
};

}  // namespace sk::ui
