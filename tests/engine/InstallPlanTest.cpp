// The install plan: computed on a PlanningPlatform over the machine, it changes nothing, and the
// install run afterwards makes exactly the changes it lists (files, folders, keys, values) and
// starts exactly the programs it lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "engine/PlanningPlatform.h"
#include "engine/Registry.h"
#include "engine/Texts.h"
#include "platform/Encoding.h"
#include "platform/SystemHelpers.h"
#include "tests/engine/UninstallSupport.h"

namespace sk::test {
namespace {

const std::string kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// A product with a program that starts at logon and after the install, a settings file the
// install never overwrites, a registry value, a desktop shortcut and the uninstaller.
void Product(PackageBuilder& b, const std::string& version) {
  Base(b);
  b.Setting(setting::kVersion.name, version);
  b.File("Z:\\readme.txt", kPF, "readme " + version);
  auto& app = b.File("Z:\\app.exe", kPF, "program " + version);
  app.RunAtStartup = 1;
  app.RunAfterInstall = 1;
  b.File("Z:\\settings.ini", kPF, "defaults " + version).NoOverwrite = 1;
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Demo", "Version", version);
  b.Shortcut(kDesktop, "Demo", "Z:\\app.exe");
}

// Runs the install of `setup` with the model prepared by `prepare`, noting the files it places.
void InstallOn(Platform& p, const std::string& setup, const std::string& dir,
               const std::function<void(TCompile&)>& prepare, PlanningPlatform* planning) {
  TCompile model(p);
  model.LoadPackage(setup);
  model.Choices().Options.InstallDir = dir;
  model.Choices().Options.CreateDesktop = 1;
  if (prepare) prepare(model);
  InstallPackage(
      model,
      [planning](const std::string& file, const std::string& hint, int64_t, int64_t) {
        if (planning && hint == engine_text::kInstallingFile) planning->NoteFilePlaced(file);
      },
      setup);
}

std::string Lines(const InstallPlan& plan) {
  std::string text;
  for (const PlanItem& item : plan) text += DescribePlanItem(item) + "\n";
  return text;
}

// The registry as "key"/"value" identities (folded) with the values' text.
void Walk(Platform& p, RegRoot root, const std::string& path,
          std::map<std::string, std::string>& out) {
  auto key = p.OpenKey(root, path, false);
  if (!key) return;
  const std::string id = RootName(root) + "\\" + LowerAscii(path);
  if (!path.empty()) out["key " + id] = "";
  for (const std::string& name : key->ValueNames())
    if (std::optional<RegValue> v = key->ReadValue(name))
      out["value " + id + " [" + LowerAscii(name) + "]"] = RegValueText(*v);
  for (const std::string& sub : key->SubKeyNames())
    Walk(p, root, path.empty() ? sub : path + "\\" + sub, out);
}

std::map<std::string, std::string> Registry(Platform& p) {
  std::map<std::string, std::string> out;
  Walk(p, RegRoot::LocalMachine, "", out);
  Walk(p, RegRoot::CurrentUser, "", out);
  return out;
}

// A plan item's identity in the terms of Snapshot (files below drive C) and Registry().
std::string Identity(const PlanItem& item) {
  using K = PlanItem::Kind;
  const std::string key = RootName(item.root) + "\\" + LowerAscii(item.path);
  switch (item.kind) {
    case K::CreateKey:
    case K::DeleteKey:
      return "key " + key;
    case K::SetValue:
    case K::DeleteValue:
      return "value " + key + " [" + LowerAscii(item.valueName) + "]";
    default: {
      // Snapshot names are the host's (UTF-8).
      std::string path = LowerAscii(GbkToUtf8(item.path.substr(3)));
      std::replace(path.begin(), path.end(), '\\', '/');
      return path;
    }
  }
}

// Checks that the machine went from `before` to `after` by exactly the plan's changes, and that
// the programs started are the plan's, in its order.
void ExpectPlanApplied(const InstallPlan& plan, const Snapshot& before, const Snapshot& after,
                       const std::map<std::string, std::string>& regBefore,
                       const std::map<std::string, std::string>& regAfter,
                       const std::vector<std::string>& actions) {
  using K = PlanItem::Kind;
  std::set<std::string> changed, planned;
  auto lower = [](const std::map<std::string, std::string>& m) {
    std::map<std::string, std::string> out;
    for (const auto& [k, v] : m) out[LowerAscii(k)] = v;
    return out;
  };
  const auto filesBefore = lower(before.files), filesAfter = lower(after.files);
  for (const auto& [k, v] : filesAfter)
    if (!filesBefore.count(k) || filesBefore.at(k) != v) changed.insert(k);
  for (const auto& [k, v] : filesBefore)
    if (!filesAfter.count(k)) changed.insert(k);
  for (const auto& [k, v] : regAfter)
    if (!regBefore.count(k) || regBefore.at(k) != v) changed.insert(k);
  for (const auto& [k, v] : regBefore)
    if (!regAfter.count(k)) changed.insert(k);

  std::vector<const PlanItem*> programs;
  for (const PlanItem& item : plan) {
    const std::string id = Identity(item);
    switch (item.kind) {
      case K::KeepFile:
        EXPECT_EQ(filesBefore.at(id), filesAfter.at(id)) << "kept file changed: " << id;
        break;
      case K::PlaceFile:
      case K::Shortcut:
        ASSERT_TRUE(filesAfter.count(id)) << id;
        // A file written again with the same bytes within the clock's resolution (the log of a
        // reinstall under Wine) leaves no trace in the picture; any other file is a change.
        if (!item.replaces || filesBefore.at(id) != filesAfter.at(id)) planned.insert(id);
        if (item.kind == K::PlaceFile) {
          EXPECT_EQ(filesAfter.at(id).rfind('@'), static_cast<size_t>(item.file.size)) << id;
        }
        if (item.file.writeTime) {  // Snapshot times count from 1970, file times from 1601
          EXPECT_EQ(filesAfter.at(id).substr(filesAfter.at(id).rfind('@') + 1),
                    std::to_string(*item.file.writeTime - 116444736000000000))
              << id;
        }
        break;
      case K::SetValue:
        planned.insert(id);
        ASSERT_TRUE(regAfter.count(id)) << id;
        EXPECT_EQ(regAfter.at(id), RegValueText(*item.value)) << id;
        if (item.previous)
          EXPECT_EQ(regBefore.at(id), RegValueText(*item.previous)) << id;
        else
          EXPECT_FALSE(regBefore.count(id)) << id;
        break;
      case K::CreateFolder:
      case K::RemoveFolder:
      case K::DeleteFile:
      case K::CreateKey:
      case K::DeleteKey:
      case K::DeleteValue:
        planned.insert(id);
        break;
      default:
        programs.push_back(&item);
    }
  }
  EXPECT_EQ(planned, changed);
  ASSERT_EQ(programs.size(), actions.size());
  for (size_t i = 0; i < programs.size(); ++i)
    EXPECT_NE(actions[i].find(programs[i]->path), std::string::npos)
        << DescribePlanItem(*programs[i]) << " / " << actions[i];
}

std::vector<std::string> ActionLines(TestMachine& m) {
  std::vector<std::string> lines;
  std::istringstream in(Slurp(m.sandbox()->ActionsLogPath()));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct Situation {
  const char* what;
  // Prepares the machine (it has the setup of version 1 at C:\Setup1.exe, of 2 at C:\Setup2.exe).
  std::function<void(Platform&)> machine;
  std::string setup;
  std::function<void(TCompile&)> choices;
  std::vector<std::string> expected;  // lines (or their beginnings), in this order
  std::vector<std::string> absent;    // beginnings of lines that must not be there
};

const std::string kDir = "C:\\Program Files\\Demo";
const std::string kUninstallKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
    "\\Uninstall\\11111111-2222-3333-4444-555555555555";

// A component whose setup program the install runs, staged where the package's records say.
void AddComponent(TCompile& model, bool chosen) {
  model.Package().CompList().push_back(
      std::make_unique<TCompileCompData>(TCompileCompData{"Extra", 0}));
  for (const char* name : {"Extra.ini", "setup.exe"}) {
    auto item = std::make_unique<TCompileFileData>();
    item->Kind = kind::CompFile;
    item->Name = "Extra";
    item->SourcePath = std::string("C:\\Staged\\Extra\\") + name;
    model.Package().FileList().push_back(std::move(item));
  }
  model.Choices().ComponentList.clear();
  if (chosen) model.Choices().ComponentList.push_back("extra");
}

void StageComponent(Platform& p) {
  WriteFile(p, "C:\\Staged\\Extra\\Extra.ini", "[Option]\r\nExeFile=setup.exe\r\n");
  WriteFile(p, "C:\\Staged\\Extra\\setup.exe", "SETUP");
}

TEST(InstallPlan, SituationsGiveTheirItemsAndTheInstallMakesExactlyThose) {
  const std::string app = kDir + "\\app.exe";
  const Situation situations[] = {
      {"fresh install",
       nullptr,
       "C:\\Setup1.exe",
       nullptr,
       {"folder " + kDir, "file " + kDir + "\\readme.txt (10 bytes", "file " + app + " (11 bytes",
        "file " + kDir + "\\settings.ini (12 bytes", "key HKEY_LOCAL_MACHINE\\" + kRunKey,
        "value HKEY_LOCAL_MACHINE\\" + kRunKey + " [app.exe] = \"\"" + app + "\"\" new",
        "key HKEY_CURRENT_USER\\Software\\Demo",
        "value HKEY_CURRENT_USER\\Software\\Demo [Version] = \"1.0\" new",
        "shortcut C:\\Users\\user\\Desktop\\Demo.lnk -> " + app, "file " + kDir + "\\Uninst.exe",
        "value " + kUninstallKey, "open " + app},
       {"keep ", "component-setup "}},
      {"upgrade over version 1",
       [](Platform& p) {
         InstallOn(p, "C:\\Setup1.exe", kDir, nullptr, nullptr);
         p.OpenKey(RegRoot::LocalMachine, kRunKey, true)->WriteString("app.exe", "C:\\Mine.exe");
       },
       "C:\\Setup2.exe",
       nullptr,
       {"file " + kDir + "\\readme.txt (10 bytes, 20", "replacing 10 bytes",
        "file " + app + " (11 bytes", "replacing 11 bytes",
        "keep " + kDir + "\\settings.ini (12 bytes", "not overwritten",
        "value HKEY_LOCAL_MACHINE\\" + kRunKey + " [app.exe] = \"\"" + app +
            "\"\" replacing \"C:\\Mine.exe\"",
        "value HKEY_CURRENT_USER\\Software\\Demo [Version] = \"2.0\" replacing \"1.0\"",
        "open " + app},
       {"folder " + kDir + "\n", "key HKEY_LOCAL_MACHINE\\" + kRunKey + "\n",
        "file " + kDir + "\\settings.ini"}},
      {"settings file of the user present",
       [](Platform& p) { WriteFile(p, kDir + "\\settings.ini", "mine"); },
       "C:\\Setup1.exe",
       nullptr,
       {"file " + app, "keep " + kDir + "\\settings.ini (4 bytes"},
       {"file " + kDir + "\\settings.ini", "folder " + kDir + "\n"}},
      {"component chosen",
       StageComponent,
       "C:\\Setup1.exe",
       [](TCompile& m) { AddComponent(m, true); },
       {"file " + app, "component-setup C:\\Staged\\Extra\\setup.exe", "open " + app},
       {}},
      {"component not chosen",
       StageComponent,
       "C:\\Setup1.exe",
       [](TCompile& m) { AddComponent(m, false); },
       {"file " + app, "open " + app},
       {"component-setup"}},
  };
  for (const Situation& s : situations) {
    SCOPED_TRACE(s.what);
    auto m = Sandbox();
    Platform& p = m->platform();
    PackageBuilder v1, v2;
    Product(v1, "1.0");
    Product(v2, "2.0");
    WriteFile(p, "C:\\Setup1.exe", v1.Build());
    WriteFile(p, "C:\\Setup2.exe", v2.Build());
    if (s.machine) s.machine(p);
    const Snapshot before = Take(*m);
    const auto regBefore = Registry(p);
    const size_t actionsBefore = ActionLines(*m).size();

    PlanningPlatform planning(p);
    InstallOn(planning, s.setup, kDir, s.choices, &planning);
    const InstallPlan plan = planning.Plan();
    const std::string text = "\n" + Lines(plan);
    const Snapshot planned = Take(*m);
    ASSERT_TRUE(before == planned) << "planning changed the machine:\n" << Diff(before, planned);
    EXPECT_EQ(ActionLines(*m).size(), actionsBefore);

    size_t at = 0;
    for (const std::string& line : s.expected) {
      const size_t found = text.find(line, at);
      ASSERT_NE(found, std::string::npos) << "missing in order: " << line << text;
      at = found + line.size();
    }
    for (const std::string& line : s.absent)
      EXPECT_EQ(text.find("\n" + line), std::string::npos) << "unexpected: " << line << text;
    EXPECT_EQ(plan.back().kind, PlanItem::Kind::Open) << "launches come last" << text;

    InstallOn(p, s.setup, kDir, s.choices, nullptr);
    const Snapshot after = Take(*m);
    std::vector<std::string> actions = ActionLines(*m);
    actions.erase(actions.begin(), actions.begin() + static_cast<std::ptrdiff_t>(actionsBefore));
    ExpectPlanApplied(plan, before, after, regBefore, Registry(p), actions);
  }
}

// The overlay itself: reads see the run's own changes, the machine never does.
TEST(InstallPlan, OverlayReadsItsOwnChangesAndLeavesTheMachineAlone) {
  auto m = Sandbox();
  Platform& p = m->platform();
  WriteFile(p, "C:\\Old\\a.txt", "OLD");
  p.OpenKey(RegRoot::CurrentUser, "Software\\Old", true)->WriteDword("n", 1);
  const Snapshot before = Take(*m);
  const auto regBefore = Registry(p);

  PlanningPlatform o(p);
  WriteFile(o, "C:\\New\\Deep\\b.txt", "NEW");
  EXPECT_TRUE(o.DirectoryExists("C:\\new\\deep"));
  EXPECT_FALSE(p.DirectoryExists("C:\\New"));
  auto in = o.OpenRead("C:\\NEW\\Deep\\B.TXT");
  std::string data(8, '\0');
  data.resize(in->Read(data.data(), data.size()));
  EXPECT_EQ(data, "NEW");
  // A folder the run only re-attributes still lists the machine's files.
  EXPECT_TRUE(o.SetFileAttributes("C:\\Old", attr::Directory));
  EXPECT_EQ(o.ListDirectory("C:\\Old"), std::vector<std::string>{"a.txt"});
  EXPECT_TRUE(o.DeleteFile("C:\\Old\\a.txt"));
  EXPECT_FALSE(o.FileExists("C:\\Old\\a.txt"));
  EXPECT_TRUE(o.ListDirectory("C:\\Old").empty());
  EXPECT_TRUE(o.RemoveDirectory("C:\\Old"));
  EXPECT_TRUE(o.CopyFileIfAbsent("C:\\New\\Deep\\b.txt", "C:\\New\\c.txt"));
  EXPECT_FALSE(o.CopyFileIfAbsent("C:\\New\\Deep\\b.txt", "C:\\New\\c.txt"));
  // A file made and removed again by the run (a staged file) is no change.
  WriteFile(o, "C:\\New\\staged.tmp", "T");
  EXPECT_TRUE(o.DeleteFile("C:\\New\\staged.tmp"));
  {
    auto key = o.OpenKey(RegRoot::CurrentUser, "Software\\Old", false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadValue("n")->data, std::string("\x01\0\0\0", 4));
    EXPECT_TRUE(key->WriteString("s", "text"));
    EXPECT_TRUE(key->DeleteValue("n"));
    EXPECT_FALSE(key->ValueExists("n"));
    EXPECT_EQ(key->ValueNames(), std::vector<std::string>{"s"});
  }
  EXPECT_TRUE(o.OpenKey(RegRoot::CurrentUser, "Software\\New\\Deep", true));
  EXPECT_TRUE(o.KeyExists(RegRoot::CurrentUser, "Software\\New"));
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, "Software\\New"));
  EXPECT_FALSE(o.DeleteKey(RegRoot::CurrentUser, "Software\\New"));  // it has a subkey
  EXPECT_TRUE(o.StartProgram("C:\\x.exe -Install", show::Normal));

