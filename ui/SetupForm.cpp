#include "ui/SetupForm.h"

#include <exception>

#include "ui/AddonsTaskForm.h"
#include "ui/Dialogs.h"
#include "ui/InitInsForm.h"
#include "ui/InstallForm.h"
#include "ui/SelComponentForm.h"
#include "ui/SelectInstallDirForm.h"
#include "ui/StartFolderForm.h"

namespace sk::ui {

namespace {
template <typename View>
void RegisterView(PageRegistry& registry, const char* className) {
  registry.Register(className, [](TContainer& panel, SetupContext& context) {
    return std::make_unique<View>(panel, context);
  });
}
}  // namespace

void RegisterPageClasses(PageRegistry& registry) {
  for (const char* name : kPageClassNames) {
    registry.Register(name, [](TContainer&, SetupContext&) { return nullptr; });
  }
  RegisterView<TfrmStartFolder>(registry, "TfrmStartFolder");
  RegisterView<TfrmSelComponent>(registry, "TfrmSelComponent");
  RegisterView<TfrmSelectInstallDir>(registry, "TfrmSelectInstallDir");
  RegisterView<TfrmAddonsTask>(registry, "TfrmAddonsTask");
}

void UnregisterPageClasses(PageRegistry& registry) {
  for (const char* name : kPageClassNames) registry.Unregister(name);
}

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
template <typename Form>
void RunForm(TCompile& model, SetupContext& context) {
  std::exception_ptr failure;
  {
    Form form(context);
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

void Win32SetupWindows::RunInstallWindow(TCompile& model, SetupContext& context) {
  RunForm<TfrmInstall>(model, context);
}

// The background window and the wizard host are built on the same pattern as their own
// windows land; until then these runs end at once.
void Win32SetupWindows::RunBackgroundWindow(TCompile&, SetupContext&) {}
void Win32SetupWindows::RunWizard(TCompile&, SetupContext&) {}

}  // namespace sk::ui
