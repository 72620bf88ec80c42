#include "ui/win32/TasksView.h"

#include "ui/win32/Views.texts.h"

namespace sk::ui {

namespace {
const std::string kTitle = view_text::kTasksTitle;
const std::string kQuestion = view_text::kTasksQuestion;
const std::string kShortcuts = view_text::kTasksShortcuts;
const std::string kDesktop = view_text::kTasksDesktop;
const std::string kQuickLaunch = view_text::kTasksQuickLaunch;
}  // namespace

TfrmAddonsTask::TfrmAddonsTask(TContainer& parent, SetupContext& context)
    : TChoicePageView(parent, L"TfrmAddonsTask", context),
      Label10(*this, 16, 14, kTitle),
      Label11(*this, 29, 33, kQuestion),
      Label1(*this, 28, 69, "", false, 378, 28),
      Label2(*this, 32, 112, kShortcuts),
      CheckBox1(*this, 32, 136, 373, 17, kDesktop),
      CheckBox2(*this, 32, 160, 373, 17, kQuickLaunch) {
  Label10.SetFont(BoldFont());
  CheckBox1.SetVisible(false);
  CheckBox2.SetVisible(false);
  CheckBox1.OnClick = [this] { CheckBox1Click(); };
  CheckBox2.OnClick = [this] { CheckBox2Click(); };
}

void TfrmAddonsTask::SetCompile(TCompile* model) {
  if (!LoadLogic(Logic, model)) return;
  filling_ = true;
  LoadTitle(*model, Logic.TitlePicture());
  Label1.SetCaption(Logic.Caption());
  CheckBox1.SetVisible(Logic.DesktopShown());
  CheckBox1.SetChecked(Logic.Desktop());
  CheckBox2.SetVisible(Logic.QuickLaunchShown());
  CheckBox2.SetChecked(Logic.QuickLaunch());
  filling_ = false;
}

void TfrmAddonsTask::CheckBox1Click() {
  if (!filling_) Logic.SetDesktop(CheckBox1.Checked());
}

void TfrmAddonsTask::CheckBox2Click() {
  if (!filling_) Logic.SetQuickLaunch(CheckBox2.Checked());
}

}  // namespace sk::ui
