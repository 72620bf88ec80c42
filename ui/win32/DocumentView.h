// The document view of the agreement and notes pages (Windows only): a panel holding either
// the system's web-browser control, navigated to the document's path, or — where that control
// or its HTML engine cannot be created (as under Wine without its browser add-on) — a
// read-only, scrollable text view whose window text is the document (plain text as it is,
// HTML without its markup; see DocumentText). The page is never empty for a readable
// document and never fails: an unreadable file shows an empty view.
//
// The browser comes from atl.dll's control host, loaded at run time from the system folder
// (never by bare name); COM is initialised for the view's life.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "ui/win32/Controls.h"

namespace sk::ui {

class TDocumentView {
 public:
  TDocumentView(TContainer& page, int left, int top, int width, int height);
  ~TDocumentView();
  TDocumentView(const TDocumentView&) = delete;
  TDocumentView& operator=(const TDocumentView&) = delete;

  // Shows the document at `path` (GBK); an empty path shows nothing.
  void Navigate(Platform& platform, const std::string& path);
  void SetBounds(int left, int top, int width, int height) {
    Panel.SetBounds(left, top, width, height);
  }

  TPanel Panel;

 private:
  bool NavigateBrowser(const std::string& path);
  std::unique_ptr<TMemo> text_;
  HWND browser_ = nullptr;
  HMODULE atl_ = nullptr;
  bool com_ = false;
};

}  // namespace sk::ui
