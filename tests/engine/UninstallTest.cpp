// Uninstall on the sandbox machine: install a package, remove it with the uninstaller's code,
// and compare the machine (file tree with contents, registry) with the one before the install.
// Also: protected places, damaged and second uninstalls, planted Ins.log, files in use, the
// undo of a failed install, and the log reader's limits.
#include <gtest/gtest.h>

#include "engine/Removal.h"
#include "engine/UninstallTexts.h"
#include "engine/Uninstaller.h"
#include "package/Container.h"
#include "tests/engine/UninstallSupport.h"

namespace sk::test {
namespace {

namespace fs = std::filesystem;

const std::string kWinPrefix = kMachine + "Windows\\";

TEST(Uninstall, RoundTripsLeaveTheMachineAsBefore) {
  struct Shape {
    const char* name;
    void (*make)(PackageBuilder&);
    void (*prepare)(InstallRun&);  // before the install (part of the "before" picture)
  };
  const Shape shapes[] = {
      {"files in nested folders",
       [](PackageBuilder& b) {
         b.File("Z:\\a.exe", kPF, "A");
         b.File("Z:\\d\\b.dll", kPF + "lib\\deep", "B");
         b.Folder(kPF, "empty");
       },
       nullptr},
      {"registry in new and existing keys",
       [](PackageBuilder& b) {
         b.RegFolders().push_back(kMachine + "HKEY_CURRENT_USER\\Software\\Co\\Prod\\Sub");
         b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Co\\Prod\\Sub", "v", "1");
         b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Co\\Prod", "n", "10", 1);
         b.RegValue(kMachine + "HKEY_LOCAL_MACHINE\\SOFTWARE\\Existing", "mine", "x");
       },
       [](InstallRun& run) {
         auto k = run.platform().OpenKey(RegRoot::LocalMachine, "SOFTWARE\\Existing", true);
         k->WriteString("theirs", "keep");
       }},
      {"values alone under new nested keys and under an existing key",
       [](PackageBuilder& b) {
         const std::string fresh = kMachine + "HKEY_CURRENT_USER\\Software\\Fresh";
         b.RegValue(fresh + "\\A", "w", "2");
         b.RegValue(fresh + "\\A\\B\\C", "v", "1");  // below a key this run created
         b.RegValue(fresh + "\\D\\E", "", "default");
         b.RegValue(kMachine + "HKEY_LOCAL_MACHINE\\SOFTWARE\\Existing\\New", "n", "3");
         b.RegValue(kMachine + "HKEY_LOCAL_MACHINE\\SOFTWARE\\Existing", "mine", "x");
       },
       [](InstallRun& run) {
         auto k = run.platform().OpenKey(RegRoot::LocalMachine, "SOFTWARE\\Existing", true);
         k->WriteString("theirs", "keep");
       }},
      {"shortcuts on the desktop and in the start menu",
       [](PackageBuilder& b) {
         b.File("Z:\\a.exe", kPF, "A");
         b.Shortcut(kDesktop, "Demo", "Z:\\a.exe");
         b.Shortcut(kStartMenu, "Demo", "Z:\\a.exe");
       },
       nullptr},
      {"install into an existing folder with the user's files",
       [](PackageBuilder& b) { b.File("Z:\\a.exe", kPF, "A"); },
       [](InstallRun& run) {
         ASSERT_TRUE(run.platform().ForceDirectories(run.installDir()));
         run.Write(run.installDir() + "\\notes.txt", "mine");
       }},
      {"a program started with the system (its Run value)",
       [](PackageBuilder& b) { b.File("Z:\\svc.exe", kPF, "S").RunAtStartup = 1; }, nullptr},
      {"a file in the Windows folder",
       [](PackageBuilder& b) { b.File("Z:\\w.dll", kWinPrefix, "W"); }, nullptr},
      {"nothing but the uninstaller", [](PackageBuilder&) {}, nullptr},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    PackageBuilder b;
    Base(b);
    shape.make(b);
    InstallRun run(b, Sandbox());
    run.model().Choices().Options.CreateDesktop = 1;
    if (shape.prepare) shape.prepare(run);
    const Snapshot before = Take(run.machine());
    run.Install();
    ASSERT_TRUE(run.platform().FileExists(run.installDir() + "\\Uninst.log"));
    const UninstallOutcome out = Uninstall(run);
    EXPECT_EQ(out.report.Count(RemovalResult::Failed), 0u);
    const Snapshot after = Take(run.machine());
    EXPECT_TRUE(before == after) << Diff(before, after);
  }
}

// Keys that values need are recorded when this run creates them, parents first, and never when
// they existed; a default value written into an existing key is not mistaken for that key.
TEST(Uninstall, KeysCreatedForValuesAreRecordedParentsFirst) {
  PackageBuilder b;
  Base(b);
  const std::string hkcu = kMachine + "HKEY_CURRENT_USER\\";
  b.RegValue(hkcu + "Software\\Pre\\X\\Y", "v", "1");
  b.RegValue(hkcu + "Software\\Pre", "", "default of an existing key");
  b.RegValue(hkcu + "Software\\Pre\\X\\Z", "", "default of a new key");
  InstallRun run(b, Sandbox());
  Platform& p = run.platform();
  ASSERT_TRUE(p.CreateKey(RegRoot::CurrentUser, "Software\\Pre"));
  run.Install();

  const std::string cu = RootText(RegRoot::CurrentUser);
  std::vector<TUnInsData> keys;
  const auto log = run.Log(run.installDir() + "\\Uninst.log");
  for (const TUnInsData& r : log->Records())
    if (r.Kind == unins_kind::Registry && r.Root == cu) keys.push_back(r);
  const std::vector<TUnInsData> expected = {
      {cu, "Software\\Pre\\X", "", 1, unins_kind::Registry},
      {cu, "Software\\Pre\\X\\Y", "", 1, unins_kind::Registry},
      {cu, "Software\\Pre\\X\\Y", "v", 1, unins_kind::Registry},
      {cu, "Software\\Pre\\X\\Z", "", 1, unins_kind::Registry},
  };
  EXPECT_EQ(keys, expected);

  Uninstall(run);
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, "Software\\Pre\\X"));
  ASSERT_TRUE(p.KeyExists(RegRoot::CurrentUser, "Software\\Pre"));
  EXPECT_EQ(p.OpenKey(RegRoot::CurrentUser, "Software\\Pre", false)->ReadValue("")->data,
            "default of an existing key");  // not attributable: kept with its key
}

