// File installation and the uninstall records it leaves, on the machine of this build's layer.
#include <gtest/gtest.h>

#include "engine/Files.h"
#include "engine/Texts.h"
#include "package/Integrity.h"
#include "platform/SystemHelpers.h"
#include "tests/engine/InstallTestSupport.h"

namespace sk::test {
namespace {

// 2020-03-15 13:45:59 local time as a day count.
constexpr double kTime = 43905 + (13 * 3600 + 45 * 60 + 59) / 86400.0;

struct FileCase {
  std::string name;
  uint8_t noOverwrite = 0, keep = 0;
  std::string targetOs;       // "same": the machine's own OS code
  std::string existing;       // content of a target present before the install ("": none)
  bool readOnly = false;      // the present target is read-only
  std::string expectContent;  // content after the install ("": no file)
  int expectFlag = -1;        // RemoveFlag of its record, -1: no record
};

TEST(InstallFiles, ItemsRecordsAndReferences) {
  const FileCase cases[] = {
      {"plain.txt", 0, 0, "", "", false, "new:plain.txt", 1},
      {"keep.txt", 0, 1, "", "", false, "new:keep.txt", 0},
      {"other-os.txt", 0, 0, "0.9", "", false, "", -1},
      {"same-os.txt", 0, 0, "same", "", false, "new:same-os.txt", 1},
      {"readonly.txt", 0, 0, "", "old", true, "new:readonly.txt", 1},
      {"noover.txt", 1, 0, "", "old", false, "old", -1},
      {"noover-new.txt", 1, 0, "", "", false, "new:noover-new.txt", 1},
  };
  PackageBuilder b;
  b.Setting(kEnableUnInsName, text::kEnabled);
  b.Serial("setupkit-test-" + UniqueName());
  b.Folder(kPF, "sub");  // a non-file item first, so indices and Max count it
  for (const FileCase& c : cases) {
    auto& f = b.File("Z:\\build\\" + c.name, kPF, "new:" + c.name);
    f.NoOverwrite = c.noOverwrite;
    f.KeepOnUninstall = c.keep;
    f.FileTime = kTime;
  }
  b.File("Z:\\build\\raw.txt", "D:\\raw", "x");  // no known prefix: rejected
  b.File("Z:\\build\\Uninst.exe", kPF, "UNINSTALLER", kind::Uninstaller);
  auto& link = b.Shortcut("\xD7\xC0\xC3\xE6", "P", "z:\\BUILD\\plain.txt");  // 桌面
  link.IconFile = "Z:\\build\\plain.txt";
  b.Setting("\xD3\xA6\xD3\xC3\xB3\xCC\xD0\xF2\xCE\xC4\xBC\xFE", "Z:\\build\\keep.txt", 12);
  b.Setting(setting::kReadmeFile.name, "z:\\Build\\plain.txt", setting::kFinish);

  InstallRun run(b, MakeTestMachine());
  const std::string os = GetOsVersionCode(run.platform());
  for (size_t i = 0; i < std::size(cases); ++i)
    run.model().Package().FileList()[i + 1]->TargetOs =
        cases[i].targetOs == "same" ? os : cases[i].targetOs;
  run.model().Choices().Options.CreateStartMenu = 0;
  run.model().Choices().Options.CreateDesktop = 1;
  const std::string dir = run.installDir() + "\\";
  ASSERT_TRUE(run.platform().ForceDirectories(run.installDir()));
  for (const FileCase& c : cases) {
    if (c.existing.empty()) continue;
    run.Write(dir + c.name, c.existing);
    if (c.readOnly) run.platform().SetFileAttributes(dir + c.name, attr::ReadOnly);
  }
  const auto before = run.platform().GetFileWriteTime(dir + "noover.txt");

  run.Install();

  const int64_t max = static_cast<int64_t>(std::size(cases)) + 3;
  auto log = run.Log(dir + "Uninst.log");
  std::vector<Event> expectedEvents;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const FileCase& c = cases[i];
    SCOPED_TRACE(c.name);
    const std::string path = dir + c.name;
    if (c.expectContent.empty()) {
      EXPECT_FALSE(run.platform().FileExists(path));
      continue;
    }
    expectedEvents.push_back({path, engine_text::kInstallingFile, int64_t(i) + 2, max});
    EXPECT_EQ(run.Read(path), c.expectContent);
    // The package stays as loaded: the run places copies of its records.
    EXPECT_EQ(run.model().Package().FileList()[i + 1]->SourcePath, "Z:\\build\\" + c.name);
    auto rec = std::find_if(log->Records().begin(), log->Records().end(),
                            [&](const TUnInsData& r) { return r.Path == path; });
    if (c.expectFlag < 0) {
      EXPECT_EQ(rec, log->Records().end());
      continue;
    }
    ASSERT_NE(rec, log->Records().end());
    EXPECT_EQ(rec->RemoveFlag, c.expectFlag);
    const auto written = run.platform().GetFileWriteTime(path);
    const auto want = run.platform().LocalFileTimeToUtc(*DateTimeToLocalFileTime(kTime));
    EXPECT_EQ(written, want);  // 13:45:58, the seconds truncated to an even number
  }
  EXPECT_EQ(run.platform().GetFileWriteTime(dir + "noover.txt"), before);
  EXPECT_FALSE(run.platform().FileExists("D:\\raw\\raw.txt"));

