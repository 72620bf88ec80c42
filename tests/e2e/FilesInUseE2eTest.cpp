// A target file held open by another program (HoldFile.exe, sharing nothing) under Wine: the
// wizard asks Abort / Retry / Ignore and Retry succeeds once the program let go; a silent run
// waits, then schedules the replacement in the system's list of renames at the next restart and
// ends with 3010.
// clang-format off
#include "platform/win32/WinApi.h"
#include "platform/win32/Win32Platform.h"
// clang-format on

#include <gtest/gtest.h>

#include "engine/ExitCodes.h"
#include "platform/Encoding.h"
#include "tests/e2e/WizardRun.h"

namespace sk {
namespace {

using namespace e2e;

constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;

// HoldFile.exe holding `file` until `release` appears (or a minute has passed).
struct Holder {
  Holder(const std::string& root, const std::string& file, std::string releasePath)
      : release(std::move(releasePath)),
        proc(SK_HOLD_FILE, root, "\"" + file + "\" \"" + release + "\" 60000") {
    const std::string ready = release + ".ready";
    held = robot::WaitUntil(
        [&] { return GetFileAttributesA(ready.c_str()) != INVALID_FILE_ATTRIBUTES; }, kTimeout);
  }
  ~Holder() { Release(); }
  void Release() {
    if (released) return;
    released = true;
    test::WriteHostFile(release, "");
    proc.WaitExit(kTimeout);
  }
  std::string release;
  robot::Process proc;
  bool held = false;
  bool released = false;
};

// The strings of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager
// [PendingFileRenameOperations] in the 64-bit view, as GBK.
std::vector<std::string> PendingRenames() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
    return {};
  DWORD size = 0;
  std::vector<std::string> out;
  if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
      ERROR_SUCCESS) {
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(data.data()), &size);
    for (size_t at = 0; at < size / sizeof(wchar_t);) {
      const size_t end = data.find(L'\0', at);
      const std::wstring one = data.substr(at, end - at);
      std::string gbk(one.size() * 2 + 1, '\0');
      gbk.resize(
          static_cast<size_t>(WideCharToMultiByte(936, 0, one.c_str(), -1, gbk.data(),
                                                  static_cast<int>(gbk.size()), nullptr, nullptr)) -
          1);
      out.push_back(gbk);
      at = end + 1;
    }
  }
  RegCloseKey(key);
  return out;
}

bool Contains(const std::vector<std::string>& strings, const std::string& s) {
  return std::find(strings.begin(), strings.end(), s) != strings.end();
}

// The wizard's demo.exe is there before the install (the user's old copy) and held by
// HoldFile.exe; the wizard is started with `arguments` and walked to the progress page, where
// the box about the held file comes up.
struct HeldWizard {
  explicit HeldWizard(int files, const std::string& arguments = "") : w(files) {
    EXPECT_TRUE(w.p.ForceDirectories(w.app));
    test::WriteHostFile(demo, "old program");
    holder = std::make_unique<Holder>(w.machine->root(), demo, w.machine->root() + "release");
    EXPECT_TRUE(holder->held);
    w.Start(arguments);
    w.WalkToProgress();
    box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  }
  WizardRun w;
  std::string demo = w.app + "\\demo.exe";
  std::unique_ptr<Holder> holder;
  HWND box = nullptr;
};

TEST(FilesInUseE2e, WizardAsksAndRetrySucceedsOnceTheProgramLetGo) {
  HeldWizard held(0);
  WizardRun& w = held.w;
  const std::string& demo = held.demo;
  HWND box = held.box;
  ASSERT_NE(box, nullptr);
  const auto content = robot::ReadMessageBox(box);
  EXPECT_EQ(content.caption, kCaption);
  EXPECT_EQ(content.text.rfind(G("文件正被其他程序使用：\r\n") + demo, 0), 0u)
      << GbkToUtf8(content.text);
  EXPECT_NE(content.text.find(G("“重试”")), std::string::npos);
  // The wizard stays behind the box, on the progress page.
  EXPECT_NE(w.Page("TfrmBeginIns"), nullptr);
  Shot(box, "wizard-file-in-use");
  Shot(w.wizard, "wizard-file-in-use-page");

  held.holder->Release();
  robot::PressDialogButton(box, kIdRetry);
  ASSERT_NE(w.Page("TfrmEndIns"), nullptr);
  EXPECT_EQ(test::ReadHostFile(demo), "MZ demo program");
  robot::PostClose(w.wizard);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  EXPECT_EQ(w.proc->ExitCode(), 0u);
}

