#include "ui/win32/TasksView.h"

namespace sk::ui {

namespace {
const std::string kTitle = "\xB8\xBD\xBC\xD3\xC8\xCE\xCE\xF1";  // 附加任务
// 您想要安装程序执行哪些任务？ (which tasks shall setup perform?)
const std::string kQuestion =
    "\xC4\xFA\xCF\xEB\xD2\xAA\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xD6\xB4\xD0\xD0\xC4\xC4\xD0\xA9\xC8"
    "\xCE"
    "\xCE\xF1\xA3\xBF";
// 附加快捷方式： (additional shortcuts:)
const std::string kShortcuts = "\xB8\xBD\xBC\xD3\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD\xA3\xBA";
// 创建桌面快捷方式 (create a desktop shortcut)
const std::string kDesktop = "\xB4\xB4\xBD\xA8\xD7\xC0\xC3\xE6\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD";
// 创建快速启动栏快捷方式 (create a quick-launch shortcut)
const std::string kQuickLaunch =
    "\xB4\xB4\xBD\xA8\xBF\xEC\xCB\xD9\xC6\xF4\xB6\xAF\xC0\xB8\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD";
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
