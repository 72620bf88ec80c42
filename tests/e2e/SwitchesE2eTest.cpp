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

}  // namespace
}  // namespace sk
