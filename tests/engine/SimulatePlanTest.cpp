// setupkit simulate --plan: the plan of an upgrade printed as lines and as JSON, with the wizard's
// answers and with Setup.exe's switches, and the machine's folder left byte for byte as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/engine/UninstallSupport.h"
#include "tools/setupkit/Commands.h"

namespace sk::test {
namespace {

namespace fs = std::filesystem;

// Every file below the machine's folder (state files included) with its bytes and date.
std::map<std::string, std::string> Folder(const fs::path& root) {
  std::map<std::string, std::string> out;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it)
    out[fs::relative(it->path(), root).generic_string()] =
        it->is_directory() ? "<dir>"
                           : Slurp(it->path()) + "@" + std::to_string(FileTimeTicks(it->path()));
  return out;
}

class SimulatePlan : public testing::Test {
 protected:
  SimulatePlan() {
    fs::create_directories(dir);
    for (const char* version : {"1.0", "2.0"}) {
      PackageBuilder b;
      Base(b);
      b.Setting(setting::kShowWizard.name, "no");  // the no-options window installs
      b.Setting(setting::kDefaultInstallDir.name, "C:\\Prog", setting::kInstallFolder);
      b.Setting(setting::kVersion.name, version);
      b.File("Z:\\app.exe", kPF, std::string("program ") + version).RunAtStartup = 1;
      b.File("Z:\\settings.ini", kPF, "defaults").NoOverwrite = 1;
      b.WriteTo((dir / (std::string("Setup") + version + ".exe")).string());
    }
  }
  ~SimulatePlan() override { fs::remove_all(dir); }

  // Runs simulate; returns the exit code and the lines printed.
  std::pair<int, std::vector<std::string>> Run(const std::string& version,
                                               std::vector<std::string> more) {
    std::vector<std::string> args = {(dir / ("Setup" + version + ".exe")).string(), "--root",
                                     root.string()};
    args.insert(args.end(), more.begin(), more.end());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int code = cli::CmdSimulate(args);
    std::istringstream out(testing::internal::GetCapturedStdout());
    error = testing::internal::GetCapturedStderr();
    std::vector<std::string> lines;
    for (std::string line; std::getline(out, line);) lines.push_back(line);
    return {code, lines};
  }

  const fs::path dir = fs::temp_directory_path() / ("sk-plan-" + UniqueName());
  const fs::path root = dir / "machine";
  std::string error;
};

bool Has(const std::vector<std::string>& lines, const std::string& beginning) {
  for (const std::string& line : lines)
    if (line.rfind(beginning, 0) == 0) return true;
  return false;
}

TEST_F(SimulatePlan, PrintsTheUpgradeAndLeavesTheMachineAsItWas) {
  ASSERT_EQ(Run("1.0", {}).first, 0) << error;
  const auto before = Folder(root);
  const std::string version =
      "value HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
      "11111111-2222-3333-4444-555555555555 [DisplayVersion] = \"2.0\" replacing \"1.0\"";
  // Written again with the same data: not a change, so not an item.
  const std::string run =
      "value HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run [app.exe]";
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::vector<std::string> lines;  // beginnings of lines that must be printed
  } cases[] = {
      {"wizard answers",
       {"--plan"},
       {"file C:\\Prog\\app.exe (11 bytes, ", "keep C:\\Prog\\settings.ini (8 bytes, ", version}},
      {"silent switches",
       {"--plan", "--", "/S"},
       {"file C:\\Prog\\app.exe (11 bytes, ", "keep C:\\Prog\\settings.ini (8 bytes, ", version}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto [code, lines] = Run("2.0", c.args);
    ASSERT_EQ(code, 0) << error;
    for (const std::string& line : c.lines) EXPECT_TRUE(Has(lines, line)) << line;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("exit code", 0) == 0, c.args.back() == "/S") << lines.back();
    // The program is replaced, and nothing installs the settings file again.
    for (const std::string& line : lines) {
      if (line.rfind("file C:\\Prog\\app.exe", 0) == 0) {
        EXPECT_NE(line.find("replacing 11 bytes"), std::string::npos) << line;
      }
      EXPECT_NE(line.rfind("file C:\\Prog\\settings.ini", 0), 0u) << line;
      EXPECT_NE(line.rfind(run, 0), 0u) << line;
    }
    const auto after = Folder(root);
    EXPECT_TRUE(before == after) << "the machine changed";
  }
}

TEST_F(SimulatePlan, JsonLinesDescribeEachItem) {
  ASSERT_EQ(Run("1.0", {}).first, 0) << error;
  auto [code, lines] = Run("2.0", {"--plan", "--json"});
  ASSERT_EQ(code, 0) << error;
  bool file = false, value = false;
  for (const std::string& line : lines) {
    const auto item = nlohmann::json::parse(line);
    if (item["Kind"] == "file" && item["Path"] == "C:\\Prog\\app.exe") {
      file = true;
      EXPECT_EQ(item["Size"], 11);
      EXPECT_EQ(item["Replaces"]["Size"], 11);
    }
    if (item["Kind"] == "value" && item["Name"] == "DisplayVersion") {
      value = true;
      EXPECT_EQ(item["Root"], "HKEY_LOCAL_MACHINE");
      EXPECT_EQ(item["Value"]["Data"], "2.0");
      EXPECT_EQ(item["Previous"]["Data"], "1.0");
    }
  }
  EXPECT_TRUE(file && value);
  // A silent run's progress events are printed too.
  auto [silent, events] = Run("2.0", {"--events", "--", "/S"});
  ASSERT_EQ(silent, 0) << error;
  EXPECT_TRUE(Has(events, "{\"FileName\":\"C:\\\\Prog\\\\app.exe\",\"HintMsg\""));
  EXPECT_EQ(Run("2.0", {"--json"}).first, 2);  // only with --plan
  EXPECT_NE(error.find("--json goes with --plan"), std::string::npos) << error;
}

}  // namespace
}  // namespace sk::test
