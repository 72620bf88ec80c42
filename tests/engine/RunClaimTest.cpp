// The claim of a run on its product's journal folder: one live run of a product at a time, a
// folder that cannot be trusted or written refused with nothing changed, and journals left in
// the folder of earlier versions still taken back.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/RunClaim.h"
#include "engine/Transaction.h"
#include "tests/engine/UninstallSupport.h"

namespace sk::test {
namespace {

const std::string kId = "{Demo-1}";
const std::string kFolder = "C:\\ProgramData\\setupkit\\{Demo-1}";
const std::string kLegacy = "C:\\Users\\user\\AppData\\Local\\Temp\\sktx-{Demo-1}";

void Put(Platform& p, const std::string& path, const std::string& bytes) {
  p.ForceDirectories(ExtractFilePath(path));
  auto out = p.CreateFile(path);
  out->Write(bytes.data(), bytes.size());
  out->Close();
}

TEST(RunClaim, FolderIsTheMachinesAndNamedSafely) {
  auto m = Sandbox();
  Platform& p = m->platform();
  EXPECT_EQ(RunBackupFolder(p, kId), kFolder);
  EXPECT_EQ(RunBackupFolder(p, "a\\..\\b:c"), "C:\\ProgramData\\setupkit\\a____b_c");
  EXPECT_EQ(RunBackupFolder(p, ""), "C:\\ProgramData\\setupkit\\_");
  EXPECT_EQ(LegacyRunBackupFolder(p, kId), kLegacy);
}

TEST(RunClaim, OneLiveRunOfAProductAtATime) {
  auto m = Sandbox();
  Platform& p = m->platform();
  {
    std::unique_ptr<FileHold> first = ClaimProductRun(p, kId);
    EXPECT_TRUE(p.FileExists(kFolder + "\\lock"));
    const Snapshot held = Take(*m);
    const std::function<void()> others[] = {
        [&] { ClaimProductRun(p, kId); },
        [&] {
          // The uninstaller of the product while its setup runs.
          UninstallRecorder log(p);
          log.SetUninstallKey(kId);
          p.ForceDirectories("C:\\App");
          log.SaveToFile(UninstallLogPath("C:\\App\\Uninst.exe"));
          RecoverBeforeUninstall(p, "C:\\App\\Uninst.exe");
        },
    };
    Put(p, kFolder + "\\j00000000", "a live run's entry, never taken back by another");
    for (const auto& other : others) EXPECT_THROW(other(), RunInProgress);
    EXPECT_TRUE(p.FileExists(kFolder + "\\j00000000"));
    p.DeleteFile(kFolder + "\\j00000000");
    p.DeleteFile(UninstallLogPath("C:\\App\\Uninst.exe"));
    p.RemoveDirectory("C:\\App");
    EXPECT_TRUE(held == Take(*m)) << Diff(held, Take(*m));
    // Another product is not held up.
    EXPECT_NE(ClaimProductRun(p, "{Other}"), nullptr);
  }
  // Released: the lock and the empty folder go, the next run may claim.
  EXPECT_FALSE(p.DirectoryExists(kFolder));
  EXPECT_NE(ClaimProductRun(p, kId), nullptr);
}

TEST(RunClaim, LockOfADeadRunDoesNotHoldTheFolder) {
  auto m = Sandbox();
  Platform& p = m->platform();
  Put(p, kFolder + "\\lock", "");  // left by a process that ended: nobody holds it open
  Put(p, "C:\\Data\\made.txt", "made by the dead run");
  Put(p, kFolder + "\\j00000000",
      EncodeStep({.kind = UndoStep::Kind::CreatedFile, .path = "C:\\Data\\made.txt"}));
  std::unique_ptr<FileHold> claim = ClaimProductRun(p, kId);
  EXPECT_TRUE(DeadRunWaiting(p, kId));
  EXPECT_TRUE(RecoverProductRuns(p, kId).found);
  EXPECT_FALSE(p.FileExists("C:\\Data\\made.txt"));
  EXPECT_FALSE(DeadRunWaiting(p, kId));
  claim.reset();
  EXPECT_FALSE(p.DirectoryExists(kFolder));
}

TEST(RunClaim, UnusableFolderIsRefusedWithNothingChanged) {
  namespace fs = std::filesystem;
  const struct {
    const char* what;
    std::function<bool(TestMachine&)> plant;  // false: the host cannot make it
  } cases[] = {
      {"a file where the folder goes",
       [](TestMachine& m) {
         Put(m.platform(), kFolder, "x");
         return true;
       }},
      {"a file where the setupkit folder goes",
       [](TestMachine& m) {
         Put(m.platform(), "C:\\ProgramData\\setupkit", "x");
         return true;
       }},
      {"the folder a link to another",
       [](TestMachine& m) {
         m.platform().ForceDirectories("C:\\Elsewhere");
         m.platform().ForceDirectories("C:\\ProgramData\\setupkit");
         // Windows hosts (and Wine) may refuse links to an unprivileged test.
         std::error_code ec;
         fs::create_directory_symlink(
             *m.sandbox()->HostPath("C:\\Elsewhere"),
             *m.sandbox()->HostPath("C:\\ProgramData\\setupkit") / "{Demo-1}", ec);
         return !ec;
       }},
      {"a folder where the lock goes",
       [](TestMachine& m) { return m.platform().ForceDirectories(kFolder + "\\lock"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto m = Sandbox();
    if (!c.plant(*m)) continue;
    const Snapshot before = Take(*m);
    try {
      ClaimProductRun(m->platform(), kId);
      ADD_FAILURE() << "claimed";
    } catch (const RunInProgress& e) {
      ADD_FAILURE() << e.what();
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("ProgramData\\setupkit"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(before == Take(*m)) << Diff(before, Take(*m));
  }
}

// A run killed before this version left its journal in the user's temporary folder: it is taken
// back as before, with the same checks.
TEST(RunClaim, JournalInTheOldPlaceIsStillTakenBack) {
  auto m = Sandbox();
  Platform& p = m->platform();
  Put(p, "C:\\Data\\made.txt", "made by the dead run");
  Put(p, kLegacy + "\\j00000000",
      EncodeStep({.kind = UndoStep::Kind::CreatedFile, .path = "C:\\Data\\made.txt"}));
  std::unique_ptr<FileHold> claim = ClaimProductRun(p, kId);
  EXPECT_TRUE(DeadRunWaiting(p, kId));
  int said = 0;
  EXPECT_TRUE(RecoverProductRuns(p, kId, [&] { ++said; }).found);
  EXPECT_EQ(said, 1);
  EXPECT_FALSE(p.FileExists("C:\\Data\\made.txt"));
  EXPECT_FALSE(p.DirectoryExists(kLegacy));

  // Damaged there: reported, nothing changed.
  Put(p, kLegacy + "\\j00000000", "garbage");
  Put(p, kLegacy + "\\j00000001", "garbage");
  const Snapshot before = Take(*m);
  EXPECT_THROW(RecoverProductRuns(p, kId), Error);
  EXPECT_TRUE(before == Take(*m)) << Diff(before, Take(*m));
}

}  // namespace
}  // namespace sk::test
