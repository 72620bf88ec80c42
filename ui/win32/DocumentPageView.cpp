#include "ui/win32/DocumentPageView.h"

namespace sk::ui {

namespace {
FontSpec Bold() {
  FontSpec f;
  f.bold = true;
  return f;
}
}  // namespace

TDocumentPageView::TDocumentPageView(TContainer& panel, const DocumentLayout& l)
    : TPageView(panel, l.className),
      Band(*this, l.bandHeight),
      Title(*this, l.title.x, l.title.y, l.titleText),
      Hint(*this, l.hint.x, l.hint.y, l.hintText),
      Reading(*this, l.reading.left, l.reading.top, l.readingText, false,
              l.reading.right + kPageWidth - l.designedWidth, l.reading.bottom),
      Document(*this, l.document.left, l.document.top,
               l.document.right + kPageWidth - l.designedWidth,
               l.document.bottom + kPageHeight - l.designedHeight),
      Note(*this, l.note.left, l.note.top + kPageHeight - l.designedHeight, l.noteText, false,
           l.note.right + (l.noteFollowsRight ? kPageWidth - l.designedWidth : 0), l.note.bottom),
      Logic(l.kind) {
  Title.SetFont(Bold());
  Note.ShowAccelChar = true;
}

void TDocumentPageView::SetCompile(TCompile* model) {
  if (!Logic.Load(model)) return;
  Band.Load(model->GetPlatform(), Logic.TitlePicture);
  Document.Navigate(model->GetPlatform(), Logic.Document);
}

}  // namespace sk::ui
