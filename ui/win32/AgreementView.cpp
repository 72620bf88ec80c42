#include "ui/win32/AgreementView.h"

#include "ui/win32/Views.texts.h"

namespace sk::ui {

namespace {
const DocumentLayout kLayout{L"TfrmProtocol",
                             DocumentPage::Kind::Agreement,
                             506,
                             288,
                             60,
                             {16, 11},
                             {43, 29},
                             {15, 66, 474, 12},
                             {15, 87, 476, 156},
                             {15, 256, 474, 24},
                             false,
                             view_text::kAgreementTitle,
                             view_text::kAgreementQuestion,
                             view_text::kAgreementHint,
                             view_text::kAgreementExplain};
}  // namespace

TfrmProtocol::TfrmProtocol(TContainer& panel, SetupContext&) : TDocumentPageView(panel, kLayout) {}

}  // namespace sk::ui
