#include "ui/Wizard.h"

#include <algorithm>

#include "package/SettingReaders.h"
#include "ui/Actions.h"
#include "ui/Ui.texts.h"

namespace sk {

namespace caption {
const std::string kPrevious = ui_text::kButtonPrevious;
const std::string kNext = ui_text::kButtonNext;
const std::string kAgree = ui_text::kButtonAgree;
const std::string kCancel = ui_text::kButtonCancel;
const std::string kFinish = ui_text::kButtonFinish;
}  // namespace caption

std::vector<const PageRow*> EnabledPages(const TCompile& model) {
  // Every item that is on makes one page; the table gives the wizard's order.
  std::vector<const PageRow*> rows;
  for (const PageRow& row : kPageTable)
    rows.insert(rows.end(), SwitchOnCount(model.Package(), row.ListSwitch), &row);
  return rows;
}

void WizardHost::BuildPages(const PageFactory& create) {
  if (!compile_) return;
  for (const PageRow* row : EnabledPages(*compile_)) {
    if (auto form = create(row->ClassName)) pages_.push_back({row, std::move(form)});
  }
  if (!pages_.empty()) ShowPage(PageIndex);
}

void WizardHost::ShowPage(int index) {
  if (index < 0 || static_cast<size_t>(index) >= pages_.size()) return;
  buttons_.next.caption = caption::kNext;
  buttons_.previous.visible = index > 0;
  PageIndex = index;
  WizardPage& page = *pages_[static_cast<size_t>(index)].form;
  const PageRole role = pages_[static_cast<size_t>(index)].row->Role;
  switch (role) {
    case PageRole::Plain:
      Changed();
      page.SetCompile(compile_);
      break;
    case PageRole::Agreement:
      page.SetCompile(compile_);
      buttons_.next.caption = caption::kAgree;
      Changed();
      break;
    case PageRole::Progress:
      buttons_.previous.enabled = buttons_.next.enabled = buttons_.cancel.enabled = false;
      State = WizardState::Installing;
      Changed();
      page.SetCompile(compile_);
      break;
    case PageRole::Finish:
      State = WizardState::Finished;
      buttons_.previous.visible = buttons_.next.visible = false;
      buttons_.cancel.enabled = true;
      buttons_.cancel.caption = caption::kFinish;
      Changed();
      page.SetCompile(compile_);
      break;
  }
  page.BringToFront();
  if (role != PageRole::Progress) return;

  try {
    page.StartInstall();
  } catch (...) {
    // The install cannot go on: the wizard ends and the caller reports the error.
    failure_ = std::current_exception();
    State = WizardState::Failed;
    frame_.RequestClose();
    return;
  }
  if (static_cast<size_t>(PageIndex) + 1 < pages_.size()) {
    ShowPage(PageIndex + 1);
    return;
  }
  // A progress page that ends the sequence: nothing more to show, so the window offers the
  // Finish button itself instead of staying locked.
  State = WizardState::Finished;
  buttons_.previous.visible = buttons_.next.visible = false;
  buttons_.cancel.enabled = true;
  buttons_.cancel.caption = caption::kFinish;
  Changed();
}

void WizardHost::NextClick() {
  ShowPage(PageIndex + 1);
}

void WizardHost::PreviousClick() {
  ShowPage(PageIndex - 1);
  if (!buttons_.next.enabled) {
    buttons_.next.enabled = true;
    Changed();
  }
}

void WizardHost::CancelClick() {
  if (State == WizardState::Finished && compile_) {
    RunFinishActions(*compile_, [this](const std::string& text) { frame_.ShowInfo(text); });
  }
  if (CloseQuery()) frame_.RequestClose();
}

bool WizardHost::CloseQuery() {
  switch (State) {
    case WizardState::Installing:
      return false;
    case WizardState::UnderWay:
      return frame_.AskYesNo(QuitQuestion(compile_ ? compile_->Package().ItemName : std::string()));
    case WizardState::Finished:
      if (compile_)
        OfferReboot(*compile_, [this](const std::string& text) { return frame_.AskYesNo(text); });
      return true;
    case WizardState::Failed:
      return true;
  }
  return true;
}

}  // namespace sk
