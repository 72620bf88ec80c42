// setupkit simulate PACKAGE -- SWITCHES: Setup.exe's command line on a virtual machine. Every
// switch changes the install as documented, every refusal ends the run before anything is
// installed with the bad-switch exit code, and each outcome has its code from the table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/ExitCodes.h"
#include "engine/Texts.h"
#include "tests/engine/InstallTestSupport.h"
#include "tools/setupkit/Commands.h"
#include "ui/ChoicePages.h"

namespace sk::test {
namespace {

namespace fs = std::filesystem;
using namespace choice_setting;

const std::string kOn = text::kEnabled;
const fs::path kPrograms = fs::path("C") / "Users" / "user" / "AppData" / "Roaming" / "Microsoft" /
                           "Windows" / "Start Menu" / "Programs";
const fs::path kDesktopLink = fs::path("C") / "Users" / "user" / "Desktop" / "App.lnk";

struct Package {
  bool installDirPage = true;
  bool installDirEditable = true;
  bool componentsPage = true;
  bool reboot = false;
  bool wizard = true;
};

class SimulateSwitches : public ::testing::Test {
 protected:
  SimulateSwitches() : dir_(fs::temp_directory_path() / ("sk-sims-" + UniqueName())) {
    fs::create_directories(dir_);
  }
  ~SimulateSwitches() override { fs::remove_all(dir_); }