  const std::string text = Lines(o.Plan());
  EXPECT_EQ(text,
            "folder C:\\New\n"
            "folder C:\\New\\Deep\n"
            "file C:\\New\\Deep\\b.txt (3 bytes, dated at the install) new\n"
            "delete-file C:\\Old\\a.txt (3 bytes, " +
                FileTimeText(*p.GetFileWriteTime("C:\\Old\\a.txt")) +
                ")\n"
                "remove-folder C:\\Old\n"
                "file C:\\New\\c.txt (3 bytes, dated at the install) new\n"
                "value HKEY_CURRENT_USER\\Software\\Old [s] = \"text\" new\n"
                "delete-value HKEY_CURRENT_USER\\Software\\Old [n] (was dword 1)\n"
                "key HKEY_CURRENT_USER\\Software\\New\n"
                "key HKEY_CURRENT_USER\\Software\\New\\Deep\n"
                "register C:\\x.exe -Install\n");
  const Snapshot after = Take(*m);
  EXPECT_TRUE(before == after) << Diff(before, after);
  EXPECT_EQ(Registry(p), regBefore);
}

TEST(InstallPlan, LargeFilesKeepOnlyTheirSize) {
  auto m = Sandbox();
  PlanningPlatform o(m->platform());
  const std::string chunk(1 << 20, 'x');
  auto out = o.CreateFile("C:\\big.bin");
  for (int64_t i = 0; i <= PlanningPlatform::kKeptFileBytes >> 20; ++i)
    out->Write(chunk.data(), chunk.size());
  out->Close();
  const int64_t size = PlanningPlatform::kKeptFileBytes + (1 << 20);
  EXPECT_TRUE(o.FileExists("C:\\big.bin"));
  EXPECT_THROW(o.OpenRead("C:\\big.bin"), Error);
  const InstallPlan plan = o.Plan();
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].file.size, size);
  EXPECT_FALSE(m->platform().FileExists("C:\\big.bin"));
}

