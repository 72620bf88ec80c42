#include "ui/win32/ProgressView.h"

#include "ui/win32/Dialogs.h"

namespace sk::ui {

namespace {
constexpr ULONGLONG kRepaintMs = 30;
}

TfrmBeginIns::TfrmBeginIns(TContainer& panel, SetupContext& context)
    : TPageView(panel, L"TfrmBeginIns"),
      context_(context),
      Image8(*this, 0, 0, kPageWidth, 57),
      // 安装程序正在进行安装操作，请稍候...
      Label28(*this, 16, 15,
              "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xD5\xFD\xD4\xDA\xBD\xF8\xD0\xD0\xB0\xB2\xD7\xB0"
              "\xB2\xD9\xD7\xF7\xA3\xAC\xC7\xEB\xC9\xD4\xBA\xF2..."),
      // 安装过程中，请不要强制退出安装向导。否则会导致文件安装不完整
      Label29(*this, 45, 34,
              "\xB0\xB2\xD7\xB0\xB9\xFD\xB3\xCC\xD6\xD0\xA3\xAC\xC7\xEB\xB2\xBB\xD2\xAA\xC7\xBF"
              "\xD6\xC6\xCD\xCB\xB3\xF6\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC\xA1\xA3\xB7\xF1\xD4\xF2"
              "\xBB\xE1\xB5\xBC\xD6\xC2\xCE\xC4\xBC\xFE\xB0\xB2\xD7\xB0\xB2\xBB\xCD\xEA\xD5\xFB"),
      Label30(*this, 24, 76, "", false, 398, 14),
      Label31(*this, 452, 77, ""),
      ProgressBar1(*this, 24, 98, 446, 19),
      mInstall(*this, 23, 128, 447, 148) {
  FontSpec bold;
  bold.bold = true;
  Label28.SetFont(bold);
  mInstall.SetVisible(false);
}

void TfrmBeginIns::SetCompile(TCompile* model) {
  if (!Logic.Load(model)) return;
  compile_ = model;
  LoadPicture(Image8, model->GetPlatform(), Logic.TitlePicture);
  mInstall.SetVisible(Logic.DetailsVisible);
}

void TfrmBeginIns::InstallProgress(const ProgressUpdate& update) {
  if (update.detailsLine) {
    if (!linesPending_.empty()) linesPending_ += "\r\n";
    linesPending_ += *update.detailsLine;
  }
  if (!update.statusOnly) {
    shown_ = update;
    barPending_ = true;
  }
  const ULONGLONG now = GetTickCount64();
  if (now - lastFlush_ >= kRepaintMs) Flush();
  if (compile_) compile_->GetPlatform().ProcessMessages();
}

void TfrmBeginIns::Flush() {
  lastFlush_ = GetTickCount64();
  if (barPending_) {
    Label30.SetCaption(shown_.fileName);
    Label31.SetCaption(shown_.percent);
    ProgressBar1.SetMax(shown_.barMax);
    ProgressBar1.SetPosition(shown_.barPosition);
    barPending_ = false;
  }
  if (!linesPending_.empty()) {
    mInstall.AddLine(linesPending_);
    linesPending_.clear();
  }
}

InUseAnswer TfrmBeginIns::AskFileInUse(const std::string& target) {
  Flush();  // the box names the file the page shows
  switch (MessageAbortRetryIgnore(FileInUseQuestion(target), context_.MessageCaption)) {
    case BoxAnswer::Abort:
      return InUseAnswer::Cancel;
    case BoxAnswer::Ignore:
      return InUseAnswer::Skip;
    case BoxAnswer::Retry:
      break;
  }
  return InUseAnswer::Retry;
}

void TfrmBeginIns::StartInstall() {
  Logic.OnProgress = [this](const ProgressUpdate& u) { InstallProgress(u); };
  Logic.OnFileInUse = [this](const std::string& target) { return AskFileInUse(target); };
  struct Done {
    TfrmBeginIns& page;
    ~Done() {
      page.Logic.OnProgress = nullptr;
      page.Logic.OnFileInUse = nullptr;
      page.Flush();  // the last state, also when the install failed
    }
  } done{*this};
  Logic.StartInstall();
}

}  // namespace sk::ui
