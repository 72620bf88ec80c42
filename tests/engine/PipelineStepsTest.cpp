// The pipeline's later steps on the sandbox machine (its OS version and special folders are
// configurable, and it logs process starts instead of running them): registrations, registry,
// shortcuts, the uninstall entry and log, patch mode, "Ins.log".
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/Texts.h"
#include "platform/Encoding.h"
#include "tests/engine/InstallTestSupport.h"

namespace sk::test {
namespace {

const std::string kDesktop = "\xD7\xC0\xC3\xE6";                        // 桌面
const std::string kStartMenu = "\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5";      // 开始菜单
const std::string kQuick = "\xBF\xEC\xCB\xD9\xC6\xF4\xB6\xAF\xC0\xB8";  // 快速启动栏
const std::string kPrograms =
    "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
const std::string kQuickDir =
    "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch";
const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::unique_ptr<TestMachine> Sandbox(OsVersion v = {2, 6, 1, 0}) {
  return MakeSandboxMachine([v](SandboxConfig& c) { c.version = v; });
}

std::string ReadString(Platform& p, RegRoot root, const std::string& key, const std::string& n) {
  auto k = p.OpenKey(root, key, false);
  if (!k) return "<no key>";
  auto v = k->ReadValue(n);
  return v ? v->data : "<no value>";
}

TEST(Pipeline, RegistrationsInOrderWithTheirTexts) {
  PackageBuilder b;
  auto& dll = b.File("Z:\\a.dll", kPF, "d");
  dll.RegisterServer = 1;
  dll.RunAtStartup = 1;
  auto& svc = b.File("Z:\\svc.exe", kPF, "s");
  svc.InstallService = 1;
  svc.RunAfterInstall = 1;
  auto& skipped = b.File("Z:\\old.exe", kPF, "o");
  skipped.TargetOs = "5.0";
  skipped.RunAfterInstall = 1;
  b.Folder(kPF, "f").RegisterServer = 1;
  InstallRun run(b, Sandbox());
  run.Install();

  const std::string a = run.installDir() + "\\a.dll", s = run.installDir() + "\\svc.exe";
  using namespace engine_text;
  std::vector<std::string> texts;
  for (const Event& e : run.events())
    if (e.pos == -1) texts.push_back(e.hint);
  const std::vector<std::string> expected = {
      kCreatingFolders,
      kRegisteringComponent + a + kPleaseWaitClose,
      kInstallingAutoRun + a + kPleaseWaitClose,
      kRegisteringService + s + kPleaseWaitClose,
      kWritingRegistry,
      kRunningProgram + s + kPleaseWaitClose,  // launches follow the last change
  };
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(std::string(kRegisteringComponent) + "x" + kPleaseWaitClose,
            "\xD5\xFD\xD4\xDA\xD7\xA2\xB2\xE1\xD7\xE9\xBC\xFE\xA1\xB0x\xA1\xB1\xA3\xAC\xC7\xEB\xC9"
            "\xD4\xBA\xF2");  // 正在注册组件“x”，请稍候

  const std::string actions = run.Actions();
  EXPECT_NE(actions.find("cmd=C:\\Windows\\system32\\regsvr32.exe /s \"" + a + "\""),
            std::string::npos)
      << actions;
  EXPECT_NE(actions.find("cmd=" + s + " -Install"), std::string::npos) << actions;
  EXPECT_NE(actions.find("svc.exe"), std::string::npos);
  EXPECT_EQ(actions.find("old.exe"), std::string::npos);  // not placed: no action
  EXPECT_EQ(ReadString(run.platform(), RegRoot::LocalMachine,
                       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "a.dll"),
            a);
}

TEST(Pipeline, RegistryValuesKeysAndRecords) {
  PackageBuilder b;
  b.Setting(kEnableUnInsName, text::kEnabled);
  b.Serial("{REG}");
  b.File("Z:\\Uninst.exe", kPF, "U", kind::Uninstaller);
  b.RegFolders() = {kMachine + "HKEY_CURRENT_USER\\Software\\A\\B", kMachine + "HKLM\\bad"};
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\V", "S", "[Windows]\\x.dll", 0);
  b.RegValue(kMachine + "hkey_current_user\\Software\\V", "D", "1A", 1);
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\V", "B", "ABC", 2);
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\V", "S", "again", 0);
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\W", "X", "x", 0).TargetOs = "5.1";
  b.RegValue(kMachine + "NOROOT\\Software\\W", "Y", "y", 0);
  b.File("Z:\\in.reg", "", "REGEDIT4\r\n", kind::RegFile);
  InstallRun run(b, Sandbox());
  Platform& p = run.platform();
  ASSERT_TRUE(p.CreateKey(RegRoot::CurrentUser, "Software"));
  run.model().Choices().Options.CreateStartMenu = 0;
  run.Install();

  auto k = p.OpenKey(RegRoot::CurrentUser, "Software\\V", false);
  ASSERT_TRUE(k);
  EXPECT_EQ(k->ReadValue("S")->data, "again");
  EXPECT_EQ(k->ReadValue("D")->data, std::string("\x1A\0\0\0", 4));
  EXPECT_EQ(k->ReadValue("B")->type, RegType::Binary);
  EXPECT_EQ(k->ReadValue("B")->data, "\xAB\xC0");
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, "Software\\W"));
  EXPECT_NE(run.Actions().find("cmd=C:\\Windows\\regedit.exe /s \"Z:\\in.reg\""),
            std::string::npos);
  EXPECT_EQ(run.model().Run().StagedFileReaders.size(), 1u);  // waited for before the clean-up

