// setupkit uninstall: a product installed with simulate, removed again from the same machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/UninstallTexts.h"
#include "platform/Encoding.h"
#include "tests/engine/InstallTestSupport.h"
#include "tools/setupkit/Commands.h"

namespace sk::test {
namespace {

namespace fs = std::filesystem;

const std::string kId = "12345678-1234-1234-1234-123456789ABC";

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(UninstallCommand, RemovesWhatSimulateInstalled) {
  const fs::path dir = fs::temp_directory_path() / ("sk-unins-" + UniqueName());
  fs::create_directories(dir);
  PackageBuilder b;
  b.Setting(kEnableUnInsName, text::kEnabled);
  b.Setting("\xC4\xAC\xC8\xCF\xB0\xB2\xD7\xB0\xC2\xB7\xBE\xB6", "C:\\Prog\\Demo",
            8);                                // 默认安装路径
  b.Setting(setting::kShowWizard.name, "no");  // the no-options window installs
  b.Serial(kId);
  b.File("Z:\\app.exe", kPF, "APP");
  b.File("Z:\\keep.ini", kPF, "K").KeepOnUninstall = 1;
  b.File("Z:\\Uninst.exe", kPF, "U", kind::Uninstaller);
  b.RegFolders().push_back(kMachine + "HKEY_CURRENT_USER\\Software\\DemoCo");
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\DemoCo", "v", "1");
  b.WriteTo((dir / "setup.exe").string());
  const fs::path root = dir / "machine";

  testing::internal::CaptureStdout();
  ASSERT_EQ(cli::CmdSimulate({(dir / "setup.exe").string(), "--root", root.string()}), 0);
  testing::internal::GetCapturedStdout();
  ASSERT_TRUE(fs::exists(root / "C" / "Prog" / "Demo" / "Uninst.log"));

  testing::internal::CaptureStdout();
  EXPECT_EQ(cli::CmdUninstall({kId, "--root", root.string()}), 0);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("removed C:\\Prog\\Demo\\app.exe"), std::string::npos) << out;
  EXPECT_NE(out.find("kept C:\\Prog\\Demo\\keep.ini"), std::string::npos) << out;
  EXPECT_NE(out.find("removed HKEY_CURRENT_USER\\Software\\DemoCo"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(root / "C" / "Prog" / "Demo" / "app.exe"));
  EXPECT_FALSE(fs::exists(root / "C" / "Prog" / "Demo" / "Uninst.exe"));
  EXPECT_FALSE(fs::exists(root / "C" / "Prog" / "Demo" / "Uninst.log"));
  EXPECT_EQ(Slurp(root / "C" / "Prog" / "Demo" / "keep.ini"), "K");
  const std::string registry = Slurp(root / "registry.reg");
  EXPECT_EQ(registry.find("DemoCo"), std::string::npos);
  EXPECT_EQ(registry.find(kId), std::string::npos);

  // A second run finds no product; nor does a wrong identifier.
  for (const std::string& id : {kId, std::string("not\\an-id")}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(cli::CmdUninstall({id, "--root", root.string()}), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("setupkit: error: ", 0), 0u);
  }
  fs::remove_all(dir);
}

// An edited log is refused with the uninstaller's message, and nothing is removed.
TEST(UninstallCommand, RefusesALogItsEntryDoesNotVouchFor) {
  const fs::path dir = fs::temp_directory_path() / ("sk-unins-" + UniqueName());
  fs::create_directories(dir);
  PackageBuilder b;
  b.Setting(kEnableUnInsName, text::kEnabled);
  b.Setting("\xC4\xAC\xC8\xCF\xB0\xB2\xD7\xB0\xC2\xB7\xBE\xB6", "C:\\Prog\\Demo", 8);
  b.Setting(setting::kShowWizard.name, "no");
  b.Serial(kId);
  b.File("Z:\\app.exe", kPF, "APP");
  b.File("Z:\\Uninst.exe", kPF, "U", kind::Uninstaller);
  b.WriteTo((dir / "setup.exe").string());
  const fs::path root = dir / "machine";
  testing::internal::CaptureStdout();
  ASSERT_EQ(cli::CmdSimulate({(dir / "setup.exe").string(), "--root", root.string()}), 0);
  testing::internal::GetCapturedStdout();

  {  // another program's file added to the log
    SandboxConfig config;
    config.root = root;
    SandboxPlatform machine(config);
    ASSERT_TRUE(machine.ForceDirectories("C:\\Other"));
    auto other = machine.CreateFile("C:\\Other\\o.exe");
    other->Write("O", 1);
    other->Close();
    UninstallRecorder log(machine);
    log.LoadFromFile("C:\\Prog\\Demo\\Uninst.log");
    log.AddFile("C:\\Other\\o.exe", 1);
    log.SaveToFile("C:\\Prog\\Demo\\Uninst.log");
    machine.Save();
  }
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(cli::CmdUninstall({kId, "--root", root.string()}), 2);
  testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find(GbkToUtf8(uninstall_text::kUntrustedLog)), std::string::npos) << err;
  EXPECT_EQ(err.find("\\x0"), std::string::npos) << err;  // one line, no escaped line break
  EXPECT_EQ(Slurp(root / "C" / "Other" / "o.exe"), "O");
  EXPECT_EQ(Slurp(root / "C" / "Prog" / "Demo" / "app.exe"), "APP");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace sk::test
