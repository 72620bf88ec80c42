#include "ui/win32/ComponentsView.h"

namespace sk::ui {

namespace {
const std::string kTitle = "\xD1\xA1\xD4\xF1\xB0\xB2\xD7\xB0\xD7\xE9\xBC\xFE";  // 选择安装组件
// 选择你要安装的哪些组件 (choose which components to install)
const std::string kQuestion =
    "\xD1\xA1\xD4\xF1\xC4\xE3\xD2\xAA\xB0\xB2\xD7\xB0\xB5\xC4\xC4\xC4\xD0\xA9\xD7\xE9\xBC\xFE";
// 选择您想要安装的组件，点击[下一步]继续。
const std::string kExplain =
    "\xD1\xA1\xD4\xF1\xC4\xFA\xCF\xEB\xD2\xAA\xB0\xB2\xD7\xB0\xB5\xC4\xD7\xE9\xBC\xFE\xA3\xAC\xB5"
    "\xE3"
    "\xBB\xF7[\xCF\xC2\xD2\xBB\xB2\xBD]\xBC\xCC\xD0\xF8\xA1\xA3";
}  // namespace

TfrmSelComponent::TfrmSelComponent(TContainer& parent, SetupContext& context)
    : TChoicePageView(parent, L"TfrmSelComponent", context),
      Label18(*this, 24, 15, kTitle),
      Label19(*this, 48, 34, kQuestion),
      Label4(*this, 16, 73, kExplain, false, 257, 12),
      List_Component(*this, 16, 95, 382, 151),
      Label9(*this, 16, 257, choice_text::kSpaceNeeded) {
  Label18.SetFont(BoldFont());
  List_Component.OnClickCheck = [this](int index) { List_ComponentClickCheck(index); };
}

void TfrmSelComponent::SetCompile(TCompile* model) {
  if (!LoadLogic(Logic, model)) return;
  filling_ = true;
  LoadTitle(*model, Logic.TitlePicture());
  for (const auto& row : Logic.Rows()) List_Component.Add(row.text, row.checked);
  Label9.SetCaption(Logic.SpaceText());
  filling_ = false;
}

void TfrmSelComponent::List_ComponentClickCheck(int index) {
  if (filling_ || index < 0) return;
  Logic.SetChecked(static_cast<size_t>(index), List_Component.Checked(index));
  // The logic keeps "主程序" checked; show it so (this raises one more, harmless, change).
  if (index == 0 && !List_Component.Checked(0)) List_Component.SetChecked(0, true);
  Label9.SetCaption(Logic.SpaceText());
}

}  // namespace sk::ui
