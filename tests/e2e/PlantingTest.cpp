// Setup.exe run from a folder where others have dropped files, and two setups at once, under
// Wine. A marker DLL lies beside the setup under the names of DLLs that programs and system
// libraries load by name, with Wine told to prefer such native files; a marker regedit.exe lies
// there too. A careless probe program in the same folder shows first that planted files are
// taken in this environment, so the setup's clean result means something.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <set>

#include "platform/Encoding.h"
#include "platform/SystemHelpers.h"
#include "platform/win32/Win32Platform.h"
#include "tests/e2e/Robot.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"

namespace sk {
namespace {

constexpr int kTimeout = 60000;

std::string G(const char* utf8) {
  return *Utf8ToGbk(utf8);
}

// DLL names a program or the system libraries it uses load by name (msimg32 is what setup
// programs often import; the others are loaded later by system libraries).
const char* const kPlanted[] = {"msimg32", "version", "uxtheme",   "dwmapi",
                                "winmm",   "propsys", "cryptbase", "userenv"};

const std::string kPlanting = SK_PLANTING_DIR;

// Sets an environment variable of this process (inherited by the programs it starts) for the
// life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t buf[4096];
    const DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    had_ = n > 0 && n < 4096;
    if (had_) old_.assign(buf, n);
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnvironment() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
  const std::wstring& old() const { return old_; }

 private:
  const wchar_t* name_;
  bool had_ = false;
  std::wstring old_;
};

// Native DLLs first for the planted names, keeping the session's own overrides.
std::wstring PreferNative() {
  wchar_t buf[4096];
  const DWORD n = GetEnvironmentVariableW(L"WINEDLLOVERRIDES", buf, 4096);
  std::wstring value = n > 0 && n < 4096 ? std::wstring(buf, n) + L";" : std::wstring();
  for (size_t i = 0; i < std::size(kPlanted); ++i) {
    if (i) value += L",";
    for (const char* c = kPlanted[i]; *c; ++c) value += static_cast<wchar_t>(*c);
  }
  return value + L"=n,b";
}

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
void WriteSetup(const std::string& exe, const std::string& app, const std::string& reg) {
  test::PackageBuilder b;
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

TEST(PlantingTest, FilesPlantedBesideTheSetupAreNeverTaken) {
  auto machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  const std::string root = machine->root();
  const std::string key = machine->regKey();
  for (const char* name : kPlanted)
    ASSERT_TRUE(p.CopyFileIfAbsent(kPlanting + "\\e2e_marker_dll.dll", root + name + ".dll"));
  ASSERT_TRUE(p.CopyFileIfAbsent(kPlanting + "\\e2e_marker_program.exe", root + "regedit.exe"));
  ASSERT_TRUE(p.CopyFileIfAbsent(kPlanting + "\\e2e_plant_probe.exe", root + "probe.exe"));
  WriteSetup(root + "Setup.exe", root + "App", RegFile(key, "FromReg", "yes"));
  ScopedEnvironment overrides(L"WINEDLLOVERRIDES", PreferNative());

  // The control: a careless program here takes the planted DLLs and the planted regedit.exe.
  auto marks = [&] {
    std::vector<std::string> found;
    for (const auto& name : p.ListDirectory(root))
      if (name.ends_with(".loaded") || name.ends_with(".ran")) found.push_back(LowerAscii(name));
    std::sort(found.begin(), found.end());
    return found;
  };
  for (const std::string& args : {"load version.dll", "run regedit"}) {
    robot::Process probe(root + "probe.exe", root, args);
    ASSERT_TRUE(probe.WaitExit(kTimeout)) << args;
    EXPECT_EQ(probe.ExitCode(), 0u) << args;
  }
  EXPECT_EQ(marks(), (std::vector<std::string>{"msimg32.dll.loaded", "regedit.exe.ran",
                                               "version.dll.loaded"}));
  for (const auto& name : marks()) ASSERT_TRUE(p.DeleteFile(root + name));

  const auto before = StagingFolders(p);
  robot::Process setup(root + "Setup.exe", root);
  ASSERT_TRUE(setup.WaitExit(kTimeout));
  EXPECT_EQ(setup.ExitCode(), 0u);
  EXPECT_EQ(test::ReadHostFile(root + "App\\a.txt"), "a");
  EXPECT_TRUE(marks().empty());
  // The real registry editor imported the staged file before the setup removed it.
  EXPECT_EQ(RegString(key, "FromReg"), "yes");
  EXPECT_EQ(StagingFolders(p), before);
}

TEST(PlantingTest, TwoSetupsAtOnceEachImportTheirOwnFile) {
  auto machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  const std::string root = machine->root();
  const std::string key = machine->regKey();
  WriteSetup(root + "SetupA.exe", root + "AppA", RegFile(key, "A", "from the first"));
  WriteSetup(root + "SetupB.exe", root + "AppB", RegFile(key, "B", "from the second"));

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
