// Target files held by another program during an install: the wizard's Retry / Skip / Cancel
// and the unattended run's retries, then the file put beside its target and replaced at the next
// restart, taken back again when a later step fails.
#include <gtest/gtest.h>

#include "engine/Files.h"
#include "engine/FilesInUse.h"
#include "engine/Journal.h"
#include "engine/UninstallTexts.h"
#include "platform/SystemHelpers.h"
#include "tests/engine/UninstallSupport.h"

namespace sk::test {
namespace {

constexpr int64_t kOldTime = 130000000000000000;  // 2012-12-15
constexpr double kNewDate = 45000.5;              // 2023-03-15 12:00 local (UTC on the sandbox)
using Pending = SandboxPlatform::PendingRename;

// A fresh machine where the install folder already holds the user's own app.exe (read-only,
// dated), and a package that puts a new app.exe and a readme there.
struct HeldMachine {
  HeldMachine() {
    PackageBuilder b;
    Base(b);
    b.File("Z:\\app.exe", kPF, "program 2.0").FileTime = kNewDate;
    b.File("Z:\\readme.txt", kPF, "readme 2.0");
    run = std::make_unique<InstallRun>(b, Sandbox());
    Platform& p = run->platform();
    app = run->installDir() + "\\app.exe";
    p.ForceDirectories(run->installDir());
    run->Write(app, "program 1.0");
    p.SetFileWriteTime(app, kOldTime);
    p.SetFileAttributes(app, attr::ReadOnly);
  }
  SandboxPlatform& sandbox() { return *run->machine().sandbox(); }
  // Installs with `inUse`; the error's text, "" when the run got through.
  std::string Install(FilesInUse& inUse) {
    try {
      InstallPackage(run->model(), nullptr, setup(), &inUse);
    } catch (const Error& e) {
      return e.what();
    }
    return {};
  }
  std::string setup() { return run->root() + "Setup.exe"; }
  bool Recorded(const std::string& path) {
    const auto log = run->Log(UninstallLogPath(run->installDir() + "\\Uninst.exe"));
    for (const TUnInsData& r : log->Records())
      if (r.Kind == unins_kind::File && SameTextAscii(r.Path, path)) return true;
    return false;
  }
  std::unique_ptr<InstallRun> run;
  std::string app;
};

TEST(FilesInUse, WizardAnswers) {
  struct Case {
    const char* what;
    std::optional<int> refusals;       // the holder lets go after that many
    std::vector<InUseAnswer> answers;  // given in turn
    const char* content;               // app.exe afterwards
    bool installed;                    // the run got through
    bool recorded;                     // app.exe in the uninstall log
  };
  const Case cases[] = {
      {"retry until the program lets go",
       2,
       {InUseAnswer::Retry, InUseAnswer::Retry},
       "program 2.0",
       true,
       true},
      {"skip keeps the file as it was",
       std::nullopt,
       {InUseAnswer::Skip},
       "program 1.0",
       true,
       false},
      {"retry, then skip",
       std::nullopt,
       {InUseAnswer::Retry, InUseAnswer::Skip},
       "program 1.0",
       true,
       false},
      {"cancel undoes the run", std::nullopt, {InUseAnswer::Cancel}, "program 1.0", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HeldMachine m;
    Platform& p = m.run->platform();
    const Snapshot before = Take(m.run->machine());
    m.sandbox().HoldByOtherProgram(m.app, c.refusals);
    std::vector<std::string> asked;
    FilesInUse inUse;
    inUse.ask = [&](const std::string& target) {
      asked.push_back(target);
      return asked.size() <= c.answers.size() ? c.answers[asked.size() - 1] : InUseAnswer::Cancel;
    };
    const std::string message = m.Install(inUse);

    EXPECT_EQ(asked, std::vector<std::string>(c.answers.size(), m.app));
    EXPECT_EQ(message.empty(), c.installed) << message;
    m.sandbox().ReleaseByOtherProgram(m.app);
    EXPECT_EQ(m.run->Read(m.app), c.content);
    EXPECT_TRUE(m.sandbox().PendingRenames().empty());
    EXPECT_EQ(m.sandbox().PausedMs(), 0u);  // the user decides when to try again
    if (!c.installed) {
      EXPECT_NE(message.find(uninstall_text::kUndone), std::string::npos) << message;
      const Snapshot after = Take(m.run->machine());
      EXPECT_TRUE(before == after) << Diff(before, after);
      continue;
    }
    EXPECT_EQ(m.Recorded(m.app), c.recorded);
    EXPECT_TRUE(m.Recorded(m.run->installDir() + "\\readme.txt"));
    if (!c.recorded) {
      // Skipped: bytes, date and attributes as the user had them.
      EXPECT_EQ(inUse.skipped, std::vector<std::string>{m.app});
      EXPECT_EQ(p.GetFileWriteTime(m.app), kOldTime);
      EXPECT_EQ(p.GetFileAttributes(m.app), attr::ReadOnly);
    }
  }
}

TEST(FilesInUse, UnattendedRunRetriesThenReplacesAtTheRestart) {
  struct Case {
    const char* what;
    std::optional<int> refusals;
    uint64_t paused;  // ms waited in all
    bool deferred;
  };
  const Case cases[] = {
      {"the program lets go during the retries", 3, 3000, false},
      {"the program keeps the file", std::nullopt, 5000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HeldMachine m;
    Platform& p = m.run->platform();
    m.sandbox().HoldByOtherProgram(m.app, c.refusals);
    FilesInUse inUse;
    ASSERT_EQ(m.Install(inUse), "");
    EXPECT_EQ(m.sandbox().PausedMs(), c.paused);
    EXPECT_EQ(inUse.RestartNeeded(), c.deferred);
    EXPECT_TRUE(m.Recorded(m.app));
    m.sandbox().ReleaseByOtherProgram(m.app);
    if (!c.deferred) {
      EXPECT_EQ(m.run->Read(m.app), "program 2.0");
      EXPECT_TRUE(m.sandbox().PendingRenames().empty());
      continue;
    }
    const std::string beside = m.app + ".~sk1";
    EXPECT_EQ(inUse.deferred, (std::vector<DeferredFile>{{beside, m.app}}));
    EXPECT_EQ(m.sandbox().PendingRenames(), (std::vector<Pending>{{beside, m.app}}));
    EXPECT_EQ(m.run->Read(m.app), "program 1.0");
    EXPECT_EQ(m.run->Read(beside), "program 2.0");
    // The date the file has once the restart moved it in.
    const std::optional<int64_t> local = DateTimeToLocalFileTime(kNewDate);
    ASSERT_TRUE(local);
    EXPECT_EQ(p.GetFileWriteTime(beside), p.LocalFileTimeToUtc(*local));
  }
}

// A step after the deferred file fails: the file beside the target and its pending replacement
// go with the rest of the run.
TEST(FilesInUse, LaterFailureTakesTheDeferredReplacementBack) {
  HeldMachine m;
  Platform& p = m.run->platform();
  // The uninstaller cannot be written: the run fails after the files.
  ASSERT_TRUE(p.ForceDirectories(m.run->installDir() + "\\Uninst.exe"));
  const Snapshot before = Take(m.run->machine());
  m.sandbox().HoldByOtherProgram(m.app);
  FilesInUse inUse;
  const std::string message = m.Install(inUse);
  EXPECT_NE(message.find(uninstall_text::kUndone), std::string::npos) << message;
  EXPECT_EQ(inUse.deferred.size(), 1u);
  EXPECT_TRUE(m.sandbox().PendingRenames().empty());
  m.sandbox().ReleaseByOtherProgram(m.app);
  const Snapshot after = Take(m.run->machine());
  EXPECT_TRUE(before == after) << Diff(before, after);
}

// Without a FilesInUse (callers that do not handle held files) the error ends the run, named
// as a file in use, and the run is undone.
TEST(FilesInUse, WithoutHandlingTheHeldFileEndsTheRun) {
  HeldMachine m;
  m.sandbox().HoldByOtherProgram(m.app);
  std::string message;
  try {
    InstallPackage(m.run->model(), nullptr, m.setup());
  } catch (const Error& e) {
    message = e.what();
  }
  EXPECT_NE(message.find(m.app), std::string::npos) << message;
  EXPECT_NE(message.find(uninstall_text::kUndone), std::string::npos) << message;
}

// A run killed after scheduling the replacement: the next run's recovery takes it off the list.
// A journal may only name a file beside its own target.
TEST(FilesInUse, JournalTakesTheDeferredReplacementBack) {
  const std::string folder = "C:\\Users\\user\\AppData\\Local\\Temp\\sktx-P";
  auto machine = Sandbox();
  SandboxPlatform& sb = *machine->sandbox();
  Platform& p = machine->platform();
  p.ForceDirectories("C:\\App");
  p.ForceDirectories(folder);
  p.CreateFile("C:\\App\\a.dll.~sk1")->Close();
  ASSERT_TRUE(p.ReplaceFileAtRestart("C:\\App\\a.dll.~sk1", "C:\\App\\a.dll"));
  p.ForceDirectories("C:\\Other");
  p.CreateFile("C:\\Other\\x.new")->Close();
  ASSERT_TRUE(p.ReplaceFileAtRestart("C:\\Other\\x.new", "C:\\Other\\x"));
  const UndoStep created{.kind = UndoStep::Kind::CreatedFile, .path = "C:\\App\\a.dll.~sk1"};
  const UndoStep deferred{.kind = UndoStep::Kind::DelayedReplace,
                          .path = "C:\\App\\a.dll.~sk1",
                          .valueName = "C:\\App\\a.dll"};
  EXPECT_EQ(DecodeStep(EncodeStep(deferred), "entry"), deferred);
  for (const auto& [path, target] : std::vector<std::pair<std::string, std::string>>{
           {"C:\\Other\\x.new", "C:\\App\\a.dll"},            // another program's file
           {"C:\\App\\a.dll.~sk1\\..\\b", "C:\\App\\a.dll"},  // climbs out
           {"C:\\App\\a.dll.~sk1", "App\\a.dll"}}) {          // not absolute
    UndoStep bad = deferred;
    bad.path = path;
    bad.valueName = target;
    EXPECT_THROW(DecodeStep(EncodeStep(bad), "entry"), Error) << path;
  }
  for (const auto& [name, step] : std::vector<std::pair<std::string, UndoStep>>{
           {"j00000000", created}, {"j00000001", deferred}}) {
    const std::string bytes = EncodeStep(step);
    auto entry = p.CreateFile(folder + "\\" + name);
    entry->Write(bytes.data(), bytes.size());
    entry->Close();
  }
  const RecoveryReport report = RecoverDeadRun(p, folder);
  EXPECT_TRUE(report.found);
  EXPECT_TRUE(report.failed.empty());
  EXPECT_FALSE(p.FileExists("C:\\App\\a.dll.~sk1"));
  EXPECT_EQ(sb.PendingRenames(), (std::vector<Pending>{{"C:\\Other\\x.new", "C:\\Other\\x"}}));
}

}  // namespace
}  // namespace sk::test
