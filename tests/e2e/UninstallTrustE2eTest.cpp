// Uninst.exe under Wine acts only on what the product's install made: an edited log is refused
// with one message and exit 2, nothing removed; an "Ins.log" planted in the setup's current
// folder does not make the uninstall remove a file outside the product.
#include <gtest/gtest.h>

#include "engine/UninstallRecorder.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"

namespace sk {
namespace {

using namespace e2e;

const std::string kUninstallBase = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// A machine with a file outside the product, and the demo product installed by Setup.exe
// (started in the machine's root, which is its current folder).
struct Installed {
  std::unique_ptr<test::TestMachine> machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  std::string app = machine->root() + "App";
  std::string outside = machine->root() + "Outside\\keep.txt";
  std::string serial = "sk-e2e-" + test::UniqueName();

  ~Installed() { robot::DeleteMachineKey(kUninstallBase + serial); }

  // Installs; `beforeSetup` runs once the package is written, before Setup.exe starts.
  void Install(const std::function<void()>& beforeSetup = {}) {
    ASSERT_TRUE(p.ForceDirectories(machine->root() + "Outside"));
    test::WriteHostFile(outside, "not the product's");
    test::PackageBuilder b;
    b.Setting(G("项目名称"), kItem);
    b.Setting(G("显示安装界面"), G("否"));
    b.Setting(G("卸载程序"), kOn);
    b.Setting(G("默认安装路径"), app, 8);
    b.Serial(serial);
    b.FileFolders().push_back(G("指定目录\\") + app);
    b.File("D:\\src\\demo.exe", G("指定目录\\") + app, "MZ demo program");
    b.File("D:\\src\\Uninst.exe", G("指定目录\\") + app, test::ReadHostFile(SK_UNINST_EXE),
           kind::Uninstaller);
    const std::string exe = machine->root() + "Setup.exe";
    b.WriteWithStubFile(SK_SETUP_EXE, exe);
    if (beforeSetup) beforeSetup();
    robot::Process setup(exe, machine->root());
    ASSERT_TRUE(setup.WaitExit(kTimeout));
    ASSERT_EQ(setup.ExitCode(), 0u);
    ASSERT_TRUE(p.FileExists(app + "\\Uninst.log"));
  }

  // Records another file in the product's log, as someone who can write the install folder.
  void EditLog() {
    UninstallRecorder log(p);
    log.LoadFromFile(app + "\\Uninst.log");
    log.AddFile(outside, 1);
    log.SaveToFile(app + "\\Uninst.log");
  }
};

TEST(UninstallTrustE2e, EditedLogIsRefusedAndNothingRemoved) {
  Installed s;
  s.Install();
  s.EditLog();
  robot::Process proc(s.app + "\\Uninst.exe", s.app);
  robot::HWND box = robot::WaitMessageBox(proc.Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  const auto content = robot::ReadMessageBox(box);
  EXPECT_EQ(content.text.rfind(G("卸载日志不属于本产品的安装，或在安装后已被更改，无法卸载。"), 0),
            0u)
      << content.text;
  Shot(box, "uninstall-untrusted-log");
  robot::PressDialogButton(box, robot::kIdOk);
  ASSERT_TRUE(proc.WaitExit(kTimeout));
  EXPECT_EQ(proc.ExitCode(), 2u);
  EXPECT_EQ(test::ReadHostFile(s.outside), "not the product's");
  EXPECT_TRUE(s.p.FileExists(s.app + "\\demo.exe"));
  EXPECT_TRUE(s.p.FileExists(s.app + "\\Uninst.log"));
}

TEST(UninstallTrustE2e, PlantedInsLogDoesNotReachOutsideTheProduct) {
  Installed s;
  s.Install([&] {
    UninstallRecorder planted(s.p);
    planted.SetUninstallKey(s.serial);  // the product's public identifier
    planted.AddFile(s.outside, 1);
    planted.SaveToFile(s.machine->root() + "Ins.log");
  });
  robot::Process proc(s.app + "\\Uninst.exe", s.app);
  robot::HWND ask = robot::WaitMessageBox(proc.Id(), kTimeout);
  ASSERT_NE(ask, nullptr) << "no confirmation question";
  robot::PressDialogButton(ask, robot::kIdYes);
  robot::HWND done = WaitNextMessageBox(proc.Id(), ask);
  ASSERT_NE(done, nullptr) << "no summary";
  EXPECT_EQ(robot::ReadMessageBox(done).text, G("已成功从计算机中删除“演示程序”。"));
  robot::PressDialogButton(done, robot::kIdOk);
  ASSERT_TRUE(proc.WaitExit(kTimeout));
  EXPECT_EQ(proc.ExitCode(), 0u);
  EXPECT_FALSE(s.p.FileExists(s.app + "\\demo.exe"));
  EXPECT_EQ(test::ReadHostFile(s.outside), "not the product's");
}

}  // namespace
}  // namespace sk
