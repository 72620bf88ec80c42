// Setup.exe run from a folder where others have dropped files, and two setups at once, under
// Wine. A marker DLL lies beside the setup under the names of DLLs that programs and system
// libraries load by name, with Wine told to prefer native files for those names (per-program
// DLL overrides); a marker regedit.exe lies there too. A careless probe program in the same folder
// shows first that planted files are taken in this environment, so the setup's clean result means
// something.
// clang-format off
#include "platform/win32/Win32Platform.h"  // first: the Windows headers without their A/W macros
// clang-format on

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>

#include "platform/Encoding.h"
#include "platform/SystemHelpers.h"
#include "tests/e2e/Robot.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"

namespace sk {
namespace {

constexpr int kTimeout = 60000;

std::string G(const char* utf8) {
  return *Utf8ToGbk(utf8);
}

// Names of DLLs that a program or the system libraries it uses load by name (msimg32 is what setup
// programs often import; the others are loaded later by system libraries).
const char* const kPlanted[] = {"cryptbase", "dwmapi",  "msimg32", "propsys",
                                "userenv",   "uxtheme", "version", "winmm"};

// Of those, the names that Wine's own modules import statically. Wine 8's user32.dll imports
// version.dll, so the loader resolves it, by the search order that still starts with the
// program's folder, while it loads the program's own imports: before the first instruction of
// the program runs, nothing the program does can prevent it. (Taken as version.dll, the marker
// lacks its exports, and comctl32's start-up aborts in version.dll.GetFileVersionInfoSizeW.)
// The user32.dll of Windows does not import it, so the setup is tested without these names in
// its folder; the controls still show that each of them would be taken.
const char* const kImportedByWineAtStart[] = {"version"};

const std::string kPlanting = SK_PLANTING_DIR;

// Wine's per-program DLL overrides (HKCU\Software\Wine\AppDefaults\<program>\DllOverrides):
// native DLLs first for the planted names, for the life of the object. Programs started by
// another Wine program read them at start, as they would WINEDLLOVERRIDES.
class PreferNativeDlls {
 public:
  explicit PreferNativeDlls(std::vector<std::string> programs) : programs_(std::move(programs)) {
    for (const auto& program : programs_) {
      auto key =
          Win32Platform().OpenKey(RegRoot::CurrentUser, Key(program) + "\\DllOverrides", true);
      EXPECT_NE(key, nullptr) << program;
      if (!key) continue;
      for (const char* name : kPlanted) EXPECT_TRUE(key->WriteString(name, "native,builtin"));
    }
  }
  ~PreferNativeDlls() {
    for (const auto& program : programs_) {
      const std::u16string key = GbkToUtf16(Key(program));
      RegDeleteTreeW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(key.c_str()));
    }
  }

 private:
  static std::string Key(const std::string& program) {
    return "Software\\Wine\\AppDefaults\\" + program;
  }
  std::vector<std::string> programs_;
};

std::string RegString(const std::string& key, const std::string& name) {
  auto k = Win32Platform().OpenKey(RegRoot::CurrentUser, key, false);
  if (!k) return "<no key>";
  auto v = k->ReadValue(name);
  return v ? v->data : "<no value>";
}

// Entries of the temporary folder that look like a run's staging folder.
std::set<std::string> StagingFolders(Platform& p) {
  std::set<std::string> out;
  for (const auto& name : p.ListDirectory(GetTempFolder(p)))
    if (name.size() == 18 && name.compare(0, 2, "sk") == 0) out.insert(name);
  return out;
}

// A package that installs one file into `app` and imports `reg` from a staged "same.reg", in
// the no-options window, which closes by itself when the install is done.
void WriteSetup(const std::string& exe, const std::string& app, const std::string& reg,
                const std::string& serial = "") {
  test::PackageBuilder b;
  if (!serial.empty()) b.Serial(serial);
  b.Setting(G("项目名称"), G("演示程序"));
  b.Setting(G("显示安装界面"), G("否"));
  b.Setting(G("显示加载进度"), G("否"));
  b.Setting(G("默认安装路径"), app, 8);
  b.FileFolders().push_back(G("指定目录\\") + app);
  b.File("D:\\src\\a.txt", G("指定目录\\") + app, "a");
  b.File("D:\\src\\same.reg", "", reg, kind::RegFile);
  b.WriteWithStubFile(SK_SETUP_EXE, exe);
}

std::string RegFile(const std::string& key, const std::string& name, const std::string& value) {
  return "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + key + "]\r\n\"" + name + "\"=\"" + value +
         "\"\r\n";
}

// The marks left beside the setup by planted DLLs and programs, lower case, sorted.
std::vector<std::string> Marks(Platform& p, const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& name : p.ListDirectory(folder))
    if (name.ends_with(".loaded") || name.ends_with(".ran")) found.push_back(LowerAscii(name));
  std::sort(found.begin(), found.end());
  return found;
}

