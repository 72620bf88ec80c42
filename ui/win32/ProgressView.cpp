#include "ui/win32/ProgressView.h"

#include "ui/win32/Dialogs.h"
#include "ui/win32/Views.texts.h"

namespace sk::ui {

namespace {
constexpr ULONGLONG kRepaintMs = 30;
}

TfrmBeginIns::TfrmBeginIns(TContainer& panel, SetupContext& context)
    : TPageView(panel, L"TfrmBeginIns"),
      context_(context),
      Image8(*this, 0, 0, kPageWidth, 57),
      Label28(*this, 16, 15, view_text::kProgressWorking),
      Label29(*this, 45, 34, view_text::kProgressWarning),
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
