// The wizard host TfrmParent and the Win32 start-up of the setup's windows (Windows only).
//
// TfrmParent is the view of a WizardHost (ui/Wizard.h): the page panel, the separator, the
// author link, the Back / Next / Cancel buttons and the background music. It creates its pages
// through the page class registry when it is shown, shows the host's button states, answers
// its questions with message boxes (caption: the run's message caption) and closes when the
// host asks. Closing by the close box or Alt+F4 goes through the host's close query. An error
// that ended the install is kept (Failure()) and rethrown by the caller once the window is gone.
//
// Win32SetupWindows runs each window modally with no owner and rethrows the error that ended
// its work after the window is destroyed. RegisterPageClasses fills the registry with the view
// of every row of the page table (ui/PageTable.h), under the row's class name.
#pragma once

#include <exception>
#include <string>

#include "ui/SetupDriver.h"
#include "ui/Wizard.h"
#include "ui/win32/Controls.h"
#include "ui/win32/Music.h"
#include "ui/win32/Page.h"

namespace sk::ui {

// The view of a page (its factory); nullptr for a page without one.
PageRegistry::Factory PageView(PageId id);
void RegisterPageClasses(PageRegistry& registry);
void UnregisterPageClasses(PageRegistry& registry);

class TfrmParent : public TForm, public WizardFrame {
 public:
  // `dialogBorder`: opened over the background window (dialog border, no minimise box).
  TfrmParent(SetupContext& context, const PageRegistry& pages, bool dialogBorder = false);
  ~TfrmParent() override;

  void SetCompile(TCompile* model);
  void FormShow();
  void PlayMusic();
  void tMediaTimer();
  std::exception_ptr Failure() const { return Host.Failure(); }

  // WizardFrame
  void ButtonsChanged(const NavButtons& buttons) override;
  void ShowInfo(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void RequestClose() override;

  TPanel Panel1;
  TBevel Bevel1;
  TLabel Label1;
  TButton bPrevious, bNext, bCancel;
  TTimer tMedia;
  TMediaPlayer mPlay;
  WizardHost Host;  // after the controls: its pages go before the panel they live in

 private:
  SetupContext& context_;
  const PageRegistry& pages_;
};

class Win32SetupWindows : public SetupWindows {
 public:
  Win32SetupWindows();
  ~Win32SetupWindows() override;

  void ShowPreInstallMessage(const std::string& text, const std::string& caption) override;
  void RunLoadingWindow(TCompile& model, SetupContext& context) override;
  void RunInstallWindow(TCompile& model, SetupContext& context) override;
  void RunBackgroundWindow(TCompile& model, SetupContext& context) override;
  void RunWizard(TCompile& model, SetupContext& context) override;
  RecoveryReport RunRecoveryWindow(SetupContext& context, const RecoveryWork& work) override;

  const PageRegistry& Pages() const { return pages_; }

 private:
  PageRegistry pages_;
};

}  // namespace sk::ui