// Paths and keys from a package are bounded as the system bounds them, without deep recursion.
TEST(InstallPlan, FolderAndKeyDepthsHaveTheSystemsBounds) {
  auto m = Sandbox();
  PlanningPlatform o(m->platform());
  auto levels = [](const std::string& first, size_t n) {
    std::string path = first;
    for (size_t i = 1; i < n; ++i) path += "\\k";
    return path;
  };
  const struct {
    const char* what;
    std::function<bool()> make;
    bool made;
  } cases[] = {
      {"key 512 levels deep",
       [&] { return o.CreateKey(RegRoot::CurrentUser, levels("Software", 512)); }, true},
      {"key 100000 levels deep",
       [&] { return o.CreateKey(RegRoot::CurrentUser, levels("Software", 100000)); }, false},
      {"folder path longer than the system allows",
       [&] { return o.ForceDirectories(levels("C:\\d", 20000)); }, false},
      {"folder 200 levels deep", [&] { return o.ForceDirectories(levels("C:\\d", 200)); }, true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.make(), c.made) << c.what;
  EXPECT_TRUE(o.KeyExists(RegRoot::CurrentUser, levels("Software", 512)));
  EXPECT_FALSE(m->platform().KeyExists(RegRoot::CurrentUser, "Software\\k"));
}

TEST(InstallPlan, FileTimesAndValuesReadAsText) {
  const struct {
    int64_t time;
    const char* text;
  } times[] = {{0, "1601-01-01 00:00:00 UTC"},
               {116444736000000000, "1970-01-01 00:00:00 UTC"},
               {130000000000000000, "2012-12-14 23:06:40 UTC"}};
  for (const auto& t : times) EXPECT_EQ(FileTimeText(t.time), t.text);
  const struct {
    RegValue value;
    const char* text;
  } values[] = {{{RegType::String, "a b"}, "\"a b\""},
                {{RegType::Dword, std::string("\x10\x27\0\0", 4)}, "dword 10000"},
                {{RegType::Dword, "xy"}, "hex:7879"},
                {{RegType::Binary, "\x01\xff"}, "hex:01ff"}};
  for (const auto& v : values) EXPECT_EQ(RegValueText(v.value), v.text);
}

}  // namespace
}  // namespace sk::test
