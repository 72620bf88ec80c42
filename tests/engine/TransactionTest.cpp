// The install run as a transaction: each change taken back exactly (bytes, dates, attributes,
// registry types), registrations undone by their commands, launches only after the last change,
// and a failure at every single change of an upgrade leaving the machine as it was.
#include <gtest/gtest.h>

#include <functional>

#include "engine/Journal.h"
#include "engine/Register.h"
#include "engine/RunClaim.h"
#include "engine/Transaction.h"
#include "engine/UninstallTexts.h"
#include "platform/SystemHelpers.h"
#include "tests/engine/UninstallSupport.h"

namespace sk::test {
namespace {

constexpr int64_t kOldTime = 130000000000000000;  // 2012-12-15, a date no run writes
const std::string kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// One record of the journal file: the entry's length (UInt32, little-endian), then the entry.
std::string Record(const std::string& entry) {
  const uint32_t n = static_cast<uint32_t>(entry.size());
  return std::string{static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                     static_cast<char>(n >> 24)} +
         entry;
}

ShellLinkInfo Link(const std::string& target) {
  ShellLinkInfo link;
  link.target = target;
  return link;
}

TEST(Transaction, EveryKindOfChangeIsTakenBackExactly) {
  struct Case {
    const char* what;
    std::function<void(Platform&)> change;  // through the transaction
  };
  const Case cases[] = {
      {"a file in new folders", [](Platform& p) { WriteFile(p, "C:\\New\\Deep\\a.txt", "A"); }},
      {"a read-only, dated file overwritten",
       [](Platform& p) {
         p.SetFileAttributes("C:\\Old\\kept.txt", attr::Normal);
         WriteFile(p, "C:\\Old\\kept.txt", "NEW");
         p.SetFileWriteTime("C:\\Old\\kept.txt", kOldTime + 99);
       }},
      {"a file deleted", [](Platform& p) { p.DeleteFile("C:\\Old\\plain.txt"); }},
      {"a file re-dated",
       [](Platform& p) { p.SetFileWriteTime("C:\\Old\\plain.txt", kOldTime - 1000000000); }},
      {"a file copied where none was",
       [](Platform& p) { p.CopyFileIfAbsent("C:\\Old\\plain.txt", "C:\\Old\\copy.txt"); }},
      {"a shortcut over an older one",
       [](Platform& p) { p.CreateShellLink("C:\\Old\\app.lnk", Link("C:\\New\\app.exe")); }},
      {"values in new keys",
       [](Platform& p) {
         p.OpenKey(RegRoot::CurrentUser, "Software\\New\\Deep", true)->WriteDword("d", 7);
       }},
      {"a text value with another type replaced",
       [](Platform& p) {
         auto key = p.OpenKey(RegRoot::LocalMachine, kRunKey, true);
         key->WriteString("app.exe", "C:\\New\\app.exe");
         key->WriteString("app.exe", "written twice");
       }},
      {"a value deleted",
       [](Platform& p) {
         p.OpenKey(RegRoot::CurrentUser, "Software\\Old", false)->DeleteValue("bin");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto m = Sandbox();
    Platform& p = m->platform();
    WriteFile(p, "C:\\Old\\kept.txt", "OLD");
    WriteFile(p, "C:\\Old\\plain.txt", "PLAIN");
    p.CreateShellLink("C:\\Old\\app.lnk", Link("C:\\Old\\app.exe"));
    p.SetFileWriteTime("C:\\Old\\kept.txt", kOldTime);
    p.SetFileAttributes("C:\\Old\\kept.txt", attr::ReadOnly | attr::Hidden);
    p.OpenKey(RegRoot::LocalMachine, kRunKey, true)->WriteStored("app.exe", {2, "%OLD%\\app"});
    p.OpenKey(RegRoot::CurrentUser, "Software\\Old", true)->WriteBinary("bin", "\x01\x02");
    const Snapshot before = Take(*m);

    TransactionPlatform tx(p, "C:\\Users\\user\\AppData\\Local\\Temp\\sktx-test");
    c.change(tx);
    EXPECT_FALSE(Take(*m) == before);
    EXPECT_TRUE(tx.Undo().empty());
    const Snapshot after = Take(*m);
    EXPECT_TRUE(before == after) << Diff(before, after);
  }
}

// A caller's reading of a file's attributes spares the note its own lookup, for that file and
// the next note only: a hint that was never used cannot describe a later change.
TEST(Transaction, KnownAttributesServeOnlyTheNextNoteOfTheirFile) {
  auto m = Sandbox();
  Platform& p = m->platform();
  WriteFile(p, "C:\\Old\\a.txt", "A");
  WriteFile(p, "C:\\Old\\b.txt", "B");
  TransactionPlatform tx(p, "C:\\Users\\user\\AppData\\Local\\Temp\\sktx-test");
  tx.KnownAttributes("C:\\OLD\\A.TXT", attr::Archive | attr::Hidden);
  WriteFile(tx, "C:\\Old\\a.txt", "A2");  // the hint: same file, folded case
  tx.KnownAttributes("C:\\Old\\a.txt", attr::Invalid);
  WriteFile(tx, "C:\\Old\\b.txt", "B2");  // another file: looked up, the hint used up
  WriteFile(tx, "C:\\Old\\new.txt", "N");
  ASSERT_EQ(tx.Steps().size(), 3u);
  EXPECT_EQ(tx.Steps()[0].kind, UndoStep::Kind::ReplacedFile);
  EXPECT_EQ(tx.Steps()[0].attributes, attr::Archive | attr::Hidden);
  EXPECT_EQ(tx.Steps()[1].kind, UndoStep::Kind::ReplacedFile);
  EXPECT_EQ(tx.Steps()[2].kind, UndoStep::Kind::CreatedFile);
  tx.KnownAttributes("C:\\Old\\c.txt", attr::Normal);
  tx.Undo();
  auto in = p.OpenRead("C:\\Old\\b.txt");
  std::string b(4, '\0');
  b.resize(in->Read(b.data(), b.size()));
  EXPECT_EQ(b, "B");
  EXPECT_FALSE(p.FileExists("C:\\Old\\new.txt"));
}

TEST(Transaction, CommitKeepsTheChangesAndDropsTheBackups) {
  auto m = Sandbox();
  Platform& p = m->platform();
  WriteFile(p, "C:\\Old\\a.txt", "OLD");
  const std::string folder = "C:\\Users\\user\\AppData\\Local\\Temp\\sktx-test";
  TransactionPlatform tx(p, folder);
  WriteFile(tx, "C:\\Old\\a.txt", "NEW");
  ASSERT_EQ(tx.Steps().size(), 1u);
  EXPECT_EQ(tx.Steps()[0].kind, UndoStep::Kind::ReplacedFile);
  EXPECT_TRUE(p.FileExists(tx.Steps()[0].backup));
  tx.Commit();
  EXPECT_TRUE(tx.Steps().empty());
  EXPECT_FALSE(p.DirectoryExists(folder));
  auto in = p.OpenRead("C:\\Old\\a.txt");
  std::string data(8, '\0');
  data.resize(in->Read(data.data(), data.size()));
  EXPECT_EQ(data, "NEW");
}

// An upgrade package: new and replaced files (one of them read-only and dated), a program that
// registers, starts at logon and runs after the install, registry values new and replaced,
// a shortcut, the uninstaller and its entry.
void Upgrade(PackageBuilder& b, const std::string& version) {
  Base(b);
  b.Setting(setting::kVersion.name, version);
  b.File("Z:\\readme.txt", kPF, "readme " + version);
  b.File("Z:\\" + version + ".txt", kPF + "docs", "only in " + version);
  auto& app = b.File("Z:\\app.exe", kPF, "program " + version);
  app.RunAtStartup = 1;
  app.RegisterServer = 1;
  app.InstallService = 1;
  app.RunAfterInstall = 1;
  b.RegFolders().push_back(kMachine + "HKEY_CURRENT_USER\\Software\\Demo\\" + version);
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Demo", "Version", version);
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Shared", "setting", version);
  b.Shortcut(kDesktop, "Demo " + version, "Z:\\app.exe");
}

std::string InstallMessage(Platform& p, const std::string& setup, const std::string& dir) {
  TCompile model(p);
  model.LoadPackage(setup);
  model.Choices().Options.InstallDir = dir;
  model.Choices().Options.CreateDesktop = 1;
  try {
    InstallPackage(model, nullptr, setup);
  } catch (const Error& e) {
    return e.what();
  }
  return {};
}

// The machine with version 1 installed and the user's own Run value for the program, then the
// setup of version 2 placed beside the first.
struct UpgradeMachine {
  UpgradeMachine() {
    PackageBuilder v1;
    Upgrade(v1, "1.0");
    run = std::make_unique<InstallRun>(v1, Sandbox());
    Platform& p = run->platform();
    run->model().Choices().Options.CreateDesktop = 1;
    run->Install();
    auto key = p.OpenKey(RegRoot::LocalMachine, kRunKey, true);
    key->WriteStored("app.exe", {2, "%ProgramFiles%\\Mine\\app.exe /quiet"});
    p.SetFileAttributes(run->installDir() + "\\readme.txt", attr::ReadOnly);
    p.SetFileWriteTime(run->installDir() + "\\app.exe", kOldTime);
    PackageBuilder v2;
    Upgrade(v2, "2.0");
    setup2 = run->root() + "Setup2.exe";
    run->Write(setup2, v2.Build());
  }
  std::unique_ptr<InstallRun> run;
  std::string setup2;
};

// The upgrade with the machine killed after n changes; true when the kill stopped it.
bool KilledAt(uint64_t n, UpgradeMachine& m, std::string& message) {
  FaultHook& faults = m.run->machine().sandbox()->Faults();
  faults.Arm(n, FaultHook::Fault::Abort);
  bool aborted = false;
  try {
    message = InstallMessage(m.run->platform(), m.setup2, m.run->installDir());
  } catch (const SandboxAbort&) {
    aborted = true;
  }
  faults.Disarm();
  return aborted;
}

TEST(Transaction, FailedUpgradeRestoresTheRunValueAndTheReplacedFiles) {
  UpgradeMachine m;
  Platform& p = m.run->platform();
  const std::string dir = m.run->installDir();
  const Snapshot before = Take(m.run->machine());
  // The uninstaller cannot be written: the run fails after files, values and shortcuts.
  p.SetFileAttributes(dir + "\\Uninst.exe", attr::Normal);
  p.DeleteFile(dir + "\\Uninst.exe");
  ASSERT_TRUE(p.ForceDirectories(dir + "\\Uninst.exe"));
  const Snapshot blocked = Take(m.run->machine());

  const std::string message = InstallMessage(p, m.setup2, dir);
  ASSERT_NE(message.find(uninstall_text::kUndone), std::string::npos) << message;

  // The user's earlier Run value is back, type and bytes.
  const std::optional<StoredRegValue> run =
      p.OpenKey(RegRoot::LocalMachine, kRunKey, false)->ReadStored("app.exe");
  ASSERT_TRUE(run);
  EXPECT_EQ(*run, (StoredRegValue{2, "%ProgramFiles%\\Mine\\app.exe /quiet"}));
  // The replaced files are back with their bytes, dates and attributes.
  EXPECT_EQ(m.run->Read(dir + "\\app.exe"), "program 1.0");
  EXPECT_EQ(p.GetFileWriteTime(dir + "\\app.exe"), kOldTime);
  EXPECT_EQ(p.GetFileAttributes(dir + "\\readme.txt") & attr::ReadOnly, attr::ReadOnly);
  const Snapshot after = Take(m.run->machine());
  EXPECT_TRUE(blocked == after) << Diff(blocked, after);

  // Registrations were taken back by their own commands; nothing was started.
  const std::string actions = m.run->Actions();
  const std::string app = dir + "\\app.exe";
  EXPECT_NE(actions.find("regsvr32.exe /u /s \"" + app + "\""), std::string::npos) << actions;
  EXPECT_NE(actions.find(app + " -Uninstall"), std::string::npos) << actions;
  const size_t v2 = actions.rfind(app + " -Install");
  ASSERT_NE(v2, std::string::npos);
  EXPECT_EQ(actions.find("Open", v2), std::string::npos) << actions;
  (void)before;
}

// Stops the upgrade at every change in turn: after each failure the machine is byte for byte
// what it was (file bytes and dates, attributes, registry with types). The first count at which
// the run gets through ends the walk.
TEST(Transaction, FailureAtEveryChangeOfAnUpgradeLeavesTheMachineAsItWas) {
  int failed = 0, passedOver = 0;
  for (uint64_t n = 0;; ++n) {
    SCOPED_TRACE(n);
    UpgradeMachine m;
    const Snapshot before = Take(m.run->machine());
    FaultHook& faults = m.run->machine().sandbox()->Faults();
    faults.Arm(n, FaultHook::Fault::Fail);
    const std::string message = InstallMessage(m.run->platform(), m.setup2, m.run->installDir());
    faults.Disarm();
    if (!faults.Fired()) {
      EXPECT_EQ(message, "");
      break;
    }
    // A few changes are ones the install passes over when they fail (a shortcut, a key level
    // the system refuses): the run then ends as installed, as it always has.
    if (message.empty()) {
      ++passedOver;
      continue;
    }
    ++failed;
    ASSERT_NE(message.find("injected fault"), std::string::npos) << message;
    const Snapshot after = Take(m.run->machine());
    ASSERT_TRUE(before == after) << message << "\n" << Diff(before, after);
  }
  EXPECT_GT(failed, 20);
  std::printf("failure cut points: %d undone to the state before, %d passed over by the install\n",
              failed, passedOver);
}

// What the next start of a setup does first: claims the product's folder, takes the dead run
// back and (here) lets go of the folder again.
RecoveryReport RecoverAsTheNextRun(Platform& p, const std::string& serial) {
  const std::unique_ptr<FileHold> claim = ClaimProductRun(p, serial);
  return RecoverProductRuns(p, serial);
}

// Kills the upgrade at every change in turn (the sandbox then refuses every later change, the
// undo's included): the next run's recovery brings the machine back to the state before, byte
// for byte, and that run then installs completely.
TEST(Transaction, KillAtEveryChangeIsTakenBackByTheNextRun) {
  int killed = 0, afterTheLastChange = 0;
  for (uint64_t n = 0;; ++n) {
    SCOPED_TRACE(n);
    UpgradeMachine m;
    Platform& p = m.run->platform();
    const Snapshot before = Take(m.run->machine());
    std::string message;
    const bool aborted = KilledAt(n, m, message);
    if (!m.run->machine().sandbox()->Faults().Fired()) {
      EXPECT_EQ(message, "");
      break;
    }
    ASSERT_TRUE(aborted || message.empty()) << message;
    if (!aborted) {
      // Killed after the last change, while the run ended: before its end mark the next run
      // takes everything back, after it the next run only clears the folder.
      RecoverAsTheNextRun(p, m.run->model().Package().Serial);
      if (!(Take(m.run->machine()) == before))
        EXPECT_EQ(m.run->Read(m.run->installDir() + "\\readme.txt"), "readme 2.0");
      ASSERT_EQ(InstallMessage(p, m.setup2, m.run->installDir()), "");
      ++afterTheLastChange;
      continue;
    }
    ++killed;
    const RecoveryReport report = RecoverAsTheNextRun(p, m.run->model().Package().Serial);
    EXPECT_TRUE(report.failed.empty());
    const Snapshot recovered = Take(m.run->machine());
    ASSERT_TRUE(before == recovered) << Diff(before, recovered);
    ASSERT_EQ(InstallMessage(p, m.setup2, m.run->installDir()), "");
    ASSERT_EQ(m.run->Read(m.run->installDir() + "\\readme.txt"), "readme 2.0");
  }
  EXPECT_GT(killed, 20);
  std::printf(
      "kill cut points: %d taken back by the next run, then installed; %d after the "
      "last change\n",
      killed, afterTheLastChange);
}

// The uninstaller of the product also takes a killed run back before it reads its log.
TEST(Transaction, UninstallerTakesTheKilledRunBackFirst) {
  for (uint64_t n : {5u, 20u, 40u}) {
    SCOPED_TRACE(n);
    UpgradeMachine m;
    Platform& p = m.run->platform();
    const Snapshot before = Take(m.run->machine());
    std::string message;
    const bool aborted = KilledAt(n, m, message);
    EXPECT_TRUE(RecoverBeforeUninstall(p, m.run->installDir() + "\\Uninst.exe").found);
    if (aborted) {
      const Snapshot recovered = Take(m.run->machine());
      EXPECT_TRUE(before == recovered) << Diff(before, recovered);
    } else if (!(Take(m.run->machine()) == before)) {
      // Killed while the run ended: before its end mark everything is taken back (the state
      // before, above), after it the install stays complete.
      EXPECT_EQ(m.run->Read(m.run->installDir() + "\\readme.txt"), "readme 2.0");
    }
  }
}

TEST(Journal, StepsSurviveTheirEncoding) {
  const UndoStep steps[] = {
      {.kind = UndoStep::Kind::CreatedFile, .path = "C:\\App\\a.txt"},
      {.kind = UndoStep::Kind::ReplacedFile,
       .path = "C:\\App\\b.txt",
       .backup = "C:\\T\\b1",
       .attributes = attr::ReadOnly,
       .writeTime = kOldTime},
      {.kind = UndoStep::Kind::ReplacedValue,
       .path = "Software\\Demo",
       .root = RegRoot::CurrentUser,
       .valueName = "v",
       .previous = {2, std::string("a\0b", 3)}},
  };
  for (const UndoStep& step : steps) EXPECT_EQ(DecodeStep(EncodeStep(step), "entry"), step);
}

// A journal is input like any file of the machine: anything unsound in it leaves the machine
// and the journal as they are, with a message naming the folder.
TEST(Journal, DamagedJournalIsReportedAndLeftAlone) {
  const std::string folder = "C:\\Users\\user\\AppData\\Local\\Temp\\sktx-P";
  const UndoStep created{.kind = UndoStep::Kind::CreatedFile, .path = "C:\\Data\\keep.txt"};
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;  // name, bytes
  };
  UndoStep outside{
      .kind = UndoStep::Kind::ReplacedFile, .path = "C:\\Data\\keep.txt", .backup = "C:\\Data\\b1"};
  UndoStep dots{.kind = UndoStep::Kind::CreatedFile, .path = "C:\\Data\\..\\Windows\\x"};
  UndoStep missing = outside;
  missing.backup = folder + "\\b7";
  const std::string journal = kJournalName;
  const Case cases[] = {
      {"garbage in the journal", {{journal, Record("garbage")}}},
      {"garbage before the journal's last entry",
       {{journal, Record("garbage") + Record(EncodeStep(created))}}},
      {"a zero length", {{journal, Record(EncodeStep(created)) + std::string(4, '\0') + "x"}}},
      {"a length past the bound", {{journal, std::string("\xff\xff\xff\x7f") + "SKJ1"}}},
      {"an entry longer than its length says",
       {{journal, Record(EncodeStep(created) + "x") + Record(EncodeStep(created))}}},
      {"a path that climbs, in the journal", {{journal, Record(EncodeStep(dots))}}},
      {"a journal that is a folder", {{journal + "\\x", "x"}}},
      {"garbage before the last entry",
       {{"j00000000", "garbage"}, {"j00000001", EncodeStep(created)}}},
      {"a backup outside the run folder", {{"j00000000", EncodeStep(outside)}}},
      {"a backup that is not there", {{"j00000000", EncodeStep(missing)}}},
      {"a path that climbs", {{"j00000000", EncodeStep(dots)}}},
      {"a file the run never writes", {{"j00000000", EncodeStep(created)}, {"notes.txt", "x"}}},
      {"an entry past its size", {{"j00000000", EncodeStep(created) + "x"}, {"j00000001", ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto m = Sandbox();
    Platform& p = m->platform();
    WriteFile(p, "C:\\Data\\keep.txt", "the user's");
    for (const auto& [name, bytes] : c.files) WriteFile(p, folder + "\\" + name, bytes);
    const Snapshot before = Take(*m);
    try {
      RecoverDeadRun(p, folder);
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(folder), std::string::npos) << e.what();
    }
    const Snapshot after = Take(*m);
    EXPECT_TRUE(before == after) << Diff(before, after);
  }
}

// The last entry may have been cut short by the kill at any byte, in the journal file of this
// version or in the one-file-per-entry layout of earlier versions: the entries before it are
// taken back, a command of the journal is reported and never run.
TEST(Journal, CutShortLastEntryIsIgnoredAndCommandsAreNotRun) {
  const std::string folder = "C:\\Users\\user\\AppData\\Local\\Temp\\sktx-P";
  const UndoStep created{.kind = UndoStep::Kind::CreatedFile, .path = "C:\\Data\\made.txt"};
  const UndoStep command{.kind = UndoStep::Kind::Command, .path = "C:\\evil.exe -Uninstall"};
  const UndoStep later{.kind = UndoStep::Kind::CreatedFile, .path = "C:\\Data\\never.txt"};
  const std::string head = Record(EncodeStep(created)) + Record(EncodeStep(command));
  const std::string last = Record(EncodeStep(later));
  using Files = std::vector<std::pair<std::string, std::string>>;
  const std::pair<const char*, Files> layouts[] = {
      {"nothing of the last entry", {{kJournalName, head}}},
      {"part of its length", {{kJournalName, head + last.substr(0, 2)}}},
      {"its length", {{kJournalName, head + last.substr(0, 4)}}},
      {"part of the entry", {{kJournalName, head + last.substr(0, last.size() - 1)}}},
      {"earlier versions' files",
       {{"j00000000", EncodeStep(created)},
        {"j00000001", EncodeStep(command)},
        {"j00000002", EncodeStep(later).substr(0, 9)}}},
  };
  for (const auto& [what, files] : layouts) {
    SCOPED_TRACE(what);
    auto m = Sandbox();
    Platform& p = m->platform();
    WriteFile(p, "C:\\Data\\made.txt", "made by the dead run");
    WriteFile(p, "C:\\Data\\never.txt", "the user's own");
    for (const auto& [name, bytes] : files) WriteFile(p, folder + "\\" + name, bytes);
    int said = 0;
    const RecoveryReport report = RecoverDeadRun(p, folder, [&] { ++said; });
    EXPECT_TRUE(report.found);
    EXPECT_EQ(said, 1);
    EXPECT_EQ(report.skipped, std::vector<std::string>{"C:\\evil.exe -Uninstall"});
    EXPECT_TRUE(report.failed.empty());
    EXPECT_FALSE(p.FileExists("C:\\Data\\made.txt"));
    EXPECT_TRUE(p.FileExists("C:\\Data\\never.txt"));
    EXPECT_FALSE(p.DirectoryExists(folder));
    std::ifstream actions(m->sandbox()->ActionsLogPath());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(actions), {}).find("evil"),
              std::string::npos);
  }
}

// What the writer appends is what recovery reads, step for step; the file is let go at Close
// (the run folder can then be cleared).
TEST(Journal, WriterAppendsWhatRecoveryReads) {
  const std::string folder = "C:\\ProgramData\\setupkit\\P";
  auto m = Sandbox();
  Platform& p = m->platform();
  WriteFile(p, "C:\\Data\\a.txt", "made by the run");
  WriteFile(p, "C:\\Data\\b.txt", "made by the run too");
  {
    JournalWriter writer(p, folder);
    writer({.kind = UndoStep::Kind::CreatedFile, .path = "C:\\Data\\a.txt"});
    writer({.kind = UndoStep::Kind::CreatedFile, .path = "C:\\Data\\b.txt"});
    EXPECT_EQ(p.ListDirectory(folder), std::vector<std::string>{kJournalName});
    EXPECT_FALSE(p.DeleteFile(folder + "\\" + kJournalName));  // held by the run
    writer.Close();
  }
  const RecoveryReport report = RecoverDeadRun(p, folder);
  EXPECT_TRUE(report.found);
  EXPECT_TRUE(report.failed.empty());
  EXPECT_FALSE(p.FileExists("C:\\Data\\a.txt"));
  EXPECT_FALSE(p.FileExists("C:\\Data\\b.txt"));
  EXPECT_FALSE(p.DirectoryExists(folder));
}

}  // namespace
}  // namespace sk::test