  const std::string hkcu = "2147483649";
  std::vector<TUnInsData> reg;
  const auto log = run.Log(run.installDir() + "\\Uninst.log");  // outlives the loop
  for (const TUnInsData& r : log->Records())
    if (r.Kind == unins_kind::Registry) reg.push_back(r);
  const std::vector<TUnInsData> expected = {
      {hkcu, "Software\\A", "", 1, 2},  {hkcu, "Software\\A\\B", "", 1, 2},
      {hkcu, "Software\\V", "", 1, 2},  // created for its first value
      {hkcu, "Software\\V", "S", 1, 2}, {hkcu, "Software\\V", "D", 1, 2},
      {hkcu, "Software\\V", "B", 1, 2},
  };
  EXPECT_EQ(reg, expected);
}

TEST(Pipeline, ShortcutsByPlaceKindAndOs) {
  struct Case {
    OsVersion os;
    uint8_t desktop, quick;
    bool pinned;
  };
  // Pinning starts at 6.0 exactly.
  for (const Case& c : {Case{{2, 6, 1, 0}, 0, 1, true}, Case{{2, 6, 0, 0}, 0, 1, true},
                        Case{{2, 5, 1, 0}, 1, 1, false}, Case{{1, 4, 0, 0}, 1, 1, false}}) {
    SCOPED_TRACE(std::to_string(c.os.major) + "." + std::to_string(c.os.minor));
    PackageBuilder b;
    b.Setting(kEnableUnInsName, text::kEnabled);
    b.Setting(setting::kItemName.name, "X");
    b.File("Z:\\Uninst.exe", kPF, "U", kind::Uninstaller);
    b.File("Z:\\app.exe", kPF, "app");
    b.ShotCutFolders() = {kStartMenu + "\\Help", kQuick, "Elsewhere\\x"};
    b.Shortcut(kStartMenu + "\\Help", "App", "Z:\\app.exe");
    b.Shortcut(kDesktop, "App", "Z:\\app.exe");
    b.Shortcut(kQuick, "App", "Z:\\app.exe");
    b.Shortcut(kStartMenu, "Folder", "Z:\\app.exe", 2).IconFile = "Z:\\app.exe";
    b.Shortcut(kStartMenu, "Web", "http://example.com/", 1);
    b.Shortcut("Elsewhere", "Lost", "Z:\\app.exe");
    InstallRun run(b, Sandbox(c.os));
    Platform& p = run.platform();
    run.model().Choices().Options.StartMenuFolder = "Tools";
    run.model().Choices().Options.CreateDesktop = c.desktop;
    run.model().Choices().Options.CreateQuickLaunch = c.quick;
    // A link of that name exists already: the new one gets a unique name.
    ASSERT_TRUE(p.ForceDirectories(kPrograms + "\\Tools\\Help"));
    run.Write(kPrograms + "\\Tools\\Help\\App.lnk", "old");
    run.Install();

    const std::string app = run.installDir() + "\\app.exe";
    auto link = p.ReadShellLink(kPrograms + "\\Tools\\Help\\App(1).lnk");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->target, app);
    auto folderLink = p.ReadShellLink(kPrograms + "\\Tools\\Folder.lnk");
    ASSERT_TRUE(folderLink);
    EXPECT_EQ(folderLink->target, run.installDir() + "\\");
    EXPECT_EQ(folderLink->workingDir, run.installDir() + "\\");
    EXPECT_EQ(folderLink->iconPath, "");
    EXPECT_TRUE(p.FileExists(kPrograms + "\\Tools\\Web.url"));
    EXPECT_EQ(p.FileExists("C:\\Users\\user\\Desktop\\App.lnk"), c.desktop == 1);
    EXPECT_TRUE(p.FileExists(kQuickDir + "\\App.lnk"));
    // 卸载“X”.lnk, next to the start-menu shortcuts
    EXPECT_TRUE(p.FileExists(kPrograms + "\\Tools\\\xD0\xB6\xD4\xD8\xA1\xB0X\xA1\xB1.lnk"));

    const std::string actions = run.Actions();
    const bool pinnedQuick = actions.find("path=\"" + GbkToUtf8(kQuickDir)) != std::string::npos;
    EXPECT_EQ(pinnedQuick, c.pinned) << actions;
    EXPECT_EQ(std::count(actions.begin(), actions.end(), '\n'), c.pinned ? 1 : 0) << actions;

    auto log = run.Log(run.installDir() + "\\Uninst.log");
    std::vector<std::string> files;
    for (const TUnInsData& r : log->Records())
      if (r.Kind == unins_kind::File && r.Path.find(".exe") == std::string::npos)
        files.push_back(r.Path);
    std::vector<std::string> expectedFiles = {kPrograms + "\\Tools\\Help\\App(1).lnk"};
    if (c.desktop) expectedFiles.push_back("C:\\Users\\user\\Desktop\\App.lnk");
    expectedFiles.push_back(kQuickDir + "\\App.lnk");
    expectedFiles.push_back(kPrograms + "\\Tools\\Folder.lnk");
    expectedFiles.push_back(kPrograms + "\\Tools\\Web.url");
    expectedFiles.push_back(kPrograms + "\\Tools\\\xD0\xB6\xD4\xD8\xA1\xB0X\xA1\xB1.lnk");
    EXPECT_EQ(files, expectedFiles);
  }
}

