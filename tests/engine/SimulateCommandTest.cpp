// setupkit simulate: a package installed on a virtual machine in a host folder.
#include <gtest/gtest.h>

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
  b.Setting("\xCF\xD4\xCA\xBE\xBC\xD3\xD4\xD8\xBD\xF8\xB6\xC8", "x");  // 显示加载进度: stage
  b.Setting("\xCF\xD4\xCA\xBE\xB0\xB2\xD7\xB0\xBD\xE7\xC3\xE6", "no");  // 显示安装界面: no wizard
  b.Setting("\xC4\xAC\xC8\xCF\xB0\xB2\xD7\xB0\xC2\xB7\xBE\xB6", "C:\\Prog", 8);  // 默认安装路径
  b.Setting("\xD3\xA6\xD3\xC3\xB3\xCC\xD0\xF2\xCE\xC4\xBC\xFE", "Z:\\app.exe", 12);  // 应用程序文件
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

}  // namespace
}  // namespace sk::test
