// Setup.exe end to end under Wine: packages built with the test PackageBuilder are appended to
// the real Setup.exe, which is started and driven by the robot; the results are checked on the
// machine. Screenshots of every window go to SK_SCREENSHOT_DIR.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "engine/Sha256.h"
#include "engine/UninstallRecorder.h"
#include "package/Container.h"
#include "package/Integrity.h"
#include "package/SettingsStream.h"
#include "platform/Encoding.h"
#include "platform/SystemHelpers.h"
#include "platform/win32/Win32Platform.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"

namespace sk {
namespace {

using namespace e2e;

struct SetupRun {
  std::unique_ptr<test::TestMachine> machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  std::string exe = machine->root() + "Setup.exe";

  void Write(test::PackageBuilder& b) { b.WriteWithStubFile(SK_SETUP_EXE, exe); }
  std::unique_ptr<robot::Process> Start() {
    auto proc = std::make_unique<robot::Process>(exe, machine->root());
    EXPECT_NE(proc->Id(), 0u) << "cannot start " << exe;
    return proc;
  }
};

constexpr RegRoot kHkcu = RegRoot::CurrentUser;
constexpr RegRoot kHklm = RegRoot::LocalMachine;

std::string RegString(RegRoot root, const std::string& key, const std::string& name) {
  auto k = Win32Platform().OpenKey(root, key, false);
  if (!k) return "<no key>";
  auto v = k->ReadValue(name);
  return v ? v->data : "<no value>";
}

TEST(E2eTest, PreInstallMessageCarriesTheBareProjectName) {
  SetupRun s;
  test::PackageBuilder b;
  b.Setting(G("项目名称"), kItem);
  b.Setting(G("安装前弹出信息提示"), G("请先关闭正在运行的程序。"));
  s.Write(b);
  auto proc = s.Start();
  HWND box = robot::WaitMessageBox(proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  const auto content = robot::ReadMessageBox(box);
  EXPECT_EQ(content.caption, kItem);
  EXPECT_EQ(content.text, G("请先关闭正在运行的程序。"));
  Shot(box, "pre-install-message");
  robot::PressDialogButton(box, robot::kIdOk);
  // No window setting: the program ends after the message.
  ASSERT_TRUE(proc->WaitExit(kTimeout));
  EXPECT_EQ(proc->ExitCode(), 0u);
}

TEST(E2eTest, NoOptionsWindowInstallsEverythingAndAsksForReboot) {
  SetupRun s;
  const std::string app = s.machine->root() + "App";
  const std::string serial = "sk-e2e-" + test::UniqueName();
  const std::string regKey = s.machine->regKey();
  const std::string prefix = G("指定目录\\");
  test::PackageBuilder b;
  b.Setting(G("项目名称"), kItem);
  b.Setting(G("版本号"), "1.2.3");
  b.Setting(G("作者名称"), G("作者"));
  b.Setting(G("作者网址"), "http://example.test/");
  b.Setting(G("显示安装界面"), G("否"));
  b.Setting(G("显示加载进度"), G("否"));
  b.Setting(G("安装完成后，重启操作系统"), kOn);
  b.Setting(G("卸载程序"), kOn);
  b.Setting(G("默认安装路径"), app, 8);
  b.Setting(G("默认文件夹名称"), G("演示程序"), 6);
  b.Setting(G("创建桌面快捷方式"), kOn, 9);
  b.Serial(serial);
  b.FileFolders().push_back(prefix + app);
  auto& main = b.File("D:\\src\\demo.exe", prefix + app, "MZ demo program");
  main.RunAtStartup = 1;
  auto& readme = b.File(G("D:\\src\\说明.txt"), prefix + app, "readme text");
  readme.FileTime = 45000.5;  // 2023-03-15 12:00 local
  auto& keep = b.File("D:\\src\\keep.ini", prefix + app, "from package");
  keep.NoOverwrite = 1;
  b.Folder(prefix + app, "Data");
  b.File("D:\\src\\uninst.exe", prefix + app, "MZ uninstaller", kind::Uninstaller);
  b.File("D:\\src\\extra.reg", "",
         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + regKey + "\\Imported]\r\n\"FromReg\"=\"yes\"\r\n",
         kind::RegFile);
  b.RegValue(G("目标计算机\\HKEY_CURRENT_USER\\") + regKey, "Text", G("[安装目录]\\bin"));
  b.RegValue(G("目标计算机\\HKEY_CURRENT_USER\\") + regKey, "Number", "1F", 1);
  b.ShotCutFolders().push_back(G("开始菜单"));
  b.ShotCutFolders().push_back(G("桌面"));
  b.Shortcut(G("开始菜单"), G("演示程序"), "D:\\src\\demo.exe");
  b.Shortcut(G("桌面"), G("演示程序"), "D:\\src\\demo.exe");
  s.Write(b);
  ASSERT_TRUE(s.p.ForceDirectories(app));
  {
    auto out = s.p.CreateFile(app + "\\keep.ini");
    out->Write("user's", 6);
    out->Close();
  }

  auto proc = s.Start();
  HWND window = robot::WaitWindow(proc->Id(), "TfrmInstall", "", kTimeout);
  ASSERT_NE(window, nullptr);
  HWND box = robot::WaitMessageBox(proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr) << "no reboot question";
  // The install is done when the question comes: the gauge shows 100%.
  const auto gauges = robot::Children(window, "TGauge");
  ASSERT_EQ(gauges.size(), 1u);
  EXPECT_EQ(robot::TextOf(gauges[0]), "100%");
  EXPECT_EQ(robot::TextOf(window), G("正在安装“演示程序”，请稍候..."));
  robot::MoveTo(box, 0, 0);  // out of the window's way for its picture
  robot::MoveTo(window, 300, 400);
  robot::WaitUntil([] { return false; }, 300);
  Shot(window, "no-options-window");
  const auto question = robot::ReadMessageBox(box);
  EXPECT_EQ(question.caption, kCaption);
  EXPECT_EQ(question.text, G("“演示程序”安装向导需要重启操作系统，方可完成安装。要自动重启吗？"));
  Shot(box, "reboot-question");
  robot::PressDialogButton(box, robot::kIdNo);
  ASSERT_TRUE(proc->WaitExit(kTimeout));
  EXPECT_EQ(proc->ExitCode(), 0u);

  // Files with their dates and the NoOverwrite rule; the folder item.
  EXPECT_EQ(test::ReadHostFile(app + "\\demo.exe"), "MZ demo program");
  EXPECT_TRUE(s.p.FileExists(app + G("\\说明.txt")));
  EXPECT_EQ(test::ReadHostFile(app + "\\keep.ini"), "user's");
  EXPECT_TRUE(s.p.DirectoryExists(app + "\\Data"));
  const auto written = s.p.GetFileWriteTime(app + G("\\说明.txt"));
  const auto expected =
      s.p.LocalFileTimeToUtc(static_cast<int64_t>((45000.5 + 109205.0) * 864000000000.0));
  ASSERT_TRUE(written && expected);
  EXPECT_EQ(*written, *expected);

  // Registry values, the .reg import and the Run value.
  EXPECT_EQ(RegString(kHkcu, regKey, "Text"), app + "\\bin");
  EXPECT_EQ(RegString(kHkcu, regKey, "Number"), std::string("\x1F\0\0\0", 4));
  EXPECT_TRUE(robot::WaitUntil(
      [&] { return RegString(kHkcu, regKey + "\\Imported", "FromReg") == "yes"; }, kTimeout));
  const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  EXPECT_EQ(RegString(kHklm, run, "demo.exe"), app + "\\demo.exe");

  // Links in the start menu and on the desktop point at the installed program.
  const std::string programs = s.p.GetSpecialFolderPath(2) + G("\\演示程序\\");
  const std::string desktop = s.p.GetSpecialFolderPath(0) + "\\";
  for (const std::string& link : {programs + G("演示程序.lnk"), desktop + G("演示程序.lnk")}) {
    const auto info = s.p.ReadShellLink(link);
    ASSERT_TRUE(info.has_value()) << link;
    EXPECT_EQ(LowerAscii(info->target), LowerAscii(app + "\\demo.exe"));
  }

  // The Uninstall entry and the log, decoded and compared record by record.
  const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + serial;
  const std::pair<const char*, std::string> values[] = {
      {"DisplayIcon", app + "\\uninst.exe"},
      {"DisplayName", kItem + "1.2.3"},
      {"DisplayVersion", "1.2.3"},
      {"URLInfoAbout", "http://example.test/"},
      {"Publisher", G("作者")},
      {"UninstallString", app + "\\uninst.exe"},
      {"Install Dir", app},
  };
  for (const auto& [name, value] : values) {
    EXPECT_EQ(RegString(kHklm, entry, name), value) << name;
  }
  UninstallRecorder log(s.p);
  log.LoadFromFile(app + "\\uninst.log");
  EXPECT_EQ(log.ProductName(), kItem);
  auto has = [&](uint8_t kind, const std::string& path, const std::string& value = "") {
    for (const auto& r : log.Records())
      if (r.Kind == kind && SameTextAscii(r.Path, path) && r.ValueName == value) return true;
    return false;
  };
  EXPECT_TRUE(has(unins_kind::File, app + "\\demo.exe"));
  EXPECT_TRUE(has(unins_kind::File, app + G("\\说明.txt")));
  EXPECT_TRUE(has(unins_kind::Folder, app + "\\Data"));
  EXPECT_TRUE(has(unins_kind::Registry, regKey, "Text"));
  EXPECT_TRUE(has(unins_kind::File, desktop + G("演示程序.lnk")));

  // Leave the shared prefix as it was.
  robot::DeleteMachineKey(entry);
  robot::DeleteMachineValue(run, "demo.exe");
  s.p.DeleteFile(desktop + G("演示程序.lnk"));
  s.p.DeleteFile(programs + G("演示程序.lnk"));
  s.p.RemoveDirectory(programs);
}

TEST(E2eTest, LoadingWindowShowsItsProgressBeforeTheInstall) {
  SetupRun s;
  const std::string app = s.machine->root() + "App";
  test::PackageBuilder b;
  b.Setting(G("项目名称"), kItem);
  b.Setting(G("显示安装界面"), G("否"));
  b.Setting(G("显示加载进度"), kOn);
  b.Setting(G("默认安装路径"), app, 8);
  b.FileFolders().push_back(G("指定目录\\") + app);
  b.File("D:\\src\\a.txt", G("指定目录\\") + app, "a");
  for (int i = 0; i < 4; ++i) {
    b.File("D:\\pics\\p" + std::to_string(i) + ".png", "", std::string(1 << 20, 'p'),
           kind::PageFile);
  }
  s.Write(b);
  auto proc = s.Start();
  HWND loading = robot::WaitWindow(proc->Id(), "TfrmInitIns", "", kTimeout);
  ASSERT_NE(loading, nullptr);
  EXPECT_EQ(robot::TextOf(loading), G("初始化..."));
  const auto labels = robot::Children(loading, "TLabel");
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(robot::TextOf(labels[0]), G("正在解压安装文件,请稍候..."));
  Shot(loading, "loading-window");
  // Closing is refused while it stages.
  robot::PostClose(loading);
  ASSERT_TRUE(proc->WaitExit(kTimeout));
  EXPECT_EQ(proc->ExitCode(), 0u);
  EXPECT_EQ(test::ReadHostFile(app + "\\a.txt"), "a");
  // Staged files are gone at exit.
  EXPECT_FALSE(s.p.FileExists(GetTempFolder(s.p) + "Info\\p0.png"));
}

// A damaged package changes nothing and says so. Damage the pass before the install finds (a
// page picture) ends the run before its window; damage in a file to install is found as the
// install inflates it (each file is inflated once), and the install is taken back.
TEST(E2eTest, DamagedPackageChangesNothingAndSaysSo) {
  for (const bool inFileToInstall : {false, true}) {
    SCOPED_TRACE(inFileToInstall ? "a file to install" : "a page picture");
    SetupRun s;
    const std::string app = s.machine->root() + "App";
    test::PackageBuilder b;
    NoOptionsPackage(b, app);
    b.File("D:\\src\\first.txt", G("指定目录\\") + app, "first");
    if (inFileToInstall)
      b.File("D:\\src\\big.bin", G("指定目录\\") + app, std::string(100000, 'z'));
    else
      b.File("D:\\pics\\big.png", "", std::string(100000, 'z'), kind::PageFile);
    std::string bytes = b.Build(test::ReadHostFile(SK_SETUP_EXE));
    const auto& item = *b.Model().Package().FileList()[1];
    bytes[static_cast<size_t>(item.DataStart) + 10] ^= 0x55;
    test::WriteHostFile(s.exe, bytes);
    auto proc = s.Start();
    HWND box = robot::WaitMessageBox(proc->Id(), kTimeout);
    ASSERT_NE(box, nullptr);
    const auto content = robot::ReadMessageBox(box);
    EXPECT_EQ(content.caption, kCaption);
    if (inFileToInstall) {
      // The message goes on with what the undo did.
      EXPECT_EQ(content.text.rfind(DamagedSetupMessage(item.DataStart), 0), 0u) << content.text;
      EXPECT_GT(content.text.size(), DamagedSetupMessage(item.DataStart).size());
      Shot(box, "damaged-package-during-install");
    } else {
      EXPECT_EQ(content.text, DamagedSetupMessage(item.DataStart)) << content.text;
      EXPECT_TRUE(robot::TopWindows(proc->Id(), "TfrmInstall").empty());
      Shot(box, "damaged-package");
    }
    robot::PressDialogButton(box, robot::kIdOk);
    ASSERT_TRUE(proc->WaitExit(kTimeout));
    EXPECT_EQ(proc->ExitCode(), 2u);
    EXPECT_FALSE(s.p.DirectoryExists(app));
  }
}

// More records than a package may hold, in a settings block of a few kilobytes (it inflates to
// 9 MB of empty settings): the load ends with the damaged-file message before it reads them,
// instead of running out of memory, and the run ends with code 2.
TEST(E2eTest, PackageWithTooManyRecordsIsDamaged) {
  SetupRun s;
  MemoryWriter stream;
  stream.WriteInt32(static_cast<int32_t>(kMaxSettingsRecords + 1));
  stream.Data().append((kMaxSettingsRecords + 1) * 9 + 32, '\0');
  const std::string block = ZlibCompress(stream.Data());
  MemoryWriter file;
  file.Data() = test::ReadHostFile(SK_SETUP_EXE);
  const auto settings = static_cast<int64_t>(file.Data().size());
  file.WriteInt32(static_cast<int32_t>(block.size()));
  file.WriteBytes(block.data(), block.size());
  file.WriteInt64(0);
  file.WriteInt64(settings);
  test::WriteHostFile(s.exe, file.Data());
  auto proc = s.Start();
  HWND box = robot::WaitMessageBox(proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(robot::ReadMessageBox(box).text, DamagedSetupMessage(settings));
  Shot(box, "too-many-records");
  robot::PressDialogButton(box, robot::kIdOk);
  ASSERT_TRUE(proc->WaitExit(kTimeout));
  EXPECT_EQ(proc->ExitCode(), 2u);
}

// The signed setup: written here, signed by the host between the two ctest steps (sign-setup).
std::string SignedDir() {
  const char* build = std::getenv("SETUPKIT_BINARY_DIR");
  std::string dir = std::string(build ? build : "") + "/tests/e2e/signed";
  if (dir[0] == '/') dir = "Z:" + dir;  // the host tree as Wine sees it
  for (char& c : dir)
    if (c == '/') c = '\\';
  return dir;
}

test::PackageBuilder& SignedPackage(test::PackageBuilder& b) {
  const std::string app = SignedDir() + "\\App";
  b.Setting(G("项目名称"), kItem);
  b.Setting(G("显示安装界面"), G("否"));
  b.Setting(G("显示加载进度"), kOn);
  b.Setting(G("默认安装路径"), app, 8);
  b.FileFolders().push_back(G("指定目录\\") + app);
  b.File("D:\\src\\signed.txt", G("指定目录\\") + app, std::string(5 << 20, 's'));
  b.File("D:\\pics\\p.png", "", "picture", kind::PageFile);
  return b;
}

TEST(SignedSetup, DISABLED_Prepare) {
  test::PackageBuilder b;
  SignedPackage(b).WriteWithStubFile(SK_SETUP_EXE, SignedDir() + "\\unsigned.exe");
}

TEST(E2eTest, SignedSetupInstalls) {
  ASSERT_NE(std::getenv("SETUPKIT_BINARY_DIR"), nullptr) << "run through ctest (signing step)";
  const std::string dir = SignedDir();
  Win32Platform p;
  ASSERT_TRUE(p.FileExists(dir + "\\signed.exe")) << "the ctest step e2e_signed_sign makes it";
  const std::string unsignedBytes = test::ReadHostFile(dir + "\\unsigned.exe");
  const std::string signedBytes = test::ReadHostFile(dir + "\\signed.exe");
  ASSERT_GT(signedBytes.size(), unsignedBytes.size() + 500) << "no certificate table appended";
  p.DeleteFile(dir + "\\App\\signed.txt");
  robot::Process proc(dir + "\\signed.exe", dir + "\\");
  ASSERT_TRUE(proc.WaitExit(kTimeout));
  EXPECT_EQ(proc.ExitCode(), 0u);
  EXPECT_EQ(test::ReadHostFile(dir + "\\App\\signed.txt"), std::string(5 << 20, 's'));
  p.DeleteFile(dir + "\\App\\signed.txt");
}

// Starts the uninstaller, answers its question with Yes and its summary with OK, and waits for
// it to end; the two boxes are saved as NAME-question and NAME-summary.
void RunUninstallerToTheEnd(const std::string& uninstaller, const std::string& dir,
                            const std::string& name) {
  robot::Process proc(uninstaller, dir);
  HWND ask = robot::WaitMessageBox(proc.Id(), kTimeout);
  ASSERT_NE(ask, nullptr) << "no confirmation question";
  const auto question = robot::ReadMessageBox(ask);
  EXPECT_EQ(question.caption, kCaption);
  EXPECT_EQ(question.text, G("确实要完全删除“演示程序”及其所有组件吗？"));
  Shot(ask, name + "-question");
  robot::PressDialogButton(ask, 6 /* IDYES */);
  // The summary is the next box, once the question has gone.
  HWND done = WaitNextMessageBox(proc.Id(), ask);
  ASSERT_NE(done, nullptr) << "no summary";
  const auto summary = robot::ReadMessageBox(done);
  EXPECT_EQ(summary.caption, kCaption);
  EXPECT_EQ(summary.text, G("已成功从计算机中删除“演示程序”。"));
  Shot(done, name + "-summary");
  robot::PressDialogButton(done, robot::kIdOk);
  ASSERT_TRUE(proc.WaitExit(kTimeout));
  EXPECT_EQ(proc.ExitCode(), 0u);
}

TEST(E2eTest, UninstallerRemovesTheProductAfterAskingFirst) {
  SetupRun s;
  const std::string app = s.machine->root() + "App";
  const std::string serial = "sk-e2e-" + test::UniqueName();
  const std::string regKey = s.machine->regKey();
  const std::string prefix = G("指定目录\\");
  test::PackageBuilder b;
  b.Setting(G("项目名称"), kItem);
  b.Setting(G("显示安装界面"), G("否"));
  b.Setting(G("卸载程序"), kOn);
  b.Setting(G("默认安装路径"), app, 8);
  b.Setting(G("创建桌面快捷方式"), kOn, 9);
  b.Serial(serial);
  b.FileFolders().push_back(prefix + app);
  b.File("D:\\src\\demo.exe", prefix + app, "MZ demo program");
  b.File("D:\\src\\data\\a.dat", prefix + app + "\\data", "data");
  b.File("D:\\src\\Uninst.exe", prefix + app, test::ReadHostFile(SK_UNINST_EXE), kind::Uninstaller);
  b.RegFolders().push_back(G("目标计算机\\HKEY_CURRENT_USER\\") + regKey + "\\Sub");
  b.RegValue(G("目标计算机\\HKEY_CURRENT_USER\\") + regKey + "\\Sub", "Text", "x");
  b.ShotCutFolders().push_back(G("桌面"));
  b.Shortcut(G("桌面"), G("演示程序"), "D:\\src\\demo.exe");
  s.Write(b);
  {
    auto setup = s.Start();
    ASSERT_TRUE(setup->WaitExit(kTimeout));
    ASSERT_EQ(setup->ExitCode(), 0u);
  }
  const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + serial;
  const std::string uninstaller = RegString(kHklm, entry, "UninstallString");
  ASSERT_EQ(uninstaller, app + "\\Uninst.exe");
  const std::string link = s.p.GetSpecialFolderPath(0) + G("\\演示程序.lnk");
  ASSERT_TRUE(s.p.FileExists(link));

  ASSERT_NO_FATAL_FAILURE(RunUninstallerToTheEnd(uninstaller, app, "uninstall"));

  EXPECT_FALSE(s.p.FileExists(app + "\\demo.exe"));
  EXPECT_FALSE(s.p.DirectoryExists(app + "\\data"));
  EXPECT_FALSE(s.p.FileExists(app + "\\Uninst.log"));
  EXPECT_FALSE(s.p.FileExists(link));
  EXPECT_FALSE(s.p.KeyExists(kHkcu, regKey));
  EXPECT_EQ(RegString(kHklm, entry, "UninstallString"), "<no key>");
  // The uninstaller's own file and its folder go once it has ended.
  EXPECT_TRUE(robot::WaitUntil([&] { return !s.p.DirectoryExists(app); }, kTimeout));
}

TEST(E2eTest, ThirtyTwoBitSetupWritesInTheThirtyTwoBitView) {
  if (sizeof(void*) != 4) GTEST_SKIP() << "the x86_64 programs have one view";
  // On a 64-bit Windows a 32-bit program has a view and a program-files folder of its own; a
  // 32-bit Windows has one of each, without "(x86)" and without WOW6432Node.
  const bool wow64 = robot::RunsUnderWow64();
  SetupRun s;
  // The program-files folder that the setup's "[System ProgramFiles]" stands for.
  EXPECT_EQ(LowerAscii(GetProgramFilesFolder(s.p)),
            wow64 ? "c:\\program files (x86)" : "c:\\program files");

  const std::string app = s.machine->root() + "App";
  const std::string serial = "sk-e2e-" + test::UniqueName();
  const std::string key = "SOFTWARE\\sk-e2e-views-" + test::UniqueName();
  test::PackageBuilder b;
  b.Setting(G("项目名称"), kItem);
  b.Setting(G("显示安装界面"), G("否"));
  b.Setting(G("显示加载进度"), G("否"));  // the .reg file is staged before the install
  b.Setting(G("卸载程序"), kOn);
  b.Setting(G("默认安装路径"), app, 8);
  b.Serial(serial);
  b.FileFolders().push_back(G("指定目录\\") + app);
  b.File("D:\\src\\Uninst.exe", G("指定目录\\") + app, test::ReadHostFile(SK_UNINST_EXE),
         kind::Uninstaller);
  b.File("D:\\src\\views.reg", "",
         "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + key + "\\Imported]\r\n\"FromReg\"=\"yes\"\r\n",
         kind::RegFile);
  b.RegValue(G("目标计算机\\HKEY_LOCAL_MACHINE\\") + key, "Text", "x");
  s.Write(b);
  {
    auto setup = s.Start();
    ASSERT_TRUE(setup->WaitExit(kTimeout));
    ASSERT_EQ(setup->ExitCode(), 0u);
  }
  const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + serial;
  // The values, the import and the Uninstall entry are where 32-bit programs (and "Programs and
  // Features", for a 32-bit product) look, and not in the 64-bit view; on a 32-bit Windows they
  // are in its only view, under their own names.
  const std::pair<std::string, std::string> written[] = {
      {key, "Text"}, {key + "\\Imported", "FromReg"}, {entry, "UninstallString"}};
  for (const auto& [k, name] : written) {
    EXPECT_TRUE(robot::WaitUntil(
        [&] { return robot::MachineValueInView(k, name, robot::RegView::Bits32); }, kTimeout))
        << k << " " << name;
    if (wow64)
      EXPECT_FALSE(robot::MachineValueInView(k, name, robot::RegView::Bits64)) << k << " " << name;
    else
      EXPECT_FALSE(robot::MachineValueInView("SOFTWARE\\WOW6432Node" + k.substr(8), name,
                                             robot::RegView::Bits32))
          << k << " " << name;
  }

  ASSERT_NO_FATAL_FAILURE(
      RunUninstallerToTheEnd(RegString(kHklm, entry, "UninstallString"), app, "views-uninstall"));
  EXPECT_FALSE(robot::MachineValueInView(key, "Text", robot::RegView::Bits32));
  EXPECT_FALSE(robot::MachineValueInView(entry, "UninstallString", robot::RegView::Bits32));
  robot::DeleteMachineKey(key + "\\Imported");
  robot::DeleteMachineKey(key);
}

TEST(E2eTest, UninstallerProgressWindow) {
  // The window shows only while the removal runs; a log with many records keeps it up.
  SetupRun s;
  const std::string app = s.machine->root() + "U";
  ASSERT_TRUE(s.p.ForceDirectories(app));
  test::WriteHostFile(app + "\\Uninst.exe", test::ReadHostFile(SK_UNINST_EXE));
  UninstallRecorder log(s.p);
  log.SetProductName(kItem);
  log.SetUninstallKey("sk-e2e-" + test::UniqueName());
  for (int i = 0; i < 4000; ++i) log.AddFile(app + "\\missing" + std::to_string(i), 1);
  log.SaveToFile(app + "\\Uninst.log");
  {  // the entry that vouches for the log, as the install writes it
    auto entry = s.p.OpenKey(
        kHklm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + log.UninstallKey(),
        true);
    ASSERT_TRUE(entry);
    entry->WriteString("UninstallString", app + "\\Uninst.exe");
    entry->WriteString(kLogDigestValue, Sha256Hex(test::ReadHostFile(app + "\\Uninst.log")));
  }
  robot::Process proc(app + "\\Uninst.exe", app);
  HWND ask = robot::WaitMessageBox(proc.Id(), kTimeout);
  ASSERT_NE(ask, nullptr);
  robot::PressDialogButton(ask, 6 /* IDYES */);
  HWND window = robot::WaitWindow(proc.Id(), "TfrmUninstall", "", kTimeout);
  if (window) {
    EXPECT_EQ(robot::TextOf(window), G("“演示程序”卸载"));
    robot::MoveTo(window, 300, 400);
    Shot(window, "uninstall-progress");
  }
  HWND done = robot::WaitMessageBox(proc.Id(), kTimeout);
  ASSERT_NE(done, nullptr);
  robot::PressDialogButton(done, robot::kIdOk);
  ASSERT_TRUE(proc.WaitExit(kTimeout));
}

TEST(E2eTest, UninstallerWithoutItsLogSaysSoAndRemovesNothing) {
  SetupRun s;
  const std::string app = s.machine->root() + "U";
  ASSERT_TRUE(s.p.ForceDirectories(app));
  test::WriteHostFile(app + "\\Uninst.exe", test::ReadHostFile(SK_UNINST_EXE));
  test::WriteHostFile(app + "\\Uninst.log", "damaged");
  robot::Process proc(app + "\\Uninst.exe", app);
  HWND box = robot::WaitMessageBox(proc.Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  const auto content = robot::ReadMessageBox(box);
  EXPECT_EQ(content.text.rfind(G("卸载日志丢失或已损坏，无法卸载。"), 0), 0u) << content.text;
  Shot(box, "uninstall-damaged-log");
  robot::PressDialogButton(box, robot::kIdOk);
  ASSERT_TRUE(proc.WaitExit(kTimeout));
  EXPECT_EQ(proc.ExitCode(), 2u);
  EXPECT_TRUE(s.p.FileExists(app + "\\Uninst.log"));
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

using namespace e2e;

// Start-up cost against payload size; run by hand (see docs/performance.md), prints figures.
TEST(E2eTest, DISABLED_StartupTimeDoesNotGrowWithPayload) {
  for (const int64_t mib : {1, 1024}) {
    SetupRun s;
    const std::string app = s.machine->root() + "App";
    test::PackageBuilder b;
    NoOptionsPackage(b, app);
    b.Threads(0);
    b.File("D:\\src\\big.bin", G("指定目录\\") + app, std::string(mib << 20, 'z'));
    s.Write(b);
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
      const auto start = std::chrono::steady_clock::now();
      auto proc = s.Start();
      ASSERT_NE(robot::WaitWindow(proc->Id(), "TfrmInstall", "", kTimeout), nullptr);
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - start;
      best = std::min(best, took.count());
    }
    std::printf("payload %lld MiB: process start to no-options window %.0f ms (best of 3)\n",
                static_cast<long long>(mib), best);
  }
}

}  // namespace
}  // namespace sk