TEST(Uninstall, KeepsWhatTheLogMarksAndWhatItCannotAttribute) {
  PackageBuilder b;
  Base(b);
  b.File("Z:\\a.exe", kPF, "A");
  b.File("Z:\\data.db", kPF + "data", "D").KeepOnUninstall = 1;
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Co", "v", "1");
  InstallRun run(b, Sandbox());
  Platform& p = run.platform();
  run.Install();
  const std::string dir = run.installDir();
  run.Write(dir + "\\user.cfg", "settings the program wrote");
  p.OpenKey(RegRoot::CurrentUser, "Software\\Co\\Later", true);

  const UninstallOutcome out = Uninstall(run);
  EXPECT_EQ(run.Read(dir + "\\data\\data.db"), "D");
  EXPECT_EQ(run.Read(dir + "\\user.cfg"), "settings the program wrote");
  EXPECT_FALSE(p.FileExists(dir + "\\a.exe"));
  EXPECT_FALSE(p.FileExists(dir + "\\Uninst.exe"));
  EXPECT_FALSE(p.FileExists(dir + "\\Uninst.log"));
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, "Software\\Co\\Later"));
  EXPECT_FALSE(p.OpenKey(RegRoot::CurrentUser, "Software\\Co", false)->ValueExists("v"));
  EXPECT_FALSE(p.KeyExists(RegRoot::LocalMachine, UninstallEntryKey(run.model().Package().Serial)));
  EXPECT_EQ(out.report.Count(RemovalResult::Failed), 0u);
  EXPECT_GE(out.report.Count(RemovalResult::Kept), 3u);  // data.db, its folder, the install folder
}

