#include "ui/win32/StartMenuView.h"

#include "ui/PagePictures.h"
#include "ui/win32/FolderPicker.h"

namespace sk::ui {

namespace {
// 选择开始菜单文件夹 (choose the start-menu folder)
const std::string kTitle =
    "\xD1\xA1\xD4\xF1\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5\xCE\xC4\xBC\xFE\xBC\xD0";
// 您想在哪里创建程序的快捷方式？
const std::string kQuestion =
    "\xC4\xFA\xCF\xEB\xD4\xDA\xC4\xC4\xC0\xEF\xB4\xB4\xBD\xA8\xB3\xCC\xD0\xF2\xB5\xC4\xBF\xEC\xBD"
    "\xDD"
    "\xB7\xBD\xCA\xBD\xA3\xBF";
// 安装程序将创建程序的快捷方式到下面的开始菜单文件夹中。
const std::string kExplain =
    "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xBD\xAB\xB4\xB4\xBD\xA8\xB3\xCC\xD0\xF2\xB5\xC4\xBF\xEC\xBD"
    "\xDD"
    "\xB7\xBD\xCA\xBD\xB5\xBD\xCF\xC2\xC3\xE6\xB5\xC4\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5\xCE\xC4\xBC"
    "\xFE"
    "\xBC\xD0\xD6\xD0\xA1\xA3";
// 创建开始菜单的快捷方式 (create start-menu shortcuts)
const std::string kCreate =
    "\xB4\xB4\xBD\xA8\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5\xB5\xC4\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD";
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
