// demo_robot SETUP.EXE SCREENSHOT_DIR: walks the wizard of a setup program the way a user
// would — Next (or I agree) on every page, Finish on the last — answering every message box
// (OK; No to the reboot question), and saves a screenshot of every page and box as
// NN-<class>.png. On the install-folder page it also opens the folder picker (Browse), saves
// its picture and closes it with Esc. Used by `make demo` when there is no display to show the
// wizard on. Exits 0 when the setup ended with exit code 0, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/Encoding.h"
#include "tests/e2e/Robot.h"

namespace {

using namespace sk;
constexpr int kTimeout = 60000;

std::string G(const char* utf8) {
  return *Utf8ToGbk(utf8);
}

std::string Utf8(const std::string& gbk) {
  return GbkToUtf8(gbk);
}

// Opens the folder picker with Browse, saves its picture and closes it with Esc.
template <typename Save>
void ShowPicker(const robot::Process& proc, robot::HWND wizard, Save& save) {
  robot::HWND page = robot::VisibleDescendant(wizard, "TfrmSelectInstallDir");
  robot::HWND browse = page ? robot::ButtonWithText(page, G("浏览(&B)...")) : nullptr;
  if (!browse || !robot::IsVisible(browse) || !robot::IsEnabled(browse)) return;
  robot::Click(browse);
  robot::HWND picker = robot::WaitWindow(proc.Id(), "TfrmStartFolderInfo", "", 10000);
  if (!picker) return;
  robot::WaitUntil([] { return false; }, 1000);  // let it list the desktop and paint
  save(picker, "TfrmStartFolderInfo");
  robot::HWND edit = robot::VisibleDescendant(picker, "Edit");
  robot::PressKey(edit ? edit : picker, robot::kKeyEscape);
  robot::WaitUntil([&] { return robot::TopWindows(proc.Id(), "TfrmStartFolderInfo").empty(); },
                   10000);
}

int Walk(const std::string& exe, const std::string& shots) {
  robot::Process proc(exe, "");
  if (proc.Id() == 0) {
    std::printf("demo_robot: cannot start %s\n", Utf8(exe).c_str());
    return 1;
  }
  int shot = 0;
  auto save = [&](robot::HWND hwnd, const std::string& name) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%02d-", ++shot);
    const std::string path = shots + "\\" + prefix + name + ".png";
    if (robot::Screenshot(hwnd, path)) std::printf("screenshot %s%s.png\n", prefix, name.c_str());
  };
  const std::string pages[] = {"TfrmFist",        "TfrmProtocol",     "TfrmSoftExplaion",
                               "TfrmStartFolder", "TfrmSelComponent", "TfrmSelectInstallDir",
                               "TfrmAddonsTask",  "TfrmReadyIns",     "TfrmBeginIns",
                               "TfrmEndIns"};
  std::string lastPage;
  robot::HWND wizard = nullptr;
  const ULONGLONG end = GetTickCount64() + 10 * 60 * 1000;
  while (proc.Running() && GetTickCount64() < end) {
    if (robot::HWND box = robot::WaitMessageBox(proc.Id(), 0)) {
      robot::WaitUntil([] { return false; }, 1000);  // let it draw
      const auto content = robot::ReadMessageBox(box);
      std::printf("box: %s\n", Utf8(content.text).c_str());
      save(box, "message");
      if (!robot::PressDialogButton(box, robot::kIdNo)) robot::PressDialogButton(box, robot::kIdOk);
      robot::WaitUntil([&] { return !IsWindow(reinterpret_cast<::HWND>(box)); }, 5000);
      continue;
    }
    if (!wizard || !IsWindow(reinterpret_cast<::HWND>(wizard)))
      wizard = robot::WaitWindow(proc.Id(), "TfrmParent", "", 200);
    if (!wizard) continue;
    std::string current;
    for (const std::string& cls : pages)
      if (robot::VisibleDescendant(wizard, cls)) current = cls;
    if (current.empty() || current == lastPage) {
      Sleep(100);
      continue;
    }
    robot::WaitUntil([] { return false; }, 300);  // the page may still be coming up
    if (!robot::VisibleDescendant(wizard, current)) continue;
    lastPage = current;
    if (current == "TfrmBeginIns") {  // installing: nothing to press
      save(wizard, current);
      continue;
    }
    robot::WaitUntil([] { return false; }, 500);  // let it paint
    std::printf("page %s\n", current.c_str());
    save(wizard, current);
    if (current == "TfrmSelectInstallDir") ShowPicker(proc, wizard, save);
    for (const char* caption : {"完成(&F)", "我同意(&T)", "下一步(&N)->"}) {
      robot::HWND button = robot::ButtonWithText(wizard, G(caption));
      if (button && robot::IsVisible(button) && robot::IsEnabled(button)) {
        robot::Click(button);
        break;
      }
    }
  }
  if (!proc.WaitExit(5000)) {
    std::printf("demo_robot: the setup did not end\n");
    return 1;
  }
  std::printf("setup exit code %lu\n", proc.ExitCode());
  return proc.ExitCode() == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::printf("usage: demo_robot SETUP.EXE SCREENSHOT_DIR\n");
    return 2;
  }
  auto gbk = [](const wchar_t* w) {
    return Utf16ToGbk(std::u16string(w, w + wcslen(w))).value_or("");
  };
  return Walk(gbk(argv[1]), gbk(argv[2]));
}
