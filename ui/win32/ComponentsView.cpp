#include "ui/win32/ComponentsView.h"

#include "ui/win32/Views.texts.h"

namespace sk::ui {

namespace {
const std::string kTitle = view_text::kComponentsTitle;
const std::string kQuestion = view_text::kComponentsQuestion;
const std::string kExplain = view_text::kComponentsExplain;
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
