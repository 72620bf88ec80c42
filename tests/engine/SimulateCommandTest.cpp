// setupkit simulate: a package installed on a virtual machine in a host folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/engine/InstallTestSupport.h"
#include "tools/setupkit/Commands.h"

namespace sk::test {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Simulate, InstallsEventsAndCompletionActions) {
  const fs::path dir = fs::temp_directory_path() / ("sk-sim-" + UniqueName());
  fs::create_directories(dir);
  PackageBuilder b;
  b.Setting(setting::kShowLoading.name, "x");                           // present: stage
  b.Setting("\xCF\xD4\xCA\xBE\xB0\xB2\xD7\xB0\xBD\xE7\xC3\xE6", "no");  // 显示安装界面: no wizard
  b.Setting(setting::kDefaultInstallDir.name, "C:\\Prog", setting::kInstallFolder);
  b.Setting(setting::kAppFile.name, "Z:\\app.exe", setting::kFinish);
  b.File("Z:\\app.exe", kPF, "APP");
  b.File("Z:\\pic.png", "", "PNG", kind::PageFile);
  b.WriteTo((dir / "My Setup.exe").string());
  const fs::path root = dir / "machine";

  testing::internal::CaptureStdout();
  const int code = cli::CmdSimulate({(dir / "My Setup.exe").string(), "--root", root.string(),
                                     "--events", "--os-version", "5.1"});
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(code, 0);
  EXPECT_NE(out.find("{\"FileName\":\"C:\\\\Prog\\\\app.exe\",\"HintMsg\":\"\xE6\xAD\xA3\xE5\x9C"
                     "\xA8\xE5\xAE\x89\xE8\xA3\x85\xE6\x96\x87\xE4\xBB\xB6\",\"Position\":1,"
                     "\"Max\":2}"),
            std::string::npos)
      << out;
  EXPECT_EQ(Slurp(root / "C" / "Prog" / "app.exe"), "APP");
  EXPECT_TRUE(fs::exists(root / "C" / "Setup" / "My Setup.exe"));
  EXPECT_NE(Slurp(root / "actions.log").find("C:\\Prog\\app.exe"), std::string::npos);
  EXPECT_FALSE(fs::exists(root / "C" / "Users" / "user" / "AppData" / "Local" / "Temp" / "Info" /
                          "pic.png"));  // staged, then deleted

  WriteHostFile((dir / "bad.exe").string(), std::string(40, 'x'));
  testing::internal::CaptureStderr();
  EXPECT_EQ(cli::CmdSimulate({(dir / "bad.exe").string(), "--root", root.string()}), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("setupkit: error: ", 0), 0u);
  fs::remove_all(dir);
}

// Runs simulate quietly; returns the exit code and what went to stderr.
std::pair<int, std::string> RunSimulate(std::vector<std::string> args) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int code = cli::CmdSimulate(args);
  testing::internal::GetCapturedStdout();
  return {code, testing::internal::GetCapturedStderr()};
}

class SimulateMachine : public testing::Test {
 protected:
  SimulateMachine() {
    fs::create_directories(dir);
    PackageBuilder b;
    b.Setting(setting::kShowWizard.name, "no");  // the no-options window installs
    b.Setting(setting::kDefaultInstallDir.name, "D:\\Games\\X", setting::kInstallFolder);
    b.Setting(setting::kCreateQuickLaunch.name, text::kEnabled, setting::kTasks);
    b.File("Z:\\app.exe", kPF, "APP");
    b.Shortcut(kQuickLaunch, "App", "Z:\\app.exe");
    b.WriteTo((dir / "Setup.exe").string());
  }
  ~SimulateMachine() override { fs::remove_all(dir); }
  std::pair<int, std::string> Run(const std::string& machine, std::vector<std::string> more) {
    std::vector<std::string> args = {(dir / "Setup.exe").string(), "--root",
                                     (dir / machine).string()};
    args.insert(args.end(), more.begin(), more.end());
    return RunSimulate(args);
  }

  const fs::path dir = fs::temp_directory_path() / ("sk-simm-" + UniqueName());
  // 快速启动栏 (the quick-launch place of a shortcut)
  const std::string kQuickLaunch = "\xBF\xEC\xCB\xD9\xC6\xF4\xB6\xAF\xC0\xB8";
};

TEST_F(SimulateMachine, MoreDrivesFoldersAndTheQuickLaunchFolder) {
  // Drive C only: the default path on D: cannot be made.
  EXPECT_EQ(Run("c-only", {}).first, 2);

  auto [code, err] = Run("m", {"--drive", "d=1G", "--drive", "E", "--windows-dir", "E:/WINNT/",
                               "--program-files", "D:\\Apps"});
  ASSERT_EQ(code, 0) << err;
  const fs::path root = dir / "m";
  EXPECT_EQ(Slurp(root / "D" / "Games" / "X" / "app.exe"), "APP");
  // A fresh profile's folders: the quick-launch shortcut is made (and pinned, OS 6.1).
  EXPECT_TRUE(fs::exists(root / "C" / "Users" / "user" / "AppData" / "Roaming" / "Microsoft" /
                         "Internet Explorer" / "Quick Launch" / "App.lnk"));
  EXPECT_TRUE(fs::is_directory(root / "E" / "WINNT" / "System32"));
  EXPECT_TRUE(fs::is_directory(root / "D" / "Apps" / "Common Files"));
  EXPECT_FALSE(fs::exists(root / "C" / "Windows"));
}

TEST_F(SimulateMachine, UtcOffsetShiftsTheInstalledFileTimes) {
  ASSERT_EQ(Run("utc", {"--drive", "D"}).first, 0);
  ASSERT_EQ(Run("east", {"--drive", "D", "--utc-offset", "480"}).first, 0);
  const auto utc = fs::last_write_time(dir / "utc" / "D" / "Games" / "X" / "app.exe");
  const auto east = fs::last_write_time(dir / "east" / "D" / "Games" / "X" / "app.exe");
  // The same local time is eight hours earlier in UTC at UTC+8.
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::minutes>(utc - east).count(), 480);
}

TEST_F(SimulateMachine, OptionsThatDescribeNoMachineAreRefused) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--drive", "1"}, "one letter"},
      {{"--drive", "DE"}, "one letter"},
      {{"--drive", "D=12X"}, "free space"},
      {{"--drive", "D="}, "free space"},
      {{"--drive", "D=99999999999T"}, "too large"},
      {{"--program-files", "Apps"}, "absolute folder"},
      {{"--program-files", "Q:\\Apps"}, "--drive Q"},
      {{"--windows-dir", "C:\\"}, "absolute folder"},
      {{"--utc-offset", "841"}, "--utc-offset"},
      {{"--utc-offset", "-721"}, "--utc-offset"},
  };
  for (const auto& [args, message] : cases) {
    auto [code, err] = Run("bad", args);
    EXPECT_EQ(code, 2) << args[1];
    EXPECT_NE(err.find(message), std::string::npos) << args[1] << ": " << err;
  }
  EXPECT_FALSE(fs::exists(dir / "bad" / "D"));
}

}  // namespace
}  // namespace sk::test
