#include "ui/win32/StartMenuView.h"

#include "ui/PagePictures.h"
#include "ui/win32/FolderPicker.h"
#include "ui/win32/Views.texts.h"

namespace sk::ui {

namespace {
const std::string kTitle = view_text::kStartMenuTitle;
const std::string kQuestion = view_text::kStartMenuQuestion;
const std::string kExplain = view_text::kStartMenuExplain;
const std::string kCreate = view_text::kStartMenuCreate;
}  // namespace

TfrmStartFolder::TfrmStartFolder(TContainer& parent, SetupContext& context)
    : TChoicePageView(parent, L"TfrmStartFolder", context),
      Label10(*this, 16, 14, kTitle),
      Label11(*this, 29, 33, kQuestion),
      Label1(*this, 80, 76, kExplain),
      Label2(*this, 32, 112, choice_caption::kClickNext),
      Image1(*this, 31, 67, 32, 32),
      Edit1(*this, 33, 136, 344, 20, ""),
      BitBtn1(*this, 384, 134, 81, 22, choice_caption::kBrowse),
      CheckBox1(*this, 32, 248, 177, 17, kCreate) {
  Label10.SetFont(BoldFont());
  ShowBuiltIn(Image1, page_picture::StartMenuFolder());
  CheckBox1.SetVisible(false);
  Edit1.OnChange = [this] { Edit1Change(); };
  CheckBox1.OnClick = [this] { CheckBox1Click(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
}

void TfrmStartFolder::SetCompile(TCompile* model) {
  if (!LoadLogic(Logic, model)) return;
  filling_ = true;
  LoadTitle(*model, Logic.TitlePicture());
  Edit1.SetText(Logic.Folder());
  Edit1.SetReadOnly(!Logic.Editable());
  BitBtn1.SetEnabled(Logic.Editable());
  CheckBox1.SetVisible(Logic.OptionShown());
  CheckBox1.SetChecked(Logic.CreateStartMenu());
  filling_ = false;
}

void TfrmStartFolder::Edit1Change() {
  if (!filling_) Logic.SetFolder(Edit1.Text());
}

void TfrmStartFolder::CheckBox1Click() {
  if (!filling_) Logic.SetCreateStartMenu(CheckBox1.Checked());
}

void TfrmStartFolder::BitBtn1Click() {
  if (!Logic.Compile()) return;
  if (auto name = PickFolder(TStartFolderKindEnum::tfkStart, Logic.PickerRoot(), Edit1.Text()))
    Edit1.SetText(*name);
}

}  // namespace sk::ui