TEST(Uninstall, ProtectedPlacesAreRefused) {
  auto m = Sandbox();
  const ProtectedPlaces places(m->platform());
  const std::pair<std::string, bool> cases[] = {
      {"C:\\", true},
      {"C:", true},
      {"c:\\windows", true},
      {"C:\\Windows\\", true},
      {"C:/Windows", true},
      {"C:\\Windows.", true},
      {"C:\\App\\..\\Windows", true},
      {"C:\\Users", true},
      {"C:\\Users\\user", true},
      {"C:\\USERS\\other", true},
      {"C:\\Users\\user\\Desktop", true},
      {"C:\\Program Files", true},
      {"\\\\server\\share", true},
      {"relative\\file.txt", true},
      {"C:file.txt", true},
      {"C:\\App\\file.txt:stream", true},
      {"C:\\Windows\\app.dll", false},
      {"C:\\Users\\user\\Desktop\\Demo.lnk", false},
      {"C:\\Program Files\\Demo", false},
      {"\\\\server\\share\\Demo", false},
  };
  for (const auto& [path, refused] : cases) EXPECT_EQ(!places.Check(path).empty(), refused) << path;

  // Records naming them are left alone, even an empty folder.
  ASSERT_TRUE(m->platform().ForceDirectories("C:\\Users\\other"));
  const std::vector<TUnInsData> records = {{"", "C:\\Users\\other", "", 1, unins_kind::Folder},
                                           {"", "C:\\", "", 1, unins_kind::File},
                                           {"7", "C:\\x", "", 1, 9}};
  const RemovalReport report = RemoveRecords(m->platform(), records);
  EXPECT_EQ(report.Count(RemovalResult::Refused), 3u);
  EXPECT_TRUE(m->platform().DirectoryExists("C:\\Users\\other"));
}

// Registry records: a key path that is not made of plain names is refused untouched; a created
// key goes only when nothing unrecorded is left in it (a subkey or a named value; its default
// value does not keep it).
TEST(Uninstall, RegistryRecordsRemoveOnlyWhatTheyName) {
  auto m = Sandbox();
  Platform& p = m->platform();
  const std::string hkcu = RootText(RegRoot::CurrentUser);
  struct Case {
    const char* what;
    std::string path, valueName;
    const char* key;    // made before the removal; nullptr: none
    const char* value;  // a value written into it; nullptr: none
    RemovalResult result;
    bool keyStays;
  };
  const Case cases[] = {
      {"trailing backslash", "Software\\T1\\", "", "Software\\T1", nullptr, RemovalResult::Refused,
       true},
      {"doubled backslash", "Software\\\\T2", "", "Software\\T2", nullptr, RemovalResult::Refused,
       true},
      {"root only", "\\", "", nullptr, nullptr, RemovalResult::Refused, false},
      {"named value left", "Software\\T3", "", "Software\\T3", "own", RemovalResult::Kept, true},
      {"subkey left", "Software\\T4", "", "Software\\T4\\Sub", nullptr, RemovalResult::Kept, true},
      {"default value only", "Software\\T5", "", "Software\\T5", "", RemovalResult::Removed, false},
      {"a recorded value", "Software\\T6", "v", "Software\\T6", "v", RemovalResult::Removed, true},
      {"a missing key", "Software\\T7", "", nullptr, nullptr, RemovalResult::Missing, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.key) {
      auto made = p.OpenKey(RegRoot::CurrentUser, c.key, true);
      ASSERT_NE(made, nullptr);
      if (c.value) made->WriteString(c.value, "x");
    }
    const RemovalReport report =
        RemoveRecords(p, {{hkcu, c.path, c.valueName, 1, unins_kind::Registry}});
    EXPECT_EQ(report.Count(c.result), 1u);
    if (c.key) {
      EXPECT_EQ(p.KeyExists(RegRoot::CurrentUser, c.key), c.keyStays);
    }
  }
  EXPECT_FALSE(p.OpenKey(RegRoot::CurrentUser, "Software\\T6", false)->ValueExists("v"));
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, "Software"));
}

