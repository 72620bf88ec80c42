// The startup driver on a sandbox machine: the package is written to the machine's
// executable path, the windows are recorded instead of shown.
#include <gtest/gtest.h>

#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"
#include "ui/Install.h"

namespace sk {
namespace {

const std::string kOn = text::kEnabled;
const std::string kOther = "\xCA\xC7";  // "是"
const std::string kPicture = "C:\\build\\pics\\logo.png";
const std::string kStaged = "C:\\Users\\user\\AppData\\Local\\Temp\\Info\\logo.png";

class RecordingWindows : public SetupWindows {
 public:
  explicit RecordingWindows(Platform& p) : p_(p) {}
  std::vector<std::string> calls;
  SetupContext seen;
  bool stagedFileSeen = false;

  void SetApplicationTitle(const std::string& t) override { calls.push_back("title " + t); }
  void ShowPreInstallMessage(const std::string& text, const std::string& caption) override {
    calls.push_back("message " + text + " / " + caption);
  }
  void RunLoadingWindow(TCompile& m, SetupContext& c) override {
    calls.push_back("loading");
    StageFromExecutable(m);
  }
  void RunInstallWindow(TCompile& m, SetupContext& c) override { Top("install", c); }
  void RunBackgroundWindow(TCompile& m, SetupContext& c) override { Top("background", c); }
  void RunWizard(TCompile& m, SetupContext& c) override { Top("wizard", c); }

 private:
  void Top(const std::string& name, SetupContext& c) {
    calls.push_back(name);
    seen = c;
    stagedFileSeen = p_.FileExists(kStaged);
  }
  Platform& p_;
};

struct Machine {
  std::unique_ptr<test::TestMachine> machine = test::MakeSandboxMachine();
  Platform& p = machine->platform();
  RecordingWindows windows{p};

  void Write(test::PackageBuilder& b) {
    const std::string bytes = b.Build();
    auto out = p.CreateFile(p.ExecutablePath());
    out->Write(bytes.data(), bytes.size());
    out->Close();
  }
};

test::PackageBuilder& Base(test::PackageBuilder& b) {
  b.Setting(setting::kItemName.name, "Demo");
  b.Setting("\xB1\xB3\xBE\xB0\xCD\xBC\xC6\xAC", kPicture, 2);  // a page picture
  b.File(kPicture, "", "PNGDATA", kind::PageFile);
  return b;
}

TEST(DriverTest, StagesDirectlyOpensWizardAndDeletesStagedFilesAtTheEnd) {
  Machine run;
  test::PackageBuilder b;
  Base(b);
  b.Setting("\xB0\xB2\xD7\xB0\xC7\xB0\xB5\xAF\xB3\xF6\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE",
            "Hello");  // 安装前弹出信息提示
  b.Setting(setting::kShowLoading.name, kOther);
  b.Setting(setting::kShowBackground.name, kOther);
  b.Setting(setting::kMusic.name, "C:\\Setup\\music.mid");
  run.Write(b);
  run.p.CreateFile("C:\\Setup\\music.mid")->Close();
  {
    TInstall driver(run.p, run.windows);
    EXPECT_EQ(driver.Context().SetupDir, "C:\\Setup\\");
    driver.Execute();
    EXPECT_EQ(driver.Compile().InfoList()[1]->Value, kStaged);
  }
  const std::vector<std::string> expected = {"title Demo", "message Hello / Demo", "wizard"};
  EXPECT_EQ(run.windows.calls, expected);
  EXPECT_TRUE(run.windows.stagedFileSeen);
  EXPECT_EQ(run.windows.seen.MessageCaption,
            "\xA1\xB0"
            "Demo\xA1\xB1\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC");
  EXPECT_EQ(run.windows.seen.MusicFile, "C:\\Setup\\music.mid");
  EXPECT_FALSE(run.p.FileExists(kStaged));
}

TEST(DriverTest, WindowChoicesAndStagingModes) {
  struct Row {
    std::optional<std::string> loading, background, patch, showWizard;
    std::vector<std::string> calls;
    bool staged;
  };
  const std::string& showWizard = setting::kShowWizard.name;
  const Row rows[] = {
      {{}, {}, {}, {}, {"title Demo"}, false},
      {kOn, kOn, {}, {}, {"title Demo", "loading", "background"}, true},
      {kOn, kOn, {}, kOther, {"title Demo", "loading", "install"}, true},
      {{}, kOn, "1", {}, {"title Demo", "install"}, false},
      {kOther, {}, {}, {}, {"title Demo"}, true},
  };
  for (const Row& r : rows) {
    Machine run;
    test::PackageBuilder b;
    Base(b);
    if (r.loading) b.Setting(setting::kShowLoading.name, *r.loading);
    if (r.background) b.Setting(setting::kShowBackground.name, *r.background);
    if (r.patch) b.Setting("Patch", *r.patch);
    if (r.showWizard) b.Setting(showWizard, *r.showWizard);
    b.Setting(setting::kMusic.name, "C:\\Setup\\Setup.exe");  // exists: set for the wizard only
    run.Write(b);
    {
      TInstall driver(run.p, run.windows);
      driver.Execute();
      EXPECT_EQ(driver.Compile().InfoList()[1]->Value == kStaged, r.staged);
    }
    EXPECT_EQ(run.windows.calls, r.calls);
    const bool wizardSide = r.calls.back() == "background";
    EXPECT_EQ(run.windows.seen.MusicFile.empty(), !wizardSide);
    EXPECT_FALSE(run.p.FileExists(kStaged));
  }
}

TEST(DriverTest, MissingMusicFileLeavesMusicEmpty) {
  Machine run;
  test::PackageBuilder b;
  Base(b);
  b.Setting(setting::kShowBackground.name, kOther);
  b.Setting(setting::kMusic.name, "C:\\Setup\\none.mid");
  run.Write(b);
  TInstall driver(run.p, run.windows);
  driver.Execute();
  EXPECT_EQ(run.windows.seen.MusicFile, "");
}

TEST(DriverTest, FailedStagingEscapesAndStillDeletesWhatWasStaged) {
  Machine run;
  test::PackageBuilder b;
  Base(b);
  b.File("C:\\build\\pics\\second.png", "", std::string(4000, 'x'), kind::PageFile);
  b.Setting(setting::kShowLoading.name, kOther);
  std::string bytes = b.Build();
  const TCompileFileData& second = *b.Model().FileList()[1];
  bytes[static_cast<size_t>(second.DataStart) + 8] ^= 0x5A;  // inside its zlib stream
  {
    auto out = run.p.CreateFile(run.p.ExecutablePath());
    out->Write(bytes.data(), bytes.size());
    out->Close();
  }
  {
    TInstall driver(run.p, run.windows);
    EXPECT_THROW(driver.Execute(), Error);
    EXPECT_TRUE(run.p.FileExists(kStaged));
  }
  EXPECT_FALSE(run.p.FileExists(kStaged));
}

TEST(DriverTest, BadPackageEndsExecuteWithError) {
  Machine run;
  // The trailer points the settings block at bytes that are no chunk.
  std::string junk = "MZ" + std::string(100, 'A') + std::string(16, '\0');
  junk[junk.size() - 8] = 2;
  auto out = run.p.CreateFile(run.p.ExecutablePath());
  out->Write(junk.data(), junk.size());
  out->Close();
  TInstall driver(run.p, run.windows);
  EXPECT_THROW(driver.Execute(), Error);
  EXPECT_TRUE(run.windows.calls.empty());
}

}  // namespace
}  // namespace sk