// Abort at the held file: the install is undone (the file is the user's old one, the other files
// are gone) and, started with switches, the program ends with the cancel code.
TEST(FilesInUseE2e, AbortUndoesTheInstall) {
  HeldWizard held(2, "/LOG=setup.log");
  WizardRun& w = held.w;
  HWND box = held.box;
  ASSERT_NE(box, nullptr);
  robot::PressDialogButton(box, kIdAbort);
  HWND error = WaitNextMessageBox(w.proc->Id(), box);
  ASSERT_NE(error, nullptr);
  const std::string text = robot::ReadMessageBox(error).text;
  EXPECT_EQ(text.rfind(G("安装已被用户取消。")), 0u) << GbkToUtf8(text);
  EXPECT_NE(text.find(G("已撤销本次安装所做的更改")), std::string::npos) << GbkToUtf8(text);
  Shot(error, "wizard-file-in-use-aborted");
  robot::PressDialogButton(error, robot::kIdOk);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  EXPECT_EQ(w.proc->ExitCode(), unsigned{exit_code::kCancelled});
  held.holder->Release();
  EXPECT_EQ(test::ReadHostFile(held.demo), "old program");
  EXPECT_FALSE(w.p.FileExists(w.app + "\\f0.txt"));
}

TEST(FilesInUseE2e, SilentRunReplacesTheHeldFileAtTheRestart) {
  auto machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  const std::string app = machine->root() + "App";
  const std::string exe = machine->root() + "Setup.exe";
  const std::string demo = app + "\\demo.exe";
  const std::string beside = demo + ".~sk1";
  const std::string log = machine->root() + "setup.log";
  test::PackageBuilder b;
  OneFileNoOptionsPackage(b, app);
  b.WriteWithStubFile(SK_SETUP_EXE, exe);
  ASSERT_TRUE(p.ForceDirectories(app));
  test::WriteHostFile(demo, "old program");

  Holder holder(machine->root(), demo, machine->root() + "release-silent");
  ASSERT_TRUE(holder.held);
  robot::Process setup(exe, machine->root(), "/S \"/LOG=" + log + "\"");
  ASSERT_TRUE(setup.WaitExit(kTimeout));
  EXPECT_TRUE(robot::TopWindows(setup.Id()).empty());
  EXPECT_EQ(setup.ExitCode(), unsigned{exit_code::kRebootNeeded});
  holder.Release();

  EXPECT_EQ(test::ReadHostFile(demo), "old program");
  EXPECT_EQ(test::ReadHostFile(beside), "MZ demo program");
  const std::string text = test::ReadHostFile(log);
  EXPECT_NE(text.find("file in use: " + demo + "; the new file " + beside), std::string::npos)
      << text;
  EXPECT_NE(text.find("exit code: 3010"), std::string::npos) << text;
  const std::vector<std::string> pending = PendingRenames();
  EXPECT_TRUE(Contains(pending, "\\??\\" + beside)) << testing::PrintToString(pending);
  EXPECT_TRUE(Contains(pending, "!\\??\\" + demo)) << testing::PrintToString(pending);

  // Taking it off the list again, as the undo of a later failure does.
  Win32Platform win32;
  EXPECT_TRUE(win32.CancelReplaceAtRestart(beside));
  EXPECT_FALSE(Contains(PendingRenames(), "\\??\\" + beside));
}

}  // namespace
}  // namespace sk