  // A wizard of start-menu folder, components, install folder, tasks (desktop only) and progress.
  void Write(const Package& p = {}) {
    PackageBuilder b;
    b.Setting(setting::kShowWizard.name, p.wizard ? kOn : "no");
    b.Setting(setting::kShowBackground.name, "no");
    b.Setting(setting::kPageStartMenu.name, kOn, 1);
    if (p.componentsPage) b.Setting(setting::kPageComponents.name, kOn, 1);
    if (p.installDirPage) b.Setting(setting::kPageInstallFolder.name, kOn, 1);
    b.Setting(setting::kPageTasks.name, kOn, 1);
    b.Setting(setting::kPageProgress.name, kOn, 1);
    b.Setting(kDefaultFolderName, "Demo", 6);
    b.Setting(kFolderEditable, kOn, 6);
    b.Setting(kShowOption, kOn, 6);
    b.Setting(kDefaultInstallPath, "C:\\Default", 8);
    b.Setting(kPathEditable, p.installDirEditable ? kOn : "no", 8);
    b.Setting(kDesktop, kOn, 9);
    if (p.reboot) b.Setting(setting::kRebootOs.name, kOn);
    b.Component("Docs", 10);
    b.Component("Extras", 20);
    b.File("Z:\\app.exe", kPF, "APP");
    b.Shortcut(engine_text::kRootStartMenu, "App", "C:\\app.exe");
    b.Shortcut(engine_text::kRootDesktop, "App", "C:\\app.exe");
    b.WriteTo((dir_ / "setup.exe").string());
  }
  int Run(std::vector<std::string> switches, std::vector<std::string> options = {}) {
    std::vector<std::string> args = {(dir_ / "setup.exe").string(), "--root", Root().string()};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("--");
    args.insert(args.end(), switches.begin(), switches.end());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int code = cli::CmdSimulate(args);
    out_ = testing::internal::GetCapturedStdout();
    error_ = testing::internal::GetCapturedStderr();
    return code;
  }
  fs::path Root() const { return dir_ / "machine"; }
  std::string Log(const std::string& name = "setup.log") const {
    std::ifstream in(Root() / "C" / "logs" / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Installed(const fs::path& folder = fs::path("C") / "Default") const {
    return fs::exists(Root() / folder / "app.exe");
  }

  fs::path dir_;
  std::string out_, error_;
};

TEST_F(SimulateSwitches, SilentInstallTakesThePagesDefaults) {
  Write();
  ASSERT_EQ(Run({"/S", "/LOG=C:\\logs\\setup.log"}), exit_code::kSuccess) << error_;
  EXPECT_TRUE(Installed());
  EXPECT_TRUE(fs::exists(Root() / kPrograms / "Demo" / "App.lnk"));
  EXPECT_TRUE(fs::exists(Root() / kDesktopLink));
  const std::string log = Log();
  for (const char* line :
       {"package checked", "install folder: C:\\Default\r\n", "components: Docs, Extras\r\n",
        "file: ", "app.exe", "completion actions skipped", "exit code: 0\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
  EXPECT_NE(out_.find("exit code 0"), std::string::npos) << out_;
}

TEST_F(SimulateSwitches, EverySwitchChangesItsChoice) {
  Write();
  ASSERT_EQ(Run({"-s", "/COMPONENTS=docs", "/TASKS=!desktop", "/GROUP=Mine",
                 "/LOG=C:\\logs\\setup.log", "/D=C:\\Program", "Files\\My", "App\\"}),
            exit_code::kSuccess)
      << error_;
  EXPECT_TRUE(Installed(fs::path("C") / "Program Files" / "My App"));
  EXPECT_FALSE(Installed());
  EXPECT_TRUE(fs::exists(Root() / kPrograms / "Mine" / "App.lnk"));
  EXPECT_FALSE(fs::exists(Root() / kDesktopLink));
  EXPECT_NE(Log().find("components: Docs\r\n"), std::string::npos) << Log();

  fs::remove_all(Root());
  ASSERT_EQ(Run({"/S", "/NOSTARTMENU", "/COMPONENTS="}), exit_code::kSuccess) << error_;
  EXPECT_TRUE(Installed());
  EXPECT_FALSE(fs::exists(Root() / kPrograms / "Demo"));
  EXPECT_TRUE(fs::exists(Root() / kDesktopLink));
}

TEST_F(SimulateSwitches, WithoutSilentTheSwitchesAnswerTheWizard) {
  Write();
  ASSERT_EQ(Run({"/TASKS=!desktop", "/D=C:\\Chosen"}), exit_code::kSuccess) << error_;
  EXPECT_TRUE(Installed("C/Chosen"));
  EXPECT_FALSE(fs::exists(Root() / kDesktopLink));
}

TEST_F(SimulateSwitches, ARefusedSwitchInstallsNothing) {
  const struct {
    Package package;
    std::vector<std::string> switches;
    const char* named;  // the word the message names
  } cases[] = {
      {{}, {"/S", "/Q"}, "/Q"},
      {{}, {"/S", "/D=Apps"}, "/D=Apps"},
      {{}, {"/S", "/TASKS=desktop,startmenu"}, "/TASKS="},
      {{}, {"/S", "/COMPONENTS=Docs,Nope"}, "Nope"},
      {{}, {"/S", "/TASKS=quicklaunch"}, "/TASKS=quicklaunch"},  // not offered
      {{}, {"/COMPONENTS=Nope"}, "Nope"},                        // not silent
      {{.installDirPage = false}, {"/S", "/D=C:\\x"}, "/D=C:\\x"},
      {{.installDirEditable = false}, {"/S", "/D=C:\\x"}, "/D=C:\\x"},
      {{.componentsPage = false}, {"/S", "/COMPONENTS=Docs"}, "/COMPONENTS=Docs"},
      {{.wizard = false}, {"/S", "/GROUP=Mine"}, "/GROUP=Mine"},  // the no-options window
      {{}, {"/S", "/LOG=C:\\logs\\setup.log", "/LOG=C:\\again.log"}, "/LOG=C:\\again.log"},
  };
  for (const auto& c : cases) {
    Write(c.package);
    fs::remove_all(Root());
    EXPECT_EQ(Run(c.switches), exit_code::kBadSwitches) << c.named;
    EXPECT_NE(error_.find(c.named), std::string::npos) << c.named << ": " << error_;
    EXPECT_FALSE(Installed()) << c.named;
    EXPECT_FALSE(Installed("C/x")) << c.named;
  }
}

TEST_F(SimulateSwitches, ARefusalIsLoggedWithItsExitCode) {
  Write();
  EXPECT_EQ(Run({"/S", "/LOG=C:\\logs\\setup.log", "/COMPONENTS=Nope"}), exit_code::kBadSwitches);
  const std::string log = Log();
  EXPECT_NE(log.find("Nope"), std::string::npos) << log;
  EXPECT_NE(log.find("nothing installed"), std::string::npos) << log;
  EXPECT_NE(log.find("exit code: 1639"), std::string::npos) << log;
}

TEST_F(SimulateSwitches, EachOutcomeHasItsExitCode) {
  Write({.reboot = true});
  EXPECT_EQ(Run({"/S"}), exit_code::kRebootNeeded) << error_;
  EXPECT_TRUE(Installed());

  // A file where the install folder's parent should be: the install fails and is undone.
  Write();
  fs::remove_all(Root());
  fs::create_directories(Root() / "C");
  std::ofstream(Root() / "C" / "Blocker") << "x";
  EXPECT_EQ(Run({"/S", "/LOG=C:\\logs\\setup.log", "/D=C:\\Blocker\\App"}),
            exit_code::kInstallFailed);
  EXPECT_FALSE(fs::exists(Root() / kPrograms / "Demo"));
  EXPECT_NE(Log().find("error: "), std::string::npos) << Log();
  EXPECT_NE(Log().find("exit code: 1603"), std::string::npos) << Log();

  // Not a setup file at all.
  std::ofstream(dir_ / "setup.exe", std::ios::trunc) << "MZ not a package";
  EXPECT_EQ(Run({"/S"}), exit_code::kDamagedPackage);
}

// A program holds the installed file while the package is installed again: the silent run waits,
// then puts the new file beside it for the next restart and says so.
TEST_F(SimulateSwitches, HeldFileIsReplacedAtTheRestart) {
  Write();
  ASSERT_EQ(Run({"/S"}), exit_code::kSuccess) << error_;
  ASSERT_EQ(Run({"/S", "/LOG=C:\\logs\\setup.log"}, {"--hold", "C:\\Default\\app.exe"}),
            exit_code::kRebootNeeded)
      << error_;
  EXPECT_TRUE(fs::exists(Root() / "C" / "Default" / "app.exe.~sk1"));
  EXPECT_NE(out_.find("at the next restart: C:\\Default\\app.exe.~sk1 replaces "
                      "C:\\Default\\app.exe"),
            std::string::npos)
      << out_;
  const std::string log = Log();
  for (const char* line : {"file in use: C:\\Default\\app.exe; the new file", "a restart is needed",
                           "exit code: 3010\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
}

TEST_F(SimulateSwitches, HelpAndMixedOptions) {
  Write();
  EXPECT_EQ(Run({"/?"}), exit_code::kSuccess);
  EXPECT_NE(out_.find("/COMPONENTS="), std::string::npos) << out_;
  EXPECT_NE(out_.find("3010"), std::string::npos) << out_;
  EXPECT_FALSE(fs::exists(Root()));

  std::vector<std::string> args = {
      (dir_ / "setup.exe").string(), "--root", Root().string(), "--no-desktop", "--", "/S"};
  testing::internal::CaptureStderr();
  EXPECT_EQ(cli::CmdSimulate(args), 2);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("either"), std::string::npos);
  EXPECT_FALSE(Installed());
}

}  // namespace
}  // namespace sk::test