TEST(PlantingTest, PlantedRegeditIsNeverStartedAndTheRealImportHappens) {
  auto machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  const std::string root = machine->root();
  const std::string key = machine->regKey();
  ASSERT_TRUE(p.CopyFileIfAbsent(kPlanting + "\\e2e_marker_program.exe", root + "regedit.exe"));
  ASSERT_TRUE(p.CopyFileIfAbsent(kPlanting + "\\e2e_plant_probe.exe", root + "probe.exe"));
  WriteSetup(root + "Setup.exe", root + "App", RegFile(key, "FromReg", "yes"));
  {  // the control: a program here that starts "regedit" by bare name runs the planted one
    robot::Process probe(root + "probe.exe", root, "run regedit");
    ASSERT_TRUE(probe.WaitExit(kTimeout));
  }
  ASSERT_EQ(Marks(p, root), std::vector<std::string>{"regedit.exe.ran"});
  ASSERT_TRUE(p.DeleteFile(root + "regedit.exe.ran"));

  const auto before = StagingFolders(p);
  robot::Process setup(root + "Setup.exe", root);
  ASSERT_TRUE(setup.WaitExit(kTimeout));
  EXPECT_EQ(setup.ExitCode(), 0u);
  EXPECT_TRUE(Marks(p, root).empty());
  // The real registry editor imported the staged file before the setup removed it.
  EXPECT_EQ(RegString(key, "FromReg"), "yes");
  EXPECT_EQ(StagingFolders(p), before);
}

TEST(PlantingTest, PlantedDllsAreNeverLoaded) {
  auto machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  const std::string root = machine->root();
  const std::string key = machine->regKey();
  std::string dlls;  // the planted names as the probe's arguments
  for (const char* name : kPlanted) {
    ASSERT_TRUE(p.CopyFileIfAbsent(kPlanting + "\\e2e_marker_dll.dll", root + name + ".dll"));
    dlls += std::string(dlls.empty() ? "" : " ") + name + ".dll";
  }
  ASSERT_TRUE(p.CopyFileIfAbsent(kPlanting + "\\e2e_marker_program.exe", root + "regedit.exe"));
  ASSERT_TRUE(p.CopyFileIfAbsent(kPlanting + "\\e2e_plant_probe.exe", root + "probe.exe"));
  WriteSetup(root + "Setup.exe", root + "App", RegFile(key, "FromReg", "yes"));
  PreferNativeDlls overrides({"Setup.exe", "probe.exe"});

  // The controls: a careless program here takes every planted DLL by name and the planted
  // regedit.exe; the same program restricting its search to the system folder first takes only
  // its static import (msimg32, loaded before its first line runs).
  auto marks = [&] { return Marks(p, root); };
  std::vector<std::string> everyDll;
  for (const char* name : kPlanted) everyDll.push_back(std::string(name) + ".dll.loaded");
  std::sort(everyDll.begin(), everyDll.end());
  const struct {
    std::string args;
    std::vector<std::string> expected;
  } controls[] = {
      {"load " + dlls, everyDll},
      {"strict-load " + dlls, {"msimg32.dll.loaded"}},
      {"run regedit", {"msimg32.dll.loaded", "regedit.exe.ran"}},
  };
  for (const auto& control : controls) {
    robot::Process probe(root + "probe.exe", root, control.args);
    ASSERT_TRUE(probe.WaitExit(kTimeout)) << control.args;
    EXPECT_EQ(probe.ExitCode(), 0u) << control.args;
    EXPECT_EQ(marks(), control.expected) << control.args;
    for (const auto& name : marks()) ASSERT_TRUE(p.DeleteFile(root + name));
  }

  // Names that Wine's own modules import statically leave the folder before the setup runs (see
  // kImportedByWineAtStart).
  for (const char* name : kImportedByWineAtStart) ASSERT_TRUE(p.DeleteFile(root + name + ".dll"));
  const auto before = StagingFolders(p);
  robot::Process setup(root + "Setup.exe", root);
  ASSERT_TRUE(setup.WaitExit(kTimeout));
  EXPECT_EQ(setup.ExitCode(), 0u);
  EXPECT_EQ(test::ReadHostFile(root + "App\\a.txt"), "a");
  EXPECT_TRUE(marks().empty()) << ::testing::PrintToString(marks());
  // The real registry editor imported the staged file before the setup removed it.
  EXPECT_EQ(RegString(key, "FromReg"), "yes");
  EXPECT_EQ(StagingFolders(p), before);
}

TEST(PlantingTest, TwoSetupsAtOnceEachImportTheirOwnFile) {
  auto machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  const std::string root = machine->root();
  const std::string key = machine->regKey();
  // Two products: two setups of one product never run at once (the second says so and stops).
  WriteSetup(root + "SetupA.exe", root + "AppA", RegFile(key, "A", "from the first"),
             "{AAAAAAAA-0000-0000-0000-000000000001}");
  WriteSetup(root + "SetupB.exe", root + "AppB", RegFile(key, "B", "from the second"),
             "{BBBBBBBB-0000-0000-0000-000000000002}");

  const auto before = StagingFolders(p);
  robot::Process a(root + "SetupA.exe", root);
  robot::Process b(root + "SetupB.exe", root);
  ASSERT_TRUE(a.WaitExit(kTimeout));
  ASSERT_TRUE(b.WaitExit(kTimeout));
  EXPECT_EQ(a.ExitCode(), 0u);
  EXPECT_EQ(b.ExitCode(), 0u);
  EXPECT_EQ(RegString(key, "A"), "from the first");
  EXPECT_EQ(RegString(key, "B"), "from the second");
  EXPECT_EQ(StagingFolders(p), before);
}

}  // namespace
}  // namespace sk
