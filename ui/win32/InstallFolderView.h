// TfrmSelectInstallDir, the install-folder page: the folder with Browse (the folder picker over
// the desktop), the optional Search for an existing installation, and the needed and free
// space. A thin view of SelectInstallDirPage (ui/ChoicePages.h).
//
// The search runs on the GUI thread; it pumps the message queue so the window keeps painting.
// Meanwhile the page's own controls are disabled and the page shows the hourglass, while the
// wizard's Back, Next and Cancel stay usable: leaving the page, Escape, or a close of the
// wizard (Cancel, the close box; the close itself is not done then) ends it early with nothing.
#pragma once

#include "ui/ChoicePages.h"
#include "ui/win32/ChoiceView.h"

namespace sk::ui {

class TfrmSelectInstallDir : public TChoicePageView {
 public:
  TfrmSelectInstallDir(TContainer& parent, SetupContext& context);

  void SetCompile(TCompile* model) override;
  void Edit1Change();
  void BitBtn1Click();
  void BitBtn2Click();

  SelectInstallDirPage Logic;
  TLabel Label10, Label11, Label1, Label2;
  TImage Image1;  // the built-in picture beside Label1
  TEdit Edit1;
  TButton BitBtn1, BitBtn2;
  TLabel Label14, lNeedsSize, Label20, lDrvSize;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // The page's state while a search runs (set up and undone with the object's lifetime).
  class SearchingState {
   public:
    explicit SearchingState(TfrmSelectInstallDir& page);
    ~SearchingState();

   private:
    TfrmSelectInstallDir& page_;
  };

  SetupContext& context_;
  bool searching_ = false;
};

}  // namespace sk::ui
