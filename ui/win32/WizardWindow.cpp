#include "ui/win32/WizardWindow.h"

#include "ui/Actions.h"
#include "ui/win32/AgreementView.h"
#include "ui/win32/BackgroundWindow.h"
#include "ui/win32/ComponentsView.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/FinishView.h"
#include "ui/win32/InstallFolderView.h"
#include "ui/win32/LoadingWindow.h"
#include "ui/win32/NoOptionsWindow.h"
#include "ui/win32/NotesView.h"
#include "ui/win32/ProgressView.h"
#include "ui/win32/ReadyView.h"
#include "ui/win32/RecoveryWindow.h"
#include "ui/win32/StartMenuView.h"
#include "ui/win32/TasksView.h"
#include "ui/win32/WelcomeView.h"

namespace sk::ui {

namespace {
template <typename Page>
PageRegistry::Factory Make() {
  return [](TContainer& panel, SetupContext& context) {
    return std::make_unique<Page>(panel, context);
  };
}
}  // namespace

PageRegistry::Factory PageView(PageId id) {
  switch (id) {
    case PageId::Welcome:
      return Make<TfrmFist>();
    case PageId::Agreement:
      return Make<TfrmProtocol>();
    case PageId::Notes:
      return Make<TfrmSoftExplaion>();
    case PageId::StartMenu:
      return Make<TfrmStartFolder>();
    case PageId::Components:
      return Make<TfrmSelComponent>();
    case PageId::InstallFolder:
      return Make<TfrmSelectInstallDir>();
    case PageId::Tasks:
      return Make<TfrmAddonsTask>();
    case PageId::Ready:
      return Make<TfrmReadyIns>();
    case PageId::Progress:
      return Make<TfrmBeginIns>();
    case PageId::Finish:
      return Make<TfrmEndIns>();
  }
  return nullptr;
}

void RegisterPageClasses(PageRegistry& registry) {
  for (const PageRow& row : kPageTable) registry.Register(row.ClassName, PageView(row.Id));
}

void UnregisterPageClasses(PageRegistry& registry) {
  for (const PageRow& row : kPageTable) registry.Unregister(row.ClassName);
}

// ---- TfrmParent ----

TfrmParent::TfrmParent(SetupContext& context, const PageRegistry& pages, bool dialogBorder)
    : TForm(L"TfrmParent", 508, 331,
            WS_POPUP | WS_CAPTION | WS_SYSMENU | (dialogBorder ? 0 : WS_MINIMIZEBOX)),
      Panel1(*this, 0, 0, 508, 294),
      Bevel1(*this, 0, 295, 508, 6),
      Label1(*this, 8, 309, ""),
      bPrevious(*this, 256, 304, 75, 22, caption::kPrevious),
      bNext(*this, 336, 304, 75, 22, caption::kNext),
      bCancel(*this, 424, 304, 75, 22, caption::kCancel),
      tMedia(*this, 1000, true),
      Host(*this),
      context_(context),
      pages_(pages) {
  bPrevious.OnClick = [this] { Host.PreviousClick(); };
  bNext.OnClick = [this] { Host.NextClick(); };
  bCancel.OnClick = [this] { Host.CancelClick(); };
  tMedia.OnTimer = [this] { tMediaTimer(); };
  OnShow = [this] { FormShow(); };
  OnCloseQuery = [this] { return Host.CloseQuery(); };
  Label1.OnMouseEnter = [this] {
    Label1.SetFontColor(RGB(0, 0, 255));
    Label1.SetCursor(LoadCursorW(nullptr, IDC_HAND));
  };
  Label1.OnMouseLeave = [this] {
    Label1.SetFontColor(RGB(0, 0, 0));
    Label1.SetCursor(nullptr);
  };
  Label1.OnClick = [this] {
    if (Host.Compile()) OpenWebPage(Host.Compile()->GetPlatform(), Label1.Hint);
  };
}

TfrmParent::~TfrmParent() {
  // Whether the wizard got to its end, for the run's exit code.
  context_.WizardFinished = Host.State == WizardState::Finished;
  // The pages' windows are children of Panel1: destroy them while it still exists.
  Host.ClearPages();
}

void TfrmParent::SetCompile(TCompile* model) {
  Host.SetCompile(model);
  if (!model) return;
  SetText(MessageCaptionFor(model->Package().ItemName));
  Label1.SetCaption(model->Package().Author);
  Label1.Hint = model->Package().Url;
  PlayMusic();
}

void TfrmParent::FormShow() {
  Host.BuildPages([this](const std::string& className) -> std::unique_ptr<WizardPage> {
    return pages_.Create(className, Panel1, context_);
  });
}

void TfrmParent::PlayMusic() {
  if (context_.MusicFile.empty()) return;
  mPlay.Play(context_.MusicFile);
  if (!tMedia.Enabled()) tMedia.SetEnabled(true);
}

void TfrmParent::tMediaTimer() {
  tMedia.SetEnabled(false);
  if (mPlay.HasFile() && mPlay.AtEnd()) PlayMusic();
  tMedia.SetEnabled(true);
}

void TfrmParent::ButtonsChanged(const NavButtons& b) {
  const std::pair<TButton*, const ButtonState*> rows[] = {
      {&bPrevious, &b.previous}, {&bNext, &b.next}, {&bCancel, &b.cancel}};
  for (const auto& [button, state] : rows) {
    if (button->Text() != state->caption) button->SetText(state->caption);
    button->SetEnabled(state->enabled);
    button->SetVisible(state->visible);
  }
}

void TfrmParent::ShowInfo(const std::string& text) {
  ui::ShowInfo(context_, text);
}

bool TfrmParent::AskYesNo(const std::string& text) {
  return ui::AskYesNo(context_, text);
}

void TfrmParent::RequestClose() {
  SetModalResult(mrCancel);
}

// ---- Win32SetupWindows ----

Win32SetupWindows::Win32SetupWindows() {
  RegisterPageClasses(pages_);
}
Win32SetupWindows::~Win32SetupWindows() {
  UnregisterPageClasses(pages_);
}

void Win32SetupWindows::ShowPreInstallMessage(const std::string& text, const std::string& caption) {
  MessageInfo(text, caption);
}

namespace {
// Shows a form modally and rethrows the error that ended its work once it is destroyed.
template <typename Form, typename... Args>
void RunForm(TCompile& model, Args&&... args) {
  std::exception_ptr failure;
  {
    Form form(std::forward<Args>(args)...);
    form.SetCompile(&model);
    form.ShowModal();
    failure = form.Failure();
  }
  if (failure) std::rethrow_exception(failure);
}
}  // namespace

void Win32SetupWindows::RunLoadingWindow(TCompile& model, SetupContext& context) {
  RunForm<TfrmInitIns>(model, context);
}

RecoveryReport Win32SetupWindows::RunRecoveryWindow(SetupContext& context,
                                                    const RecoveryWork& work) {
  RecoveryReport report;
  std::exception_ptr failure;
  {
    RecoveryWindow window(context, work);
    window.ShowModal();
    report = window.Report();
    failure = window.Failure();
  }
  if (failure) std::rethrow_exception(failure);
  const std::string notice = RecoveryNotice(report);
  if (!notice.empty()) MessageInfo(notice, context.MessageCaption);
  return report;
}

void Win32SetupWindows::RunInstallWindow(TCompile& model, SetupContext& context) {
  RunForm<TfrmInstall>(model, context);
}

void Win32SetupWindows::RunBackgroundWindow(TCompile& model, SetupContext& context) {
  RunForm<TfrmBackIns>(model, context, pages_);
}

void Win32SetupWindows::RunWizard(TCompile& model, SetupContext& context) {
  RunForm<TfrmParent>(model, context, pages_, false);
}

}  // namespace sk::ui
