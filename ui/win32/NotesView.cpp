#include "ui/win32/NotesView.h"

#include "ui/win32/Views.texts.h"

namespace sk::ui {

namespace {
const DocumentLayout kLayout{L"TfrmSoftExplaion",
                             DocumentPage::Kind::Notes,
                             504,
                             288,
                             57,
                             {16, 13},
                             {40, 32},
                             {16, 66, 465, 12},
                             {16, 90, 463, 154},
                             {16, 257, 420, 24},
                             false,
                             view_text::kNotesTitle,
                             view_text::kNotesQuestion,
                             view_text::kNotesHint,
                             view_text::kNotesExplain};
}  // namespace

TfrmSoftExplaion::TfrmSoftExplaion(TContainer& panel, SetupContext&)
    : TDocumentPageView(panel, kLayout) {}

}  // namespace sk::ui
