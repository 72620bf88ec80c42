// TfrmSoftExplaion, the usage-notes page's view (Windows only): the notes document under its
// title band.
#pragma once

#include "ui/win32/DocumentPageView.h"

namespace sk::ui {

class TfrmSoftExplaion : public TDocumentPageView {
 public:
  TfrmSoftExplaion(TContainer& panel, SetupContext& context);
};

}  // namespace sk::ui
