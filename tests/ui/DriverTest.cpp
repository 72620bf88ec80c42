// The startup driver on a sandbox machine: the package is written to the machine's
// executable path, the windows are recorded instead of shown.
#include <gtest/gtest.h>

#include "package/Integrity.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"
#include "ui/SetupDriver.h"

namespace sk {
namespace {

const std::string kOn = text::kEnabled;
const std::string kOther = "\xCA\xC7";  // "是"
const std::string kPicture = "C:\\build\\pics\\logo.png";
const std::string kTemp = "C:\\Users\\user\\AppData\\Local\\Temp\\";

// Where staging put the page picture: in the run's own folder below the temporary folder.
std::string StagedPicture(TCompile& m) {
  return m.Run().StagingFolder.empty() ? "" : m.Run().StagingFolder + "Info\\logo.png";
}

class RecordingWindows : public SetupWindows {
 public:
  explicit RecordingWindows(Platform& p) : p_(p) {}
  std::vector<std::string> calls;
  SetupContext seen;
  bool stagedFileSeen = false;
  bool failStagingOnceStaged = false;

  void ShowPreInstallMessage(const std::string& text, const std::string& caption) override {
    calls.push_back("message " + text + " / " + caption);
  }
  void RunLoadingWindow(TCompile& m, SetupContext& c) override {
    calls.push_back("loading");
    if (!failStagingOnceStaged) return StageFromExecutable(m);
    StageFromExecutable(m, [this, &m](int32_t, int32_t) {
      if (!StagedPicture(m).empty() && p_.FileExists(StagedPicture(m)))
        throw Error("staging failed");
    });
  }
  void RunInstallWindow(TCompile& m, SetupContext& c) override { Top("install", m, c); }
  void RunBackgroundWindow(TCompile& m, SetupContext& c) override { Top("background", m, c); }
  void RunWizard(TCompile& m, SetupContext& c) override { Top("wizard", m, c); }

