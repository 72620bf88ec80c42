// The view shared by the two document pages, TfrmProtocol (agreement) and TfrmSoftExplaion
// (usage notes) (Windows only): a title band, a bold title, a hint, a reading hint, the
// document view and a closing note, at the places each page's layout gives. Controls that
// follow the right or bottom edge grow or move with the difference between the page's designed
// size and the page panel it fills.
#pragma once

#include "ui/InformPages.h"
#include "ui/win32/DocumentView.h"
#include "ui/win32/PageView.h"

namespace sk::ui {

struct DocumentLayout {
  const wchar_t* className;
  DocumentPage::Kind kind;
  int designedWidth, designedHeight;  // the page as designed; it is stretched over the panel
  int bandHeight;
  POINT title, hint;             // auto-sized labels
  RECT reading, document, note;  // left, top, width, height as designed
  bool noteFollowsRight;
  const char *titleText, *hintText, *readingText, *noteText;
};

class TDocumentPageView : public TPageView {
 public:
  TDocumentPageView(TContainer& panel, const DocumentLayout& layout);
  void SetCompile(TCompile* model) override;

  TTitleBand Band;
  TLabel Title, Hint, Reading;
  TDocumentView Document;
  TLabel Note;
  DocumentPage Logic;
};

}  // namespace sk::ui