TEST(Uninstall, DamagedMissingAndSecond) {
  PackageBuilder b;
  Base(b);
  b.File("Z:\\a.exe", kPF, "A");
  InstallRun run(b, Sandbox());
  Platform& p = run.platform();
  run.Install();
  const std::string uninstaller = run.installDir() + "\\Uninst.exe";
  const std::string logPath = run.installDir() + "\\Uninst.log";
  const std::string good = run.Read(logPath);

  for (const std::string& bad :
       {good.substr(0, good.size() - 3), std::string("\x05\0\0\0xx", 6), std::string()}) {
    run.Write(logPath, bad);
    EXPECT_THROW(ReadUninstallLog(p, uninstaller), Error);
  }
  ASSERT_TRUE(p.DeleteFile(logPath));
  EXPECT_THROW(ReadUninstallLog(p, uninstaller), Error);
  EXPECT_TRUE(p.FileExists(run.installDir() + "\\a.exe"));  // nothing removed

  run.Write(logPath, good);
  Uninstall(run);
  EXPECT_FALSE(p.DirectoryExists(run.installDir()));
  // A second uninstall finds no log; an old log run again removes nothing new.
  EXPECT_THROW(ReadUninstallLog(p, uninstaller), Error);
  ASSERT_TRUE(p.ForceDirectories(run.installDir()));
  run.Write(run.installDir() + "\\a.exe", "a new install's file");
  UninstallRecorder old(p);
  old.LoadFromBytes(good, "old");
  const RemovalReport again = RemoveRecords(p, old.Records());
  EXPECT_EQ(again.Count(RemovalResult::Failed), 0u);
}

TEST(Uninstall, FileInUseIsReportedAndItsFolderStays) {
  PackageBuilder b;
  Base(b);
  b.File("Z:\\a.exe", kPF, "A");
  b.File("Z:\\b.exe", kPF, "B");
  InstallRun run(b, Sandbox());
  Platform& p = run.platform();
  run.Install();
  const std::string busy = run.installDir() + "\\a.exe";
  UninstallOutcome out;
  {
    auto open = p.OpenRead(busy);  // the program is running
    out = Uninstall(run);
  }
  EXPECT_TRUE(p.FileExists(busy));
  EXPECT_FALSE(p.FileExists(run.installDir() + "\\b.exe"));
  EXPECT_EQ(out.report.Names(RemovalResult::Failed), std::vector<std::string>{busy});
  const std::string summary = UninstallSummary(out, "Demo");
  EXPECT_NE(summary.find(uninstall_text::kNotRemoved), std::string::npos);
  EXPECT_NE(summary.find(busy), std::string::npos);
  EXPECT_EQ(UninstallSummary({}, "Demo"),
            std::string(uninstall_text::kDoneOpen) + "Demo" + uninstall_text::kDoneClose);
}

TEST(Uninstall, PlantedInsLogOfAnotherProductIsNotMerged) {
  for (bool sameProduct : {false, true}) {
    SCOPED_TRACE(sameProduct);
    PackageBuilder b;
    Base(b, "AAAAAAAA-2222-3333-4444-555555555555");
    b.File("Z:\\a.exe", kPF, "A");
    InstallRun run(b, Sandbox());
    Platform& p = run.platform();
    ASSERT_TRUE(p.ForceDirectories("C:\\Users\\user\\Documents"));
    run.Write("C:\\Users\\user\\Documents\\thesis.doc", "years of work");
    UninstallRecorder planted(p);
    planted.SetProductName("Demo");
    planted.SetUninstallKey(sameProduct ? "aaaaaaaa-2222-3333-4444-555555555555"
                                        : "BBBBBBBB-2222-3333-4444-555555555555");
    planted.AddFile("C:\\Users\\user\\Documents\\thesis.doc", 1);
    ASSERT_TRUE(p.ForceDirectories("C:\\Setup"));
    run.Write("C:\\Setup\\Ins.log", planted.SaveToBytes());
    run.Install();

    // Even a log naming this product only contributes what lies in the product's own places.
    auto log = run.Log(run.installDir() + "\\Uninst.log");
    EXPECT_NE(log->Records().front().Path, "C:\\Users\\user\\Documents\\thesis.doc");
    Uninstall(run);
    EXPECT_EQ(run.Read("C:\\Users\\user\\Documents\\thesis.doc"), "years of work");
  }
}