TEST(Pipeline, UninstallEntryAndItsAbsence) {
  enum Variant { Enabled, OtherValue, NoUninstaller, Patch };
  for (Variant v : {Enabled, OtherValue, NoUninstaller, Patch}) {
    SCOPED_TRACE(v);
    PackageBuilder b;
    b.Setting(kEnableUnInsName, v == OtherValue ? "1" : text::kEnabled);
    b.Setting(setting::kItemName.name, "Demo");
    b.Setting("\xB0\xE6\xB1\xBE\xBA\xC5", "1.0");  // 版本号
    b.Setting("\xD7\xF7\xD5\xDF\xCD\xF8\xD6\xB7", "http://u/");
    b.Setting("\xD7\xF7\xD5\xDF\xC3\xFB\xB3\xC6", "Me");
    if (v == Patch) b.Setting("Patch", "1");
    b.Serial("{E}");
    if (v != NoUninstaller) b.File("Z:\\bin\\Uninst.exe", kPF, "U", kind::Uninstaller);
    b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\P", "v", "1", 0);
    b.Shortcut(kDesktop, "D", "Z:\\x");
    InstallRun run(b, Sandbox());
    Platform& p = run.platform();
    run.model().Choices().Options.InstallDir =
        run.root() + "App";  // a patch reads it from the registry
    run.model().Choices().Options.CreateDesktop = 1;
    run.Install();

    const std::string dir = run.installDir() + "\\";
    const bool entry = v == Enabled;
    EXPECT_EQ(
        ReadString(p, RegRoot::LocalMachine, kUninstallKey + "{E}", "UninstallString")[0] != '<',
        entry);
    EXPECT_EQ(p.FileExists(dir + "Uninst.log"), entry);
    EXPECT_FALSE(p.FileExists(dir + "log"));
    EXPECT_EQ(p.FileExists(dir + "Uninst.exe"), entry);
    EXPECT_EQ(p.KeyExists(RegRoot::CurrentUser, "Software\\P"), v != Patch);
    EXPECT_EQ(p.FileExists("C:\\Users\\user\\Desktop\\D.lnk"), v != Patch);
    if (!entry) continue;
    const std::pair<std::string, std::string> values[] = {
        {"DisplayIcon", dir + "Uninst.exe"},
        {"DisplayName", "Demo1.0"},
        {"DisplayVersion", "1.0"},
        {"URLInfoAbout", "http://u/"},
        {"Publisher", "Me"},
        {"UninstallString", dir + "Uninst.exe"},
        {"Install Dir", run.installDir()},
    };
    for (const auto& [name, data] : values)
      EXPECT_EQ(ReadString(p, RegRoot::LocalMachine, kUninstallKey + "{E}", name), data) << name;
  }
}

TEST(Pipeline, InsLogMergeAndDamage) {
  for (bool damaged : {false, true}) {
    PackageBuilder b;
    b.Setting(kEnableUnInsName, text::kEnabled);
    b.Setting(setting::kItemName.name, "New");
    b.Serial("{NEW}");
    b.File("Z:\\Uninst.exe", kPF, "U", kind::Uninstaller);
    b.File("Z:\\f.txt", kPF, "f");
    InstallRun run(b, Sandbox());
    Platform& p = run.platform();
    run.model().Choices().Options.CreateStartMenu = 0;
    UninstallRecorder earlier(p);
    earlier.SetProductName("Old");
    earlier.SetUninstallKey("{new}");  // the same product, spelled in another case
    earlier.AddFile(run.installDir() + "\\old\\o.txt", 1);
    std::string bytes = earlier.SaveToBytes();
    if (damaged) bytes.resize(bytes.size() - 4);
    ASSERT_TRUE(p.ForceDirectories("C:\\Setup"));
    run.Write("C:\\Setup\\Ins.log", bytes);
    run.Install();

    auto log = run.Log(run.installDir() + "\\Uninst.log");
    EXPECT_EQ(log->ProductName(), "New");
    EXPECT_EQ(log->UninstallKey(), "{NEW}");
    ASSERT_FALSE(log->Records().empty());
    EXPECT_EQ(log->Records()[0].Path == run.installDir() + "\\old\\o.txt", !damaged);
    EXPECT_EQ(log->Records().back().Path, run.installDir() + "\\f.txt");
  }
}

}  // namespace
}  // namespace sk::test
