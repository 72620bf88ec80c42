// The wizard without windows: the page table, the page interface, the button table and the
// host's navigation (TfrmParent's logic). Portable; the Win32 host (ui/win32/WizardWindow) and the
// headless run of `setupkit simulate` (ui/Session) both drive a WizardHost.
//
// Pages. Every page is a WizardPage created by class name (ui/PageTable.h) through a factory
// the caller hands to BuildPages; the host owns the pages it creates. SetCompile is called on
// every visit: a page initialises itself from its setting group on the first call only (use
// PageModel from ui/PageSettings.h) and may refresh on later ones. A page never frees the model.
// The progress page's StartInstall runs the install and returns when it is done; an error it
// throws ends the wizard (the host keeps it, see Failure()).
//
// Frame. The host tells its window what to show through WizardFrame: the button states after
// every change (before a progress page starts installing, so the buttons are disabled while it
// runs), the questions, and the request to close. All texts are GBK.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "package/Compile.h"
#include "ui/PageTable.h"

namespace sk {

// One page of the wizard as the host sees it.
class WizardPage {
 public:
  virtual ~WizardPage() = default;
  // Hands the page the model; called on every visit (never with a different model).
  virtual void SetCompile(TCompile* model) = 0;
  // Progress page only: runs the install, returns when it has finished; throws on failure.
  virtual void StartInstall() {}
  // Makes the page the one in front (views raise their window; headless pages do nothing).
  virtual void BringToFront() {}
};

// The class names of the pages the package enables, in wizard order: group-1 items whose value
// is exactly "启用" and whose name matches a row with ASCII-only case folding. A name that
// appears twice yields the page twice, as each enabled item makes one page.
std::vector<const PageRow*> EnabledPages(const TCompile& model);

// GBK captions of the host's buttons.
namespace caption {
extern const std::string kPrevious;  // "<-上一步(&P)"
extern const std::string kNext;      // "下一步(&N)->"
extern const std::string kAgree;     // "我同意(&T)"
extern const std::string kCancel;    // "取消(&C)"
extern const std::string kFinish;    // "完成(&F)"
}  // namespace caption

struct ButtonState {
  bool visible = true;
  bool enabled = true;
  std::string caption;
  bool operator==(const ButtonState&) const = default;
};

struct NavButtons {
  ButtonState previous{false, true, caption::kPrevious};
  ButtonState next{true, true, caption::kNext};
  ButtonState cancel{true, true, caption::kCancel};
  bool operator==(const NavButtons&) const = default;
};

// What the host's window does for the host.
class WizardFrame {
 public:
  virtual ~WizardFrame() = default;
  virtual void ButtonsChanged(const NavButtons& buttons) = 0;
  virtual void ShowInfo(const std::string& text) = 0;  // information box, OK
  virtual bool AskYesNo(const std::string& text) = 0;  // question box; true on Yes
  virtual void RequestClose() = 0;                     // ends the wizard (no close query)
};

// Where the wizard stands; the close query and the Cancel/Finish button act on it.
enum class WizardState {
  UnderWay,    // before the install
  Installing,  // the progress page is installing
  Finished,    // the finish page (or a progress page that ends the sequence) is shown
  Failed,      // the install failed: close without questions
};

class WizardHost {
 public:
  using PageFactory = std::function<std::unique_ptr<WizardPage>(const std::string& className)>;

  explicit WizardHost(WizardFrame& frame) : frame_(frame) {}
  WizardHost(const WizardHost&) = delete;
  WizardHost& operator=(const WizardHost&) = delete;

  void SetCompile(TCompile* model) { compile_ = model; }
  TCompile* Compile() const { return compile_; }

  // Creates a page for every enabled row through `create` (a null result makes no page), in
  // wizard order, then shows the first one.
  void BuildPages(const PageFactory& create);
  // Shows the page at index (nothing for an index outside the list). On the progress page it
  // runs the install and then moves on by itself.
  void ShowPage(int index);
  void NextClick();
  void PreviousClick();
  // Once finished (Cancel reads "完成(&F)") runs the completion actions first; then asks the
  // frame to close when the close query allows it.
  void CancelClick();
  // The close query by State: refuse while installing; ask the quit question before the install;
  // the reboot question (and reboot) after the finish page was shown.
  bool CloseQuery();

  WizardState State = WizardState::UnderWay;
  int PageIndex = 0;
  const NavButtons& Buttons() const { return buttons_; }
  size_t PageCount() const { return pages_.size(); }
  WizardPage* Page(size_t index) const { return pages_[index].form.get(); }
  const PageRow& Row(size_t index) const { return *pages_[index].row; }
  // The error that ended the install on the progress page, if any (the wizard then closes).
  std::exception_ptr Failure() const { return failure_; }
  // Frees the pages (views free their windows with them).
  void ClearPages() { pages_.clear(); }

 private:
  struct TPageItem {
    const PageRow* row;
    std::unique_ptr<WizardPage> form;
  };
  void Changed() { frame_.ButtonsChanged(buttons_); }

  WizardFrame& frame_;
  TCompile* compile_ = nullptr;
  std::vector<TPageItem> pages_;
  NavButtons buttons_;
  std::exception_ptr failure_;
};

}  // namespace sk
