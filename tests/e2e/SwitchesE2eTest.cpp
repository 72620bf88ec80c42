// Setup.exe's command line under Wine: /? and a bad switch show a box (looked at in the
// screenshots), a bad switch with /S shows nothing and only logs, and nothing is installed by a
// refused line; the exit codes are the documented ones.
#include <gtest/gtest.h>

#include "engine/ExitCodes.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"

namespace sk {
namespace {

using namespace e2e;

// A no-options package installing one file into <root>App.
struct SwitchRun {
  std::unique_ptr<test::TestMachine> machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  std::string app = machine->root() + "App";
  std::string exe = machine->root() + "Setup.exe";

  SwitchRun() {
    test::PackageBuilder b;
    OneFileNoOptionsPackage(b, app);
    b.WriteWithStubFile(SK_SETUP_EXE, exe);
  }
};

TEST(SwitchesE2e, HelpAndBadSwitchesShowABox) {
  const struct {
    const char* args;
    const char* starts;  // the box's text starts so
    unsigned code;
    const char* shot;
  } cases[] = {
      {"/?", "用法：Setup.exe", exit_code::kSuccess, "setup-switches-help"},
      {"/COMPONENTS=a /Q", "命令行参数无效：/Q", exit_code::kBadSwitches, "setup-bad-switch"},
      {"/D=Apps", "命令行参数无效：/D=Apps", exit_code::kBadSwitches, "setup-bad-folder"},
  };
  for (const auto& c : cases) {
    SwitchRun run;
    robot::Process setup(run.exe, run.machine->root(), c.args);
    robot::HWND box = robot::WaitMessageBox(setup.Id(), kTimeout);
    ASSERT_NE(box, nullptr) << c.args;
    EXPECT_EQ(robot::ReadMessageBox(box).text.rfind(G(c.starts), 0), 0u)
        << c.args << ": " << GbkToUtf8(robot::ReadMessageBox(box).text);
    Shot(box, c.shot);
    robot::PressDialogButton(box, robot::kIdOk);
    ASSERT_TRUE(setup.WaitExit(kTimeout)) << c.args;
    EXPECT_EQ(setup.ExitCode(), c.code) << c.args;
    EXPECT_FALSE(run.p.FileExists(run.app + "\\demo.exe")) << c.args;
  }
}

TEST(SwitchesE2e, SilentRunsShowNothing) {
  SwitchRun run;
  const std::string log = run.machine->root() + "logs\\setup.log";
  {
    // A bad switch with /S: no box, the log says why, nothing installed.
    robot::Process setup(run.exe, run.machine->root(), "/S /Q \"/LOG=" + log + "\"");
    ASSERT_TRUE(setup.WaitExit(kTimeout));
    EXPECT_EQ(setup.ExitCode(), unsigned{exit_code::kBadSwitches});
    EXPECT_FALSE(run.p.FileExists(run.app + "\\demo.exe"));
    const std::string text = test::ReadHostFile(log);
    EXPECT_NE(text.find("/Q"), std::string::npos) << text;
    EXPECT_NE(text.find("exit code: 1639"), std::string::npos) << text;
  }
  {
    robot::Process setup(run.exe, run.machine->root(), "/S \"/LOG=" + log + "\"");
    ASSERT_TRUE(setup.WaitExit(kTimeout));
    EXPECT_TRUE(robot::TopWindows(setup.Id()).empty());
    EXPECT_EQ(setup.ExitCode(), unsigned{exit_code::kSuccess});
    EXPECT_TRUE(run.p.FileExists(run.app + "\\demo.exe"));
    const std::string text = test::ReadHostFile(log);
    EXPECT_NE(text.find("demo.exe"), std::string::npos) << text;
    EXPECT_NE(text.find("exit code: 0"), std::string::npos) << text;
  }
}

// A file to install whose data is damaged is found as the install inflates it: the silent run
// takes the install back, shows nothing and ends as a damaged package (1620).
TEST(SwitchesE2e, SilentRunOfADamagedFileEndsAsDamaged) {
  SwitchRun run;
  test::PackageBuilder b;
  OneFileNoOptionsPackage(b, run.app);
  b.File("D:\\src\\data.bin", G("指定目录\\") + run.app, std::string(50000, 'd'));
  std::string bytes = b.Build(test::ReadHostFile(SK_SETUP_EXE));
  const auto& item = *b.Model().Package().FileList()[1];
  bytes[static_cast<size_t>(item.DataStart) + 10] ^= 0x55;
  test::WriteHostFile(run.exe, bytes);
  const std::string log = run.machine->root() + "logs\\setup.log";
  robot::Process setup(run.exe, run.machine->root(), "/S \"/LOG=" + log + "\"");
  ASSERT_TRUE(setup.WaitExit(kTimeout));
  EXPECT_TRUE(robot::TopWindows(setup.Id()).empty());
  EXPECT_EQ(setup.ExitCode(), unsigned{exit_code::kDamagedPackage});
  EXPECT_FALSE(run.p.FileExists(run.app + "\\demo.exe"));
  EXPECT_FALSE(run.p.DirectoryExists(run.app));
  const std::string text = test::ReadHostFile(log);
  EXPECT_NE(text.find("exit code: 1620"), std::string::npos) << text;
}

}  // namespace
}  // namespace sk
