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
//
// Started with switches (/S, /LOG=FILE, /?; ui/Switches.h), the exit codes come from
// engine/ExitCodes.h: /? shows the switches in a box; a bad switch is shown in a box (with /S
// only logged) and removes nothing; /S removes without the question, the progress window or the
// summary (ui/SilentUninstall.h); /LOG= records the log check, each item's outcome and the exit
// code. Without /S the run is the interactive one, answering No gives exit_code::kCancelled.
// First: it removes the A/W macros of <windows.h> that collide with Platform members.
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Platform.h"
// after the Windows headers
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/uninst/SelfRemoval.h"
#include "engine/ExitCodes.h"
#include "engine/Journal.h"
#include "engine/UninstallTexts.h"
#include "engine/Uninstaller.h"
#include "platform/Encoding.h"
#include "ui/SilentUninstall.h"
#include "ui/Startup.h"
#include "ui/Switches.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/UninstallWindow.h"

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

// The uninstaller's own file and the folders that hold it go once this process has ended.
void RemoveSelfLater(const std::string& self, const sk::UninstallOutcome& outcome) {
  std::vector<std::wstring> folders;
  for (const std::string& f : outcome.foldersAfterSelf) folders.push_back(sk::ui::Wide(f));
  sk::uninst::ScheduleSelfRemoval(sk::ui::Wide(self), folders);
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
  std::unique_ptr<sk::UninstallRecorder> log;
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
  RemoveSelfLater(self, outcome);
  return kExitDone;
}

// The interactive run with a log: the question, the progress window and the summary.
int UninstallLogged(sk::Platform& platform, const std::string& self, sk::RunLog& runLog) {
  namespace code = sk::exit_code;
  std::unique_ptr<sk::UninstallRecorder> log;
  try {
    log = sk::ReadLogOrExplain(platform, self);
  } catch (const std::exception& e) {
    runLog.Line(std::string("error: ") + e.what());
    runLog.Line("exit code: " + std::to_string(code::kDamagedPackage));
    sk::ui::MessageError(e.what(), sk::uninstall_text::kUninstall);
    return code::kDamagedPackage;
  }
  runLog.Line("uninstall log checked: \"" + log->ProductName() + "\"");
  const std::string caption = sk::MessageCaptionFor(log->ProductName());
  if (!sk::ui::MessageYesNo(sk::UninstallQuestion(log->ProductName()), caption)) {
    runLog.Line("cancelled by the user; exit code: " + std::to_string(code::kCancelled));
    return code::kCancelled;
  }
  sk::UninstallOutcome outcome;
  {
    sk::ui::TfrmUninstall form(platform, *log, self);
    form.ShowModal();
    outcome = std::move(form.Outcome());
  }
  sk::LogRemoval(runLog, outcome.report);
  const int exitCode = sk::RemovalExitCode(outcome);
  runLog.Line("exit code: " + std::to_string(exitCode));
  sk::ui::MessageInfo(sk::UninstallSummary(outcome, log->ProductName()), caption);
  RemoveSelfLater(self, outcome);
  return exitCode;
}

int UninstallWithSwitches(const std::vector<std::wstring>& args) {
  namespace code = sk::exit_code;
  sk::win32::LoadCommonControls(ICC_STANDARD_CLASSES);
  // The words as one GBK tail for the parser (quoted again where they hold blanks).
  std::vector<std::string> words;
  for (const std::wstring& arg : args) {
    const std::optional<std::string> gbk = sk::Utf16ToGbk(std::u16string(arg.begin(), arg.end()));
    if (!gbk) {
      sk::ui::MessageError(sk::BadSwitchMessage("", sk::switch_text::kUnrepresentable),
                           sk::uninstall_text::kUninstall);
      return code::kBadSwitches;
    }
    words.push_back(*gbk);
  }
  const sk::SetupSwitches switches = sk::ParseUninstallSwitches(sk::JoinSwitchWords(words));
  if (switches.help) {
    sk::ui::MessageInfo(sk::UninstallSwitchesHelp(), sk::uninstall_text::kUninstall);
    return code::kSuccess;
  }
  sk::Win32Platform platform;
  sk::RunLog runLog;
  if (switches.logFile) {
    try {
      runLog = sk::RunLog(platform, *switches.logFile);
    } catch (const std::exception& e) {
      if (!switches.silent)  // nobody would answer a box
        sk::ui::MessageError(
            sk::BadSwitchMessage(switches.spelled.at("LOG"), sk::switch_text::kLogNotCreated) +
                "\r\n" + e.what(),
            sk::uninstall_text::kUninstall);
      return code::kBadSwitches;
    }
  }
  if (!switches.Valid()) {
    runLog.Line("error: " + switches.error);
    runLog.Line("nothing removed; exit code: " + std::to_string(code::kBadSwitches));
    if (!switches.silent) sk::ui::MessageError(switches.error, sk::uninstall_text::kUninstall);
    return code::kBadSwitches;
  }
  const std::string self = platform.ExecutablePath();
  try {
    // A run of the product that was killed is taken back first (its journal, see Journal.h).
    sk::RecoverBeforeUninstall(platform, self);
  } catch (const sk::Error& e) {
    runLog.Line(std::string("error: ") + e.what());
    runLog.Line("nothing removed; exit code: " + std::to_string(code::kInstallFailed));
    if (!switches.silent) sk::ui::MessageError(e.what(), sk::uninstall_text::kUninstall);
    return code::kInstallFailed;
  }
  if (!switches.silent) return UninstallLogged(platform, self, runLog);
  const sk::UninstallRunResult result = sk::SilentUninstall(platform, self, runLog);
  if (result.outcome) RemoveSelfLater(self, *result.outcome);
  return result.code;
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
    if (!args.empty()) return UninstallWithSwitches(args);
    return Uninstall();
  } catch (const std::exception& e) {
    sk::ui::MessageError(e.what(), sk::uninstall_text::kUninstall);
    return kExitFailed;
  } catch (...) {
    return kExitFailed;
  }
}
