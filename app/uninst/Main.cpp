// Program entry of Uninst.exe: removes the product whose uninstall log lies beside it.
//
// Order: read the log (its own path with the extension "log"); a missing or damaged log, or
// one that the product's Uninstall entry does not vouch for (no entry naming this program, no
// digest, a digest of other bytes), gives one message and exit 2, nothing removed. Ask the
// confirmation question under the product's message caption; No ends with exit 1, nothing removed.
// Then the progress window runs the removal (records in reverse order, the Uninstall entry, the
// log), a box shows the summary (what could not be removed, or that the product is gone), and the
// program's own file and its folder are handed to a temporary copy that removes them once this
// process has ended. Exit 0 after an uninstall, whatever could not be removed.
//
// Started as "Uninst.exe /cleanup <pid> <file> <folder>..." it is that temporary copy.
// First: it removes the A/W macros of <windows.h> that collide with Platform members.
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Platform.h"
// after the Windows headers
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/uninst/SelfRemoval.h"
#include "engine/Journal.h"
#include "engine/UninstallTexts.h"
#include "engine/Uninstaller.h"
#include "ui/Dialogs.h"
#include "ui/Startup.h"
#include "ui/UninstForm.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitDeclined = 1;
constexpr int kExitFailed = 2;

std::vector<std::wstring> Arguments() {
  std::vector<std::wstring> args;
  int n = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &n);
  for (int i = 1; words && i < n; ++i) args.emplace_back(words[i]);
  if (words) LocalFree(words);
  return args;
}

int Uninstall() {
  sk::win32::LoadCommonControls(ICC_STANDARD_CLASSES);

  sk::Win32Platform platform;
  const std::string self = platform.ExecutablePath();
  try {
    // A run of the product that was killed is taken back first (its journal, see Journal.h).
    sk::RecoverBeforeUninstall(platform, self);
  } catch (const sk::Error& e) {
    sk::ui::MessageError(e.what(), sk::uninstall_text::kUninstall);
    return kExitFailed;
  }
  std::unique_ptr<sk::TUnInstall> log;
  try {
    log = sk::ReadUninstallLog(platform, self);
  } catch (const sk::UntrustedLogError& e) {
    // A log that the product's Uninstall entry does not vouch for: its records are not used.
    sk::ui::MessageError(e.what(), sk::uninstall_text::kUninstall);
    return kExitFailed;
  } catch (const sk::Error& e) {
    sk::ui::MessageError(std::string(sk::uninstall_text::kBadLog) + "\r\n" + e.what(),
                         sk::uninstall_text::kUninstall);
    return kExitFailed;
  }
  const std::string caption = sk::MessageCaptionFor(log->ProductName());
  if (!sk::ui::MessageYesNo(sk::UninstallQuestion(log->ProductName()), caption))
    return kExitDeclined;

  sk::UninstallOutcome outcome;
  {
    sk::ui::TfrmUninstall form(platform, *log, self);
    form.ShowModal();
    outcome = std::move(form.Outcome());
  }
  sk::ui::MessageInfo(sk::UninstallSummary(outcome, log->ProductName()), caption);

  std::vector<std::wstring> folders;
  for (const std::string& f : outcome.foldersAfterSelf) folders.push_back(sk::ui::Wide(f));
  sk::uninst::ScheduleSelfRemoval(sk::ui::Wide(self), folders);
  return kExitDone;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The uninstaller runs from the product's folder or a temporary copy: DLLs come from the
  // system folder only.
  sk::win32::RestrictDllSearchToSystemFolder();
  try {
    std::vector<std::wstring> args = Arguments();
    if (!args.empty() && args[0] == L"/cleanup")
      return sk::uninst::RunCleanup(std::vector<std::wstring>(args.begin() + 1, args.end()));
    return Uninstall();
  } catch (const std::exception& e) {
    sk::ui::MessageError(e.what(), sk::uninstall_text::kUninstall);
    return kExitFailed;
  } catch (...) {
    return kExitFailed;
  }
}