  // Per-file progress for every placed item; status texts in between are not per-file.
  std::vector<Event> fileEvents;
  for (const Event& e : run.events())
    if (e.pos != -1) fileEvents.push_back(e);
  EXPECT_EQ(fileEvents, expectedEvents);

  // The shortcut points at the installed file; the package's record keeps its source text.
  EXPECT_EQ(run.model().Package().ShotCutList()[0]->Target, "z:\\BUILD\\plain.txt");
  auto linkRecord = std::find_if(log->Records().begin(), log->Records().end(), [](const auto& r) {
    return r.Path.size() > 6 && r.Path.substr(r.Path.size() - 6) == "\\P.lnk";
  });
  ASSERT_NE(linkRecord, log->Records().end());
  const std::optional<ShellLinkInfo> shortcut = run.platform().ReadShellLink(linkRecord->Path);
  ASSERT_TRUE(shortcut);
  EXPECT_TRUE(SameTextAscii(shortcut->target, dir + "plain.txt")) << shortcut->target;
  EXPECT_TRUE(SameTextAscii(shortcut->iconPath, dir + "plain.txt")) << shortcut->iconPath;
  EXPECT_EQ(run.model().Choices().Options.AppFile, dir + "keep.txt");
  EXPECT_EQ(run.model().Choices().Options.ReadmeFile,
            dir + "plain.txt");  // source paths ignore case

  // The log: header, the created folder first (the install folder existed), then the files;
  // the uninstaller itself is not recorded.
  EXPECT_EQ(log->UninstallKey(), run.model().Package().Serial);
  ASSERT_GE(log->Records().size(), 2u);
  EXPECT_EQ(log->Records()[0], (TUnInsData{"", dir + "sub", "", 1, unins_kind::Folder}));
  EXPECT_EQ(log->Records()[1], (TUnInsData{"", dir + "plain.txt", "", 1, unins_kind::File}));
  EXPECT_EQ(run.Read(dir + "Uninst.exe"), "UNINSTALLER");
  for (const TUnInsData& r : log->Records()) EXPECT_NE(r.Path, dir + "Uninst.exe");
}

TEST(InstallFiles, DatesOutsideTheEncodingKeepTheFileTime) {
  PackageBuilder b;
  b.File("Z:\\a.txt", kPF, "a").FileTime = 1000.0;  // 1902
  InstallRun run(b, MakeTestMachine());
  run.Install();
  const std::string path = run.installDir() + "\\a.txt";
  ASSERT_TRUE(run.platform().FileExists(path));
  const auto t = run.platform().GetFileWriteTime(path);
  ASSERT_TRUE(t);
  EXPECT_GT(*t, *DateTimeToLocalFileTime(40000));  // a recent time, not 1902
}

// A fault at the third file ends the install and takes back what it made. Data that does not
// inflate, or inflates to another length than its record says, is damage of the package: the
// install inflates each file once (the pass before it leaves file data out), so it is found here
// and told with the damaged-file message and the offset of the chunk.
TEST(InstallFiles, FaultEndsTheInstallWithoutLog) {
  enum Fault { TargetIsFolder, BrokenData, LongerThanRecord, ShorterThanRecord };
  for (Fault fault : {TargetIsFolder, BrokenData, LongerThanRecord, ShorterThanRecord}) {
    SCOPED_TRACE(fault);
    PackageBuilder b;
    b.Setting(kEnableUnInsName, text::kEnabled);
    b.File("Z:\\first.txt", kPF, "first");
    b.File("Z:\\bad.bin", kPF, std::string(100000, 'q'));
    b.File("Z:\\last.txt", kPF, "last");
    b.File("Z:\\Uninst.exe", kPF, "U", kind::Uninstaller);
    InstallRun run(b, MakeTestMachine());
    const std::string dir = run.installDir() + "\\";
    TCompileFileData& bad = *run.model().Package().FileList()[1];
    const int64_t start = bad.DataStart;
    switch (fault) {
      case TargetIsFolder:
        ASSERT_TRUE(run.platform().ForceDirectories(dir + "bad.bin"));
        break;
      case BrokenData:
        bad.DataStart += 5;  // lands inside the zlib stream
        break;
      case LongerThanRecord:
        bad.UncompressedSize -= 1;
        break;
      case ShorterThanRecord:
        bad.UncompressedSize += 1;
        break;
    }
    try {
      run.Install();
      ADD_FAILURE() << "the install did not fail";
    } catch (const DamagedPackage& e) {
      EXPECT_NE(fault, TargetIsFolder) << e.what();
      const int64_t at = fault == BrokenData ? start + 5 : start;
      EXPECT_EQ(e.Offset(), at);
      EXPECT_EQ(std::string(e.what()).rfind(DamagedSetupMessage(at), 0), 0u) << e.what();
    } catch (const Error& e) {
      EXPECT_EQ(fault, TargetIsFolder) << e.what();
      EXPECT_NE(std::string(e.what()).find(dir + "bad.bin"), std::string::npos) << e.what();
    }
    // The run is undone: the file written before the fault is gone again.
    EXPECT_FALSE(run.platform().FileExists(dir + "first.txt"));
    EXPECT_FALSE(run.platform().FileExists(dir + "last.txt"));
    EXPECT_FALSE(run.platform().FileExists(dir + "bad.bin"));  // no partial file
    EXPECT_FALSE(run.platform().FileExists(dir + "Uninst.log"));
    EXPECT_FALSE(run.platform().FileExists(dir + "Uninst.exe"));
  }
}

}  // namespace
}  // namespace sk::test