 private:
  void Top(const std::string& name, TCompile& m, SetupContext& c) {
    calls.push_back(name);
    seen = c;
    stagedFileSeen = !StagedPicture(m).empty() && p_.FileExists(StagedPicture(m));
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
  std::string staged;
  {
    SetupDriver driver(run.p, run.windows);
    EXPECT_EQ(driver.Context().SetupDir, "C:\\Setup\\");
    driver.Execute();
    staged = StagedPicture(driver.Compile());
    EXPECT_EQ(driver.Compile().Package().InfoList()[1]->Value, staged);
  }
  const std::vector<std::string> expected = {"message Hello / Demo", "wizard"};
  EXPECT_EQ(run.windows.calls, expected);
  EXPECT_TRUE(run.windows.stagedFileSeen);
  EXPECT_EQ(run.windows.seen.MessageCaption,
            "\xA1\xB0"
            "Demo\xA1\xB1\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC");
  EXPECT_EQ(run.windows.seen.MusicFile, "C:\\Setup\\music.mid");
  EXPECT_FALSE(run.p.FileExists(staged));
  EXPECT_TRUE(run.p.ListDirectory(kTemp).empty());
}

TEST(DriverTest, WindowChoicesAndStagingModes) {
  struct Row {
    std::optional<std::string> loading, background, patch, showWizard;
    std::vector<std::string> calls;
    bool staged;
  };
  const std::string& showWizard = setting::kShowWizard.name;
  const Row rows[] = {
      {{}, {}, {}, {}, {}, false},
      {kOn, kOn, {}, {}, {"loading", "background"}, true},
      {kOn, kOn, {}, kOther, {"loading", "install"}, true},
      {{}, kOn, "1", {}, {"install"}, false},
      {kOther, {}, {}, {}, {}, true},
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
      SetupDriver driver(run.p, run.windows);
      driver.Execute();
      EXPECT_EQ(driver.Compile().Package().InfoList()[1]->Value != kPicture, r.staged);
      if (r.staged)
        EXPECT_EQ(driver.Compile().Package().InfoList()[1]->Value, StagedPicture(driver.Compile()));
    }
    EXPECT_EQ(run.windows.calls, r.calls);
    const bool wizardSide = !r.calls.empty() && r.calls.back() == "background";
    EXPECT_EQ(run.windows.seen.MusicFile.empty(), !wizardSide);
    EXPECT_TRUE(run.p.ListDirectory(kTemp).empty());  // the run's folder went with its files
  }
}

TEST(DriverTest, MissingMusicFileLeavesMusicEmpty) {
  Machine run;
  test::PackageBuilder b;
  Base(b);
  b.Setting(setting::kShowBackground.name, kOther);
  b.Setting(setting::kMusic.name, "C:\\Setup\\none.mid");
  run.Write(b);
  SetupDriver driver(run.p, run.windows);
  driver.Execute();
  EXPECT_EQ(run.windows.seen.MusicFile, "");
}

TEST(DriverTest, FailedStagingEscapesAndStillDeletesWhatWasStaged) {
  Machine run;
  test::PackageBuilder b;
  Base(b);
  b.File("C:\\build\\pics\\second.png", "", std::string(4000, 'x'), kind::PageFile);
  b.Setting(setting::kShowLoading.name, kOn);
  run.Write(b);
  // The loading window's progress fails once the first file is staged: staging ends with an
  // error part way through.
  run.windows.failStagingOnceStaged = true;
  std::string staged;
  {
    SetupDriver driver(run.p, run.windows);
    EXPECT_THROW(driver.Execute(), Error);
    staged = StagedPicture(driver.Compile());
    EXPECT_TRUE(run.p.FileExists(staged));
  }
  EXPECT_FALSE(run.p.FileExists(staged));
  EXPECT_TRUE(run.p.ListDirectory(kTemp).empty());
}

// A damaged package is refused with the damaged-file message before anything is staged or
// installed, whatever the staging mode; a file whose load already fails gets the same message.
TEST(DriverTest, DamagedPackageIsRefusedBeforeAnyChange) {
  struct Row {
    const char* what;
    std::optional<std::string> loading;
    std::vector<std::string> calls;
  };
  const Row rows[] = {
      {"no staging", {}, {}},
      {"direct staging", kOther, {}},
      {"loading window", kOn, {"loading"}},
  };
  for (const Row& r : rows) {
    for (const bool hostileName : {false, true}) {
      SCOPED_TRACE(hostileName ? "a registry file named to leave the staging folder"
                               : "a damaged zlib stream");
      Machine run;
      test::PackageBuilder b;
      Base(b);
      // A page picture: staged, so the pass inflates it (files to install are checked as the
      // install inflates them).
      b.File("C:\\build\\second.png", "", std::string(4000, 'x'), kind::PageFile);
      if (hostileName) b.File("x/../../../Windows/victim.txt", "", "REGEDIT4\r\n", kind::RegFile);
      if (r.loading) b.Setting(setting::kShowLoading.name, *r.loading);
      std::string bytes = b.Build();
      const TCompileFileData& second = *b.Model().Package().FileList()[1];
      const int64_t settings = b.Model().Package().FileList().back()->DataEnd;
      if (!hostileName) bytes[static_cast<size_t>(second.DataStart) + 8] ^= 0x5A;  // zlib data
      {
        auto out = run.p.CreateFile(run.p.ExecutablePath());
        out->Write(bytes.data(), bytes.size());
        out->Close();
      }
      SetupDriver driver(run.p, run.windows);
      try {
        driver.Execute();
        ADD_FAILURE() << r.what << ": no error";
      } catch (const Error& e) {
        EXPECT_EQ(e.what(), DamagedSetupMessage(hostileName ? settings : second.DataStart))
            << r.what;
      }
      EXPECT_EQ(run.windows.calls, r.calls) << r.what;
      EXPECT_TRUE(run.p.ListDirectory(kTemp).empty()) << r.what;
      EXPECT_FALSE(run.p.FileExists("C:\\Windows\\victim.txt")) << r.what;
    }
  }

  const std::string good = [] {
    test::PackageBuilder b;
    Base(b);
    return b.Build();
  }();
  const int64_t size = static_cast<int64_t>(good.size());
  struct Bad {
    const char* what;
    std::string bytes;
    int64_t offset;
  };
  std::string noSettings = good;
  std::fill(noSettings.end() - 8, noSettings.end(), '\0');
  const Bad bad[] = {
      {"settings offset 0", noSettings, size - 8},
      {"cut short", good.substr(0, good.size() - 3), -1},
  };
  for (const Bad& c : bad) {
    Machine run;
    auto out = run.p.CreateFile(run.p.ExecutablePath());
    out->Write(c.bytes.data(), c.bytes.size());
    out->Close();
    SetupDriver driver(run.p, run.windows);
    try {
      driver.Execute();
      ADD_FAILURE() << c.what << ": no error";
    } catch (const Error& e) {
      const std::string message = e.what();
      const std::string head = DamagedSetupMessage(0);
      EXPECT_EQ(message.substr(0, head.size() - 1), head.substr(0, head.size() - 1)) << c.what;
      if (c.offset >= 0) {
        EXPECT_EQ(message, DamagedSetupMessage(c.offset)) << c.what;
      }
    }
  }
}

// The pass runs once per run: a model whose package passed (or that its caller marks as checked,
// as `setupkit simulate` does after checking the same bytes) does not read the file again, while a
// fresh model still finds the damage.
TEST(DriverTest, IntegrityPassRunsOncePerModel) {
  Machine run;
  test::PackageBuilder b;
  Base(b);
  b.File("C:\\build\\data.png", "", std::string(4000, 'x'), kind::PageFile);
  std::string bytes = b.Build();
  auto write = [&run](const std::string& file) {
    auto out = run.p.CreateFile(run.p.ExecutablePath());
    out->Write(file.data(), file.size());
    out->Close();
  };
  write(bytes);
  TCompile checked(run.p);
  EXPECT_FALSE(checked.Run().PackageChecked);
  CheckSetupFile(checked);
  EXPECT_TRUE(checked.Run().PackageChecked);

  const int64_t start = b.Model().Package().FileList()[1]->DataStart;
  bytes[static_cast<size_t>(start) + 8] ^= 0x5A;  // inside its zlib stream
  write(bytes);
  EXPECT_NO_THROW(CheckSetupFile(checked));
  TCompile fresh(run.p);
  try {
    CheckSetupFile(fresh);
    ADD_FAILURE() << "damage not found";
  } catch (const Error& e) {
    EXPECT_EQ(e.what(), DamagedSetupMessage(start));
  }
  EXPECT_FALSE(fresh.Run().PackageChecked);
  TCompile marked(run.p);
  marked.Run().PackageChecked = true;
  EXPECT_NO_THROW(CheckSetupFile(marked));
}

TEST(DriverTest, BadPackageEndsExecuteWithError) {
  Machine run;
  // The trailer points the settings block at bytes that are no chunk.
  std::string junk = "MZ" + std::string(100, 'A') + std::string(16, '\0');
  junk[junk.size() - 8] = 2;
  auto out = run.p.CreateFile(run.p.ExecutablePath());
  out->Write(junk.data(), junk.size());
  out->Close();
  SetupDriver driver(run.p, run.windows);
  EXPECT_THROW(driver.Execute(), Error);
  EXPECT_TRUE(run.windows.calls.empty());
}

}  // namespace
}  // namespace sk
