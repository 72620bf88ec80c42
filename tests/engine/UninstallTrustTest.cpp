// The uninstall acts only on what the product's own installs made: the Uninstall entry vouches
// for the log's bytes, an "Ins.log" in the current folder contributes only records in the
// product's own places, two products in one folder keep their own uninstallers and logs, and a
// reinstall replaces its own shortcuts and keeps the first install's records.
#include <gtest/gtest.h>

#include "engine/LogMerge.h"
#include "engine/Sha256.h"
#include "engine/Texts.h"
#include "engine/UninstallTexts.h"
#include "tests/engine/UninstallSupport.h"

namespace sk::test {
namespace {

const std::string kSerial = "11111111-2222-3333-4444-555555555555";
const std::string kEntry = UninstallEntryKey(kSerial);
const std::string kThesis = "C:\\Users\\user\\Documents\\thesis.docx";
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kHklm = RootText(RegRoot::LocalMachine);
const std::string kHkcu = RootText(RegRoot::CurrentUser);

// A user's document and another program's start-up value, which no uninstall of ours may touch.
void PlantOthers(InstallRun& run) {
  Platform& p = run.platform();
  ASSERT_TRUE(p.ForceDirectories("C:\\Users\\user\\Documents"));
  run.Write(kThesis, "years of work");
  p.OpenKey(RegRoot::LocalMachine, kRun, true)->WriteString("OtherApp", "C:\\Other\\o.exe");
}

void ExpectOthersIntact(InstallRun& run) {
  EXPECT_EQ(run.Read(kThesis), "years of work");
  auto run_key = run.platform().OpenKey(RegRoot::LocalMachine, kRun, false);
  ASSERT_TRUE(run_key);
  EXPECT_TRUE(run_key->ValueExists("OtherApp"));
}

TEST(UninstallTrust, EntryCarriesTheDigestOfTheSavedLog) {
  PackageBuilder b;
  Base(b);
  b.File("Z:\\a.exe", kPF, "A");
  InstallRun run(b, Sandbox());
  run.Install();
  auto key = run.platform().OpenKey(RegRoot::LocalMachine, kEntry, false);
  ASSERT_TRUE(key);
  // The seven values, the digest, then the six that the list of programs reads.
  EXPECT_EQ(key->ValueNames().size(), 14u);
  EXPECT_EQ(key->ReadValue(kLogDigestValue)->data,
            Sha256Hex(run.Read(run.installDir() + "\\Uninst.log")));
}

TEST(UninstallTrust, LogTheEntryDoesNotVouchForIsRefused) {
  struct Case {
    const char* name;
    void (*tamper)(InstallRun&);
  };
  auto resave = [](InstallRun& run, void (*edit)(UninstallRecorder&)) {
    auto log = run.Log(run.installDir() + "\\Uninst.log");
    edit(*log);
    log->SaveToFile(run.installDir() + "\\Uninst.log");
  };
  static auto entry = [](InstallRun& run) {
    return run.platform().OpenKey(RegRoot::LocalMachine, kEntry, false);
  };
  static decltype(resave)* edit = &resave;
  const Case cases[] = {
      {"a record naming a user's document",
       [](InstallRun& r) { (*edit)(r, [](UninstallRecorder& l) { l.AddFile(kThesis, 1); }); }},
      {"a record naming another program's Run value",
       [](InstallRun& r) {
         (*edit)(r, [](UninstallRecorder& l) { l.AddRegKey(kHklm, kRun, "OtherApp"); });
       }},
      {"a record naming a system file",
       [](InstallRun& r) {
         (*edit)(r,
                 [](UninstallRecorder& l) { l.AddFile("C:\\Windows\\System32\\kernel32.dll", 1); });
       }},
      {"a record's flag changed",
       [](InstallRun& r) {
         (*edit)(r, [](UninstallRecorder& l) {
           std::vector<TUnInsData> records = l.Records();
           records.back().RemoveFlag ^= 1;
           l.Clear();
           for (const TUnInsData& d : records) l.AddRecord(d);
         });
       }},
      {"an install of an older version: no digest",
       [](InstallRun& r) { entry(r)->DeleteValue(kLogDigestValue); }},
      {"the entry names another uninstaller",
       [](InstallRun& r) { entry(r)->WriteString("UninstallString", "C:\\Other\\Uninst.exe"); }},
      {"no entry", [](InstallRun& r) { r.platform().DeleteKey(RegRoot::LocalMachine, kEntry); }},
      {"the digest is not a string",
       [](InstallRun& r) {
         auto k = entry(r);
         const std::string digest = k->ReadValue(kLogDigestValue)->data;
         k->DeleteValue(kLogDigestValue);
         k->WriteBinary(kLogDigestValue, digest);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackageBuilder b;
    Base(b);
    b.File("Z:\\a.exe", kPF, "A");
    InstallRun run(b, Sandbox());
    PlantOthers(run);
    run.Install();
    c.tamper(run);
    try {
      Uninstall(run);
      ADD_FAILURE() << "the log was used";
    } catch (const UntrustedLogError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(uninstall_text::kUntrustedLog, 0), 0u) << e.what();
    }
    EXPECT_TRUE(run.platform().FileExists(run.installDir() + "\\a.exe"));
    ExpectOthersIntact(run);
  }
}

TEST(UninstallTrust, EntryNamingTheUninstallerInAnotherSpellingIsAccepted) {
  PackageBuilder b;
  Base(b);
  InstallRun run(b, Sandbox());
  run.Install();
  std::string upper = run.installDir() + "/UNINST.EXE";
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  run.platform()
      .OpenKey(RegRoot::LocalMachine, kEntry, false)
      ->WriteString("UninstallString", "\"" + upper + "\"");
  EXPECT_NO_THROW(ReadUninstallLog(run.platform(), run.installDir() + "\\Uninst.exe"));
}

TEST(UninstallTrust, TerritoryOfTheProduct) {
  const std::string app = "C:\\Program Files\\Co\\App";
  const std::vector<TUnInsData> own = {
      {"", "C:\\Program Files\\Co", "", 1, unins_kind::Folder},  // above the install folder
      {"", app, "", 1, unins_kind::Folder},
      {"", "C:\\Common\\Co", "", 1, unins_kind::Folder},
      {"", "C:\\Windows\\co.dll", "", 1, unins_kind::File},
      {kHkcu, "Software\\Co", "", 1, unins_kind::Registry},
      {kHkcu, "Software\\Co", "v", 1, unins_kind::Registry},
      {kHklm, kRun, "", 1, unins_kind::Registry},  // created on a machine without it
      {kHklm, kRun, "co.exe", 1, unins_kind::Registry},
  };
  const auto machine = Sandbox();
  const ProductTerritory territory(machine->platform(), app, own);
  const std::pair<TUnInsData, bool> cases[] = {
      {{"", app + "\\plugins\\p.dll", "", 1, unins_kind::File}, true},
      {{"", "c:/program files/co/app/x.txt", "", 1, unins_kind::File}, true},
      {{"", app + "\\plugins", "", 1, unins_kind::Folder}, true},
      {{"", "C:\\Common\\Co\\shared.dll", "", 1, unins_kind::File}, true},
      {{"", "C:\\Windows\\co.dll", "", 1, unins_kind::File}, true},
      {{"", "C:\\Program Files", "", 1, unins_kind::Folder}, true},  // only ever removed empty
      {{"", "C:\\Windows", "", 1, unins_kind::Folder}, true},
      {{"", app, "", 1, unins_kind::File}, false},
      {{"", "C:\\Program Files\\Co\\Other\\o.exe", "", 1, unins_kind::File}, false},
      {{"", "C:\\Program Files\\Co\\Other", "", 1, unins_kind::Folder}, false},
      {{"", app + "\\..\\..\\..\\Users\\user\\Documents\\thesis.docx", "", 1, unins_kind::File},
       false},
      {{"", app + "\\x.txt.", "", 1, unins_kind::File}, false},
      {{"", app + "\\x.txt:stream", "", 1, unins_kind::File}, false},
      {{"", "relative\\x.txt", "", 1, unins_kind::File}, false},
      {{"", "C:\\Windows\\System32\\kernel32.dll", "", 1, unins_kind::File}, false},
      {{"", kThesis, "", 1, unins_kind::File}, false},
      {{"", "C:\\App", "", 1, unins_kind::File}, false},
      {{kHkcu, "Software\\Co\\Sub", "x", 1, unins_kind::Registry}, true},
      {{kHkcu, "SOFTWARE\\CO", "w", 1, unins_kind::Registry}, true},
      {{kHkcu, "Software", "", 1, unins_kind::Registry}, true},  // only ever removed empty
      {{kHkcu, "Software\\Other", "", 1, unins_kind::Registry}, false},
      {{kHkcu, "Software\\Other", "v", 1, unins_kind::Registry}, false},
      {{kHklm, kRun, "co.exe", 1, unins_kind::Registry}, true},
      {{kHklm, kRun, "OtherApp", 1, unins_kind::Registry}, false},
      {{kHklm, "SYSTEM\\CurrentControlSet\\Services\\Other", "ImagePath", 1, unins_kind::Registry},
       false},
      {{kHkcu, "", "", 1, unins_kind::Registry}, false},
      {{"", app + "\\x", "", 1, 7}, false},
  };
  for (const auto& [record, held] : cases) {
    SCOPED_TRACE(testing::PrintToString(record));
    EXPECT_EQ(territory.Holds(record), held);
  }
  // An install folder that is a protected place does not make its whole content the product's.
  for (const char* place : {"C:\\", "C:\\Windows", "C:\\Users\\user"}) {
    SCOPED_TRACE(place);
    const ProductTerritory odd(machine->platform(), place,
                               {{"", "C:\\Windows", "", 1, unins_kind::Folder}});
    EXPECT_FALSE(odd.HoldsFile("C:\\Windows\\System32\\kernel32.dll"));
    EXPECT_FALSE(odd.HoldsFile(kThesis));
  }
}

TEST(UninstallTrust, PlantedInsLogContributesOnlyTheProductsOwnPlaces) {
  PackageBuilder b;
  Base(b, kSerial);
  b.File("Z:\\a.exe", kPF, "A");
  b.File("Z:\\svc.exe", kPF, "S").RunAtStartup = 1;
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Co", "v", "1");
  InstallRun run(b, Sandbox());
  Platform& p = run.platform();
  PlantOthers(run);
  const std::string plugin = run.installDir() + "\\plugins\\p.dll";
  ASSERT_TRUE(p.ForceDirectories(run.installDir() + "\\plugins"));
  run.Write(plugin, "made by the product's first stage");

  UninstallRecorder planted(p);
  planted.SetUninstallKey(kSerial);  // the product's public identifier
  planted.AddFile(kThesis, 1);
  planted.AddRegKey(kHklm, kRun, "OtherApp");
  planted.AddRegKey(kHklm, "SYSTEM\\CurrentControlSet\\Services\\Other", "ImagePath");
  planted.AddFile(run.installDir() + "\\..\\Other\\o.exe", 1);
  planted.AddFile(plugin, 1);
  planted.AddRegKey(kHkcu, "Software\\Co\\Sub", "s");
  ASSERT_TRUE(p.ForceDirectories("C:\\Setup"));  // the setup's current folder
  run.Write("C:\\Setup\\Ins.log", planted.SaveToBytes());
  p.OpenKey(RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Other", true)
      ->WriteString("ImagePath", "C:\\Other\\svc.exe");
  run.Install();
  p.OpenKey(RegRoot::CurrentUser, "Software\\Co\\Sub", true)->WriteString("s", "1");

  auto log = run.Log(run.installDir() + "\\Uninst.log");
  ASSERT_GE(log->Records().size(), 2u);
  EXPECT_EQ(log->Records()[0].Path, plugin);  // taken over first, before the run's records
  EXPECT_EQ(log->Records()[1], (TUnInsData{kHkcu, "Software\\Co\\Sub", "s", 1, 2}));
  Uninstall(run);
  ExpectOthersIntact(run);
  EXPECT_FALSE(p.FileExists(plugin));
  EXPECT_FALSE(p.OpenKey(RegRoot::CurrentUser, "Software\\Co\\Sub", false)->ValueExists("s"));
  EXPECT_TRUE(p.OpenKey(RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Other", false)
                  ->ValueExists("ImagePath"));
}

// Installs the package at `setup` (a file on the run's machine) into the run's install folder,
// with the desktop shortcuts switched on, as a later setup run would.
void InstallOnSameMachine(InstallRun& run, const std::string& setup, std::string installDir = {}) {
  TCompile model(run.platform());
  model.LoadPackage(setup);
  model.Choices().Options.InstallDir = installDir.empty() ? run.installDir() : installDir;
  model.Choices().Options.CreateDesktop = 1;
  InstallPackage(model, nullptr, setup);
}

std::string UninstallerOf(Platform& p, const std::string& serial) {
  auto key = p.OpenKey(RegRoot::LocalMachine, UninstallEntryKey(serial), false);
  return key ? key->ReadValue("UninstallString")->data : "<no entry>";
}

TEST(UninstallTrust, TwoProductsInOneFolderKeepTheirOwnUninstallers) {
  const std::string idA = "AAAAAAAA-2222-3333-4444-555555555555";
  const std::string idB = "{BBBBBBBB-2222-3333-4444-555555555555}";
  PackageBuilder a, b;
  Base(a, idA);
  a.File("Z:\\a.exe", kPF, "A");
  Base(b, idB);
  b.File("Z:\\b.exe", kPF, "B");
  InstallRun run(a, Sandbox());
  Platform& p = run.platform();
  const std::string dir = run.installDir();
  const std::string setupB = run.root() + "SetupB.exe";
  run.Write(setupB, b.Build());
  run.Install();
  InstallOnSameMachine(run, setupB);

  const std::string ownB = dir + "\\Uninst_{BBBBBBBB-2222-3333-4444-555555555555}.exe";
  ASSERT_EQ(UninstallerOf(p, idA), dir + "\\Uninst.exe");
  ASSERT_EQ(UninstallerOf(p, idB), ownB);
  EXPECT_EQ(run.Log(dir + "\\Uninst.log")->UninstallKey(), idA);
  EXPECT_EQ(run.Log(UninstallLogPath(ownB))->UninstallKey(), idB);

  // A reinstall of either finds its own uninstaller again.
  InstallOnSameMachine(run, setupB);
  run.Install();
  EXPECT_EQ(UninstallerOf(p, idA), dir + "\\Uninst.exe");
  EXPECT_EQ(UninstallerOf(p, idB), ownB);

  Uninstall(run, UninstallerOf(p, idA));
  EXPECT_FALSE(p.FileExists(dir + "\\a.exe"));
  EXPECT_FALSE(p.FileExists(dir + "\\Uninst.exe"));
  EXPECT_EQ(run.Read(dir + "\\b.exe"), "B");
  EXPECT_EQ(UninstallerOf(p, idB), ownB);
  EXPECT_TRUE(p.FileExists(ownB));

  // With the plain name free again, B still finds its own.
  InstallOnSameMachine(run, setupB);
  EXPECT_EQ(UninstallerOf(p, idB), ownB);
  EXPECT_FALSE(p.FileExists(dir + "\\Uninst.exe"));
  Uninstall(run, ownB);
  EXPECT_FALSE(p.FileExists(dir + "\\b.exe"));
  EXPECT_FALSE(p.FileExists(ownB));
  EXPECT_FALSE(p.KeyExists(RegRoot::LocalMachine, UninstallEntryKey(idB)));
}

TEST(UninstallTrust, ReinstallIntoAnotherFolderThenUninstallLeavesTheMachineAsBefore) {
  PackageBuilder b;
  Base(b);
  b.File("Z:\\a.exe", kPF, "A");
  InstallRun run(b, Sandbox());
  const Snapshot before = Take(run.machine());
  run.Install();
  const std::string moved = run.root() + "Moved";
  InstallOnSameMachine(run, run.root() + "Setup.exe", moved);
  ASSERT_EQ(UninstallerOf(run.platform(), kSerial), moved + "\\Uninst.exe");
  const UninstallOutcome out = Uninstall(run, moved + "\\Uninst.exe");
  EXPECT_EQ(out.report.Count(RemovalResult::Failed), 0u);
  const Snapshot after = Take(run.machine());
  EXPECT_TRUE(before == after) << Diff(before, after);
}

TEST(UninstallTrust, ReinstallOverItselfThenUninstallLeavesTheMachineAsBefore) {
  PackageBuilder b;
  Base(b);
  b.File("Z:\\a.exe", kPF + "bin\\deep", "A");
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Co\\Prod", "v", "1");
  b.Shortcut(kDesktop, "Demo", "Z:\\a.exe");
  b.Shortcut(kStartMenu, "Demo", "Z:\\a.exe");
  InstallRun run(b, Sandbox());
  run.model().Choices().Options.CreateDesktop = 1;
  const Snapshot before = Take(run.machine());
  run.Install();
  const Snapshot once = Take(run.machine());
  InstallOnSameMachine(run, run.root() + "Setup.exe");
  const Snapshot twice = Take(run.machine());
  // The same files: shortcuts replaced, not copied under "(1)" names.
  std::vector<std::string> namesOnce, namesTwice;
  for (const auto& [name, data] : once.files) namesOnce.push_back(name);
  for (const auto& [name, data] : twice.files) namesTwice.push_back(name);
  EXPECT_EQ(namesOnce, namesTwice);

  const auto log = run.Log(run.installDir() + "\\Uninst.log");
  size_t links = 0;
  for (const TUnInsData& r : log->Records()) links += r.Path.ends_with(".lnk");
  EXPECT_EQ(links, 3u);  // two shortcuts and the uninstall shortcut, once each

  const UninstallOutcome out = Uninstall(run);
  EXPECT_EQ(out.report.Count(RemovalResult::Failed), 0u);
  const Snapshot after = Take(run.machine());
  EXPECT_TRUE(before == after) << Diff(before, after);
}

TEST(UninstallTrust, FileThatExistedOutsideTheProductIsKept) {
  const std::string target = "C:\\Windows\\w.dll";
  for (const bool existed : {true, false}) {
    SCOPED_TRACE(existed);
    PackageBuilder b;
    Base(b);
    b.File("Z:\\w.dll", kMachine + "Windows\\", "NEW");
    InstallRun run(b, Sandbox());
    if (existed) run.Write(target, "ANOTHER PROGRAM'S");
    run.Install();
    // A reinstall finds the file in its own earlier log: still the product's.
    InstallOnSameMachine(run, run.root() + "Setup.exe");
    const auto log = run.Log(run.installDir() + "\\Uninst.log");  // held for the loop
    for (const TUnInsData& r : log->Records())
      if (r.Path == target) {
        EXPECT_EQ(r.RemoveFlag, existed ? 0 : 1);
      }
    Uninstall(run);
    EXPECT_EQ(run.platform().FileExists(target), existed);
  }
}

}  // namespace
}  // namespace sk::test
