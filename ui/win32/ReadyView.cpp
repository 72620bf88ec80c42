#include "ui/win32/ReadyView.h"

namespace sk::ui {

TfrmReadyIns::TfrmReadyIns(TContainer& panel, SetupContext&)
    : TPageView(panel, L"TfrmReadyIns"),
      Image6(*this, 0, 0, kPageWidth, 57),
      Label10(*this, 16, 14, "\xD7\xBC\xB1\xB8\xB0\xB2\xD7\xB0"),  // 准备安装
      IntroLabel(*this, 29, 33, ReadyPage::kIntro),
      // 点击“安装”按钮继续安装程序，如果您要改变之前设置，请点击“上一步”按钮。
      // 在安装过程中，请不要强制中断或是退出安装进程，否则会导致程序不能正常被卸载。
      Label27(*this, 16, 70,
              "\xB5\xE3\xBB\xF7\xA1\xB0\xB0\xB2\xD7\xB0\xA1\xB1\xB0\xB4\xC5\xA5\xBC\xCC\xD0\xF8"
              "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xA3\xAC\xC8\xE7\xB9\xFB\xC4\xFA\xD2\xAA\xB8\xC4"
              "\xB1\xE4\xD6\xAE\xC7\xB0\xC9\xE8\xD6\xC3\xA3\xAC\xC7\xEB\xB5\xE3\xBB\xF7\xA1\xB0"
              "\xC9\xCF\xD2\xBB\xB2\xBD\xA1\xB1\xB0\xB4\xC5\xA5\xA1\xA3\xD4\xDA\xB0\xB2\xD7\xB0"
              "\xB9\xFD\xB3\xCC\xD6\xD0\xA3\xAC\xC7\xEB\xB2\xBB\xD2\xAA\xC7\xBF\xD6\xC6\xD6\xD0"
              "\xB6\xCF\xBB\xF2\xCA\xC7\xCD\xCB\xB3\xF6\xB0\xB2\xD7\xB0\xBD\xF8\xB3\xCC\xA3\xAC"
              "\xB7\xF1\xD4\xF2\xBB\xE1\xB5\xBC\xD6\xC2\xB3\xCC\xD0\xF2\xB2\xBB\xC4\xDC\xD5\xFD"
              "\xB3\xA3\xB1\xBB\xD0\xB6\xD4\xD8\xA1\xA3",
              false, 473, 40),
      Memo1(*this, 16, 114, 473, 153) {
  FontSpec bold;
  bold.bold = true;
  Label10.SetFont(bold);
}

void TfrmReadyIns::SetCompile(TCompile* model) {
  if (Logic.Load(model)) {
    LoadPicture(Image6, model->GetPlatform(), Logic.TitlePicture);
    IntroLabel.SetCaption(Logic.Intro);
  }
  Logic.SetCompile(model);
  Memo1.SetText(Logic.Summary);
}

}  // namespace sk::ui