TEST(Uninstall, FailedInstallIsUndone) {
  enum Where { InFiles, AtTheLog };
  for (Where where : {InFiles, AtTheLog}) {
    SCOPED_TRACE(where);
    PackageBuilder b;
    Base(b);
    b.File("Z:\\old.txt", kPF, "NEW CONTENT");
    b.File("Z:\\n.txt", kPF + "sub", "N");
    b.File("Z:\\busy.txt", kPF, "X");
    b.RegFolders().push_back(kMachine + "HKEY_CURRENT_USER\\Software\\Undo\\K");
    b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Undo\\K", "v", "1");
    b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Pre", "shared", "new");
    b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Pre\\Deep\\Er", "v", "1");
    b.Shortcut(kDesktop, "Demo", "Z:\\n.txt");
    InstallRun run(b, Sandbox());
    Platform& p = run.platform();
    run.model().Choices().Options.CreateDesktop = 1;
    const std::string dir = run.installDir();
    ASSERT_TRUE(p.ForceDirectories(dir));
    run.Write(dir + "\\old.txt", "OLD CONTENT");
    p.OpenKey(RegRoot::CurrentUser, "Software\\Pre", true)->WriteString("shared", "old");
    // An earlier install's record of the same product: never undone by this run.
    ASSERT_TRUE(p.ForceDirectories("C:\\Setup"));
    run.Write("C:\\Setup\\earlier.txt", "E");
    UninstallRecorder earlier(p);
    earlier.SetUninstallKey(run.model().Package().Serial);
    earlier.AddFile("C:\\Setup\\earlier.txt", 1);
    run.Write("C:\\Setup\\Ins.log", earlier.SaveToBytes());
    std::unique_ptr<InputStream> holder;
    if (where == InFiles) {
      run.Write(dir + "\\busy.txt", "in use");
      holder = p.OpenRead(dir + "\\busy.txt");
    } else {
      ASSERT_TRUE(p.ForceDirectories(dir + "\\Uninst.log"));  // the log cannot be written
    }
    const Snapshot before = Take(run.machine());

    std::string message;
    try {
      run.Install();
    } catch (const Error& e) {
      message = e.what();
    }
    holder.reset();
    ASSERT_NE(message.find(uninstall_text::kUndone), std::string::npos) << message;
    // Replaced files and values are restored from the run's copies: nothing says they stay.
    EXPECT_EQ(message.find(uninstall_text::kReplacedStay), std::string::npos);
    EXPECT_EQ(run.Read(dir + "\\old.txt"), "OLD CONTENT");
    EXPECT_EQ(run.Read("C:\\Setup\\earlier.txt"), "E");
    EXPECT_EQ(p.OpenKey(RegRoot::CurrentUser, "Software\\Pre", false)->ReadValue("shared")->data,
              "old");
    EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, "Software\\Undo"));
    EXPECT_FALSE(
        p.KeyExists(RegRoot::LocalMachine, UninstallEntryKey(run.model().Package().Serial)));
    const Snapshot after = Take(run.machine());
    EXPECT_TRUE(before == after) << Diff(before, after);
  }
}

TEST(UninstallLog, CraftedCountsAndSizesEndWithOurError) {
  auto body = [](int32_t count, size_t filler) {
    MemoryWriter w;
    TElement::WriteString(w, "P");
    TElement::WriteString(w, "K");
    w.WriteInt32(count);
    std::string data = std::move(w.Data());
    data.append(filler, '\0');
    return data;
  };
  auto file = [](const std::string& b) {
    std::string out;
    for (size_t at = 0; at < b.size(); at += kChunkPieceSize) {
      std::string piece = ZlibCompress(b.substr(at, kChunkPieceSize), 1);
      const int32_t n = static_cast<int32_t>(piece.size());
      out.append(reinterpret_cast<const char*>(&n), 4);
      out += piece;
    }
    return out;
  };
  const std::pair<const char*, std::string> cases[] = {
      {"billions claimed", file(body(0x7FFFFFFF, 100))},
      {"negative count", file(body(-5, 0))},
      {"more records than a log holds", file(body(600000, 600000 * 14))},
      {"a body beyond the limit", file(body(0, kMaxLogBody))},
  };
  NullPlatform p;
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    UninstallRecorder log(p);
    log.AddFile("C:\\kept", 1);
    EXPECT_THROW(log.LoadFromBytes(bytes, "Ins.log"), Error);
    ASSERT_EQ(log.Records().size(), 1u);  // unchanged
  }
}

}  // namespace
}  // namespace sk::test
