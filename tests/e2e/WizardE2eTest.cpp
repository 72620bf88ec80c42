// The wizard of Setup.exe under Wine, driven by the robot: a walk through every built page and
// back, the quit question, the refused close during the install, an install that fails on the
// progress page, the background window, and the same walk at 144 DPI. Screenshots of every
// page, box and window go to SK_SCREENSHOT_DIR.
#include <gtest/gtest.h>

#include "platform/Encoding.h"
#include "platform/SystemHelpers.h"
#include "platform/win32/Win32Platform.h"
#include "tests/e2e/WizardRun.h"

namespace sk {
namespace {

using namespace e2e;

void WalkAndFinish(WizardRun& w, const std::string& suffix) {
  ASSERT_NO_FATAL_FAILURE(w.Start());
  EXPECT_EQ(robot::TextOf(w.wizard), kCaption);
  HWND welcome = w.Page("TfrmFist");
  ASSERT_NE(welcome, nullptr);
  EXPECT_TRUE(w.HasLabel(welcome, G("欢迎使用“演示程序”安装向导")));
  EXPECT_TRUE(w.HasLabel(welcome, G("演示公司")));
  EXPECT_TRUE(w.HasLabel(welcome, "http://example.test/"));
  EXPECT_TRUE(w.HasLabel(w.wizard, G("演示作者")));
  EXPECT_FALSE(robot::IsVisible(w.Button(kBack)));
  w.Settle();
  Shot(w.wizard, "wizard-welcome" + suffix);

  w.Press(kNext);
  HWND agreement = w.Page("TfrmProtocol");
  ASSERT_NE(agreement, nullptr);
  ASSERT_NE(w.Button(kAgree), nullptr);
  EXPECT_TRUE(robot::IsVisible(w.Button(kBack)));
  EXPECT_EQ(w.EditText(agreement), G("第一条 许可\r\n本软件仅供演示。\r\n第二条 责任\r\n"));
  w.Settle();
  Shot(w.wizard, "wizard-agreement" + suffix);

  w.Press(kBack);
  ASSERT_NE(w.Page("TfrmFist"), nullptr);
  w.Press(kNext);
  ASSERT_NE(w.Page("TfrmProtocol"), nullptr);
  w.Press(kAgree);
  HWND notes = w.Page("TfrmSoftExplaion");
  ASSERT_NE(notes, nullptr);
  EXPECT_NE(w.Button(kNext), nullptr);  // the agreement button is Next again
  EXPECT_EQ(w.EditText(notes), G("使用说明\r\n\r\n运行 demo.exe & 阅读。"));
  w.Settle();
  Shot(w.wizard, "wizard-notes" + suffix);

  w.Press(kNext);
  HWND ready = w.Page("TfrmReadyIns");
  ASSERT_NE(ready, nullptr);
  EXPECT_NE(w.EditText(ready).find(w.app), std::string::npos) << w.EditText(ready);
  w.Settle();
  Shot(w.wizard, "wizard-ready" + suffix);

  w.Press(kNext);
  HWND finish = w.Page("TfrmEndIns");
  ASSERT_NE(finish, nullptr);
  EXPECT_FALSE(robot::IsVisible(w.Button(kBack)));
  ASSERT_NE(w.Button(kFinish), nullptr);
  EXPECT_TRUE(robot::IsEnabled(w.Button(kFinish)));
  const auto boxes = robot::Descendants(finish, "Button");
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_TRUE(robot::IsVisible(boxes[0]));
  EXPECT_EQ(robot::TextOf(boxes[0]), G("运行“演示程序”"));
  EXPECT_FALSE(robot::IsVisible(boxes[1]));
  w.Settle();
  Shot(w.wizard, "wizard-finish" + suffix);

  w.Press(kFinish);
  HWND box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  const auto content = robot::ReadMessageBox(box);
  EXPECT_EQ(content.caption, kCaption);
  EXPECT_EQ(content.text, G("感谢安装"));
  Shot(box, "wizard-finish-message" + suffix);
  robot::PressDialogButton(box, robot::kIdOk);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  EXPECT_EQ(w.proc->ExitCode(), 0u);
  EXPECT_EQ(test::ReadHostFile(w.app + "\\demo.exe"), "MZ demo program");
  EXPECT_EQ(test::ReadHostFile(w.app + "\\f2.txt"), "file 2");
}

TEST(WizardE2e, WalkBackAndForthToFinish) {
  WizardRun w;
  WalkAndFinish(w, "");
}

// Started with switches, a wizard closed before the install ends with the cancel code and says
// so in its log; started without, it ends with 0 as it always did (above).
TEST(WizardE2e, AWizardClosedBeforeTheInstallIsACancelWithSwitches) {
  WizardRun w;
  const std::string log = w.machine->root() + "setup.log";
  ASSERT_NO_FATAL_FAILURE(w.Start("\"/LOG=" + log + "\""));
  ASSERT_NE(w.Page("TfrmFist"), nullptr);
  robot::PostClose(w.wizard);
  HWND box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  robot::PressDialogButton(box, robot::kIdYes);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  EXPECT_EQ(w.proc->ExitCode(), 1602u);
  EXPECT_FALSE(w.p.FileExists(w.app + "\\demo.exe"));
  const std::string text = test::ReadHostFile(log);
  EXPECT_NE(text.find("cancelled by the user"), std::string::npos) << text;
  EXPECT_NE(text.find("exit code: 1602"), std::string::npos) << text;
}

TEST(WizardE2e, QuitQuestionNoKeepsThePageYesEnds) {
  WizardRun w;
  ASSERT_NO_FATAL_FAILURE(w.Start());
  int width = 0, height = 0;
  robot::ClientSize(w.wizard, width, height);
  EXPECT_EQ(width, 508);
  EXPECT_EQ(height, 331);
  ASSERT_NE(w.Page("TfrmFist"), nullptr);
  w.Press(kNext);
  ASSERT_NE(w.Page("TfrmProtocol"), nullptr);
  w.Press(kCancel);
  HWND box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  const auto question = robot::ReadMessageBox(box);
  EXPECT_EQ(question.caption, kCaption);
  EXPECT_EQ(question.text, G("安装向导没有完成“演示程序”安装，确定要退出该安装向导吗？"));
  Shot(box, "wizard-quit-question");
  robot::PressDialogButton(box, robot::kIdNo);
  ASSERT_TRUE(robot::WaitUntil([&] { return robot::TopWindows(w.proc->Id(), "#32770").empty(); },
                               kTimeout));
  EXPECT_TRUE(w.proc->Running());
  EXPECT_NE(w.Page("TfrmProtocol"), nullptr);
  robot::PostClose(w.wizard);  // the close box asks the same question
  box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  robot::PressDialogButton(box, robot::kIdYes);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  EXPECT_EQ(w.proc->ExitCode(), 0u);
  EXPECT_FALSE(w.p.FileExists(w.app + "\\demo.exe"));
}

TEST(WizardE2e, CloseIsRefusedWhileInstalling) {
  WizardRun w(800);
  ASSERT_NO_FATAL_FAILURE(w.Start());
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(w.Page(i == 0 ? "TfrmFist" : i == 1 ? "TfrmProtocol" : "TfrmSoftExplaion"), nullptr);
    w.Press(i == 1 ? kAgree : kNext);
  }
  ASSERT_NE(w.Page("TfrmReadyIns"), nullptr);
  w.Press(kNext);
  HWND progress = w.Page("TfrmBeginIns");
  ASSERT_NE(progress, nullptr);
  robot::PostClose(w.wizard);
  bool sawBusy = false;
  robot::WaitUntil(
      [&] {
        if (!robot::IsVisible(progress)) return true;
        if (!robot::IsEnabled(w.Button(kCancel)) && !robot::IsEnabled(w.Button(kNext))) {
          if (!sawBusy) Shot(w.wizard, "wizard-progress");
          sawBusy = true;
        }
        return false;
      },
      kTimeout, 20);
  EXPECT_TRUE(sawBusy) << "the install ended before the buttons were seen disabled";
  EXPECT_TRUE(robot::TopWindows(w.proc->Id(), "#32770").empty()) << "a box came up";
  HWND finish = w.Page("TfrmEndIns");
  ASSERT_NE(finish, nullptr);
  // The details memo holds a line per file.
  const auto memo = robot::Descendants(progress, "Edit");
  ASSERT_EQ(memo.size(), 1u);
  EXPECT_NE(robot::TextOf(memo[0]).find("f799.txt"), std::string::npos);
  robot::PostClose(w.wizard);  // the finish page's close box runs no action: no message
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  EXPECT_EQ(w.proc->ExitCode(), 0u);
}

TEST(WizardE2e, InstallErrorOnTheProgressPageEndsWithOneMessage) {
  WizardRun w;
  w.b.File("D:\\src\\big.bin", G("指定目录\\") + w.app, std::string(100000, 'z'));
  // A folder where the file is to be written: the package is sound (the check before any change
  // passes), and the install fails on the progress page when it creates the file.
  ASSERT_TRUE(w.p.ForceDirectories(w.app + "\\big.bin"));
  test::WriteHostFile(w.exe, w.b.Build(test::ReadHostFile(SK_SETUP_EXE)));
  w.proc = std::make_unique<robot::Process>(w.exe, w.machine->root());
  w.wizard = robot::WaitWindow(w.proc->Id(), "TfrmParent", "", kTimeout);
  ASSERT_NE(w.wizard, nullptr);
  for (const char* cls : {"TfrmFist", "TfrmProtocol", "TfrmSoftExplaion", "TfrmReadyIns"}) {
    ASSERT_NE(w.Page(cls), nullptr) << cls;
    w.Press(std::string(cls) == "TfrmProtocol" ? kAgree : kNext);
  }
  HWND box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  const auto content = robot::ReadMessageBox(box);
  EXPECT_EQ(content.caption, kCaption);
  // A sentence that names the file and the cause; nothing was replaced.
  EXPECT_EQ(content.text.rfind(G("无法创建“") + w.app + G("\\big.bin”：已有同名的文件夹。"), 0), 0u)
      << content.text;
  EXPECT_EQ(content.text.find(G("被替换的原有文件")), std::string::npos) << content.text;
  EXPECT_TRUE(robot::TopWindows(w.proc->Id(), "TfrmParent").empty());
  Shot(box, "wizard-install-error");
  robot::PressDialogButton(box, robot::kIdOk);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  EXPECT_EQ(w.proc->ExitCode(), 2u);
  // The run's staging folder (sk + 16 hex digits in the temporary folder) is gone with its files.
  for (const std::string& name : w.p.ListDirectory(GetTempFolder(w.p))) {
    EXPECT_FALSE(name.size() == 18 && name.rfind("sk", 0) == 0 &&
                 name.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos)
        << name;
  }
}

TEST(WizardE2e, BackgroundWindowCarriesTheWizard) {
  WizardRun w(3, true);
  w.b.WriteWithStubFile(SK_SETUP_EXE, w.exe);
  w.proc = std::make_unique<robot::Process>(w.exe, w.machine->root());
  HWND back = robot::WaitWindow(w.proc->Id(), "TfrmBackIns", "", kTimeout);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(robot::TextOf(back), kCaption);
  w.wizard = robot::WaitWindow(w.proc->Id(), "TfrmParent", "", kTimeout);
  ASSERT_NE(w.wizard, nullptr);
  ASSERT_NE(w.Page("TfrmFist"), nullptr);
  w.Settle();
  Shot(robot::Desktop(), "background-window");
  w.Press(kCancel);
  HWND box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  robot::PressDialogButton(box, robot::kIdYes);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  EXPECT_EQ(w.proc->ExitCode(), 0u);
}

// The same walk with the display at 144 DPI: the window and its pages scale by 1.5.
TEST(WizardE2e, WalkAt144Dpi) {
  const DisplayDpi dpi(144);
  WizardRun w;
  ASSERT_NO_FATAL_FAILURE(w.Start());
  int width = 0, height = 0;
  robot::ClientSize(w.wizard, width, height);
  if (width == 508) GTEST_SKIP() << "this Wine does not take the DPI from the registry";
  EXPECT_EQ(width, 762);
  EXPECT_EQ(height, 497);
  robot::PostClose(w.wizard);
  HWND box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  robot::PressDialogButton(box, robot::kIdYes);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  WizardRun again;
  WalkAndFinish(again, "-144dpi");
}

}  // namespace
}  // namespace sk
