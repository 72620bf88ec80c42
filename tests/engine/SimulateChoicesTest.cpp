// setupkit simulate with answers to the wizard's choice pages: the install follows them, and
// an answer the package does not offer ends the run before anything is installed.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/Texts.h"
#include "tests/engine/InstallTestSupport.h"
#include "tools/setupkit/Commands.h"
#include "ui/ChoicePages.h"
#include "ui/Startup.h"

namespace sk::test {
namespace {

namespace fs = std::filesystem;
using namespace choice_setting;

const std::string kOn = text::kEnabled;
// Page-list names (group 1).
const std::string kStartFolderPage =
    "\xD1\xA1\xD4\xF1\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5\xCE\xC4\xBC\xFE\xBC\xD0";  // 选择开始菜单文件夹
const std::string kInstallDirPage =
    "\xD1\xA1\xD4\xF1\xB0\xB2\xD7\xB0\xCE\xC4\xBC\xFE\xBC\xD0";        // 选择安装文件夹
const std::string kTasksPage = "\xB8\xBD\xBC\xD3\xC8\xCE\xCE\xF1";     // 附加任务
const std::string kProgressPage = "\xB0\xB2\xD7\xB0\xBD\xF8\xB3\xCC";  // 安装进程
const std::string kShowWizard = "\xCF\xD4\xCA\xBE\xB0\xB2\xD7\xB0\xBD\xE7\xC3\xE6";  // 显示安装界面
const fs::path kPrograms = fs::path("C") / "Users" / "user" / "AppData" / "Roaming" / "Microsoft" /
                           "Windows" / "Start Menu" / "Programs";

class SimulateChoices : public ::testing::Test {
 protected:
  SimulateChoices() : dir_(fs::temp_directory_path() / ("sk-simc-" + UniqueName())) {
    fs::create_directories(dir_);
  }
  ~SimulateChoices() override { fs::remove_all(dir_); }

  // A wizard of start-menu folder, install folder, tasks (desktop only) and progress pages.
  void Write(bool withInstallDirPage = true) {
    PackageBuilder b;
    b.Setting(kShowWizard, kOn);
    b.Setting(setting::kShowBackground.name, "no");  // the wizard without the background window
    for (const std::string* page :
         {&kStartFolderPage, &kInstallDirPage, &kTasksPage, &kProgressPage})
      if (withInstallDirPage || page != &kInstallDirPage) b.Setting(*page, kOn, 1);
    b.Setting(kDefaultFolderName, "Demo", 6);
    b.Setting(kFolderEditable, kOn, 6);
    b.Setting(kShowOption, kOn, 6);
    b.Setting(kDefaultInstallPath, "C:\\Default", 8);
    b.Setting(kPathEditable, kOn, 8);
    b.Setting(kDesktop, kOn, 9);
    b.File("Z:\\app.exe", kPF, "APP");  // into the install folder
    b.Shortcut(engine_text::kRootStartMenu, "App", "C:\\app.exe");
    b.Shortcut(engine_text::kRootDesktop, "App", "C:\\app.exe");
    b.WriteTo((dir_ / "setup.exe").string());
  }
  int Run(std::vector<std::string> choices) {
    std::vector<std::string> args = {(dir_ / "setup.exe").string(), "--root", Root().string()};
    args.insert(args.end(), choices.begin(), choices.end());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int code = cli::CmdSimulate(args);
    testing::internal::GetCapturedStdout();
    error_ = testing::internal::GetCapturedStderr();
    return code;
  }
  fs::path Root() const { return dir_ / "machine"; }

  fs::path dir_;
  std::string error_;
};

TEST_F(SimulateChoices, TheInstallFollowsTheAnswers) {
  Write();
  ASSERT_EQ(Run({}), 0) << error_;
  EXPECT_TRUE(fs::exists(Root() / "C" / "Default" / "app.exe"));
  EXPECT_TRUE(fs::exists(Root() / kPrograms / "Demo" / "App.lnk"));
  EXPECT_TRUE(fs::exists(Root() / "C" / "Users" / "user" / "Desktop" / "App.lnk"));

  fs::remove_all(Root());
  ASSERT_EQ(Run({"--install-dir", "C:\\Chosen\\", "--start-menu-folder", "Mine", "--no-desktop"}),
            0)
      << error_;
  EXPECT_TRUE(fs::exists(Root() / "C" / "Chosen" / "app.exe"));
  EXPECT_FALSE(fs::exists(Root() / "C" / "Default"));
  EXPECT_TRUE(fs::exists(Root() / kPrograms / "Mine" / "App.lnk"));
  EXPECT_FALSE(fs::exists(Root() / "C" / "Users" / "user" / "Desktop" / "App.lnk"));

  fs::remove_all(Root());
  ASSERT_EQ(Run({"--no-start-menu"}), 0) << error_;
  EXPECT_FALSE(fs::exists(Root() / kPrograms / "Demo"));
}

TEST_F(SimulateChoices, AnAnswerThePackageDoesNotOfferIsAnError) {
  struct Case {
    bool installDirPage;
    std::vector<std::string> args;
    std::string option;
  } cases[] = {
      {true, {"--quick-launch"}, "--quick-launch"},      // its check box is hidden
      {true, {"--components", "Docs"}, "--components"},  // no components page
      {true, {"--no-run"}, "--no-run"},                  // no finish page
      {false, {"--install-dir", "C:\\x"}, "--install-dir"},
  };
  for (const Case& c : cases) {
    Write(c.installDirPage);
    fs::remove_all(Root());
    EXPECT_EQ(Run(c.args), 2) << c.option;
    EXPECT_NE(error_.find(c.option), std::string::npos) << error_;
    EXPECT_FALSE(fs::exists(Root() / "C" / "Default" / "app.exe"))
        << "installed despite " << c.option;
  }
  Write();
  EXPECT_EQ(Run({"--desktop", "--no-desktop"}), 2);
}

}  // namespace
}  // namespace sk::test
