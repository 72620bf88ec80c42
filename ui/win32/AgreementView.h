// TfrmProtocol, the agreement page's view (Windows only): the agreement document under its
// title band. The host labels Next "我同意(&T)" while this page is shown.
#pragma once

#include "ui/win32/DocumentPageView.h"

namespace sk::ui {

class TfrmProtocol : public TDocumentPageView {
 public:
  TfrmProtocol(TContainer& panel, SetupContext& context);
};

}  // namespace sk::ui
