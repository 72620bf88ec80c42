// Component package setup files on the sandbox machine: installer runs, registry presence
// tests, copies into the Windows folder.
#include <gtest/gtest.h>

#include <fstream>
#include <utility>
#include <vector>

#include "engine/ComponentSetup.h"
#include "tests/engine/InstallTestSupport.h"

namespace sk::test {
namespace {

struct Component {
  std::string name;
  bool chosen;
  // Staged file name -> content, in FileList order: a file whose name merely ends with the
  // wanted name comes first, so a loose match would pick it.
  std::vector<std::pair<std::string, std::string>> files;
};

TEST(ComponentSetups, RunCopyOrSkip) {
  auto m = MakeSandboxMachine();
  Platform& p = m->platform();
  TCompile model(p);
  const std::string staged = m->root() + "Comp\\";
  const Component components[] = {
      {"Base", true, {{"Base.ini", "[Option]\r\nExeFile=setup.exe\r\n"}, {"setup.exe", "x"}}},
      {"Present",
       true,
       {{"Present.ini",
         "[Term]\r\nRegRun=HKEY_LOCAL_MACHINE\\Software\\P\\Ver\r\n[Option]\r\nExeFile=s.exe\r\n"},
        {"s.exe", "x"}}},
      {"Copy",
       true,
       {{"Copy.ini",
         "[RegistryList]\r\nRegtype=system\r\n[SysDirList]\r\na.dll=[System Directory]\\\\a.dll\r\n"
         "y.dll=[System Directory]\\\\y.dll\r\nmissing.dll=[System Directory]\\\\m.dll\r\n"},
        {"data.dll", "DATA"},
        {"\x95\x5C"
         "a.dll",
         "TRAIL"},  // its first character's trail byte is "\"
        {"a.dll", "A"},
        {"y.dll", "NEW"}}},
      {"NoExe", true, {{"NoExe.ini", "[Option]\r\n"}, {"other.exe", "x"}}},
      {"Skipped", false, {{"Skipped.ini", "[Option]\r\nExeFile=skip.exe\r\n"}, {"skip.exe", "x"}}},
  };
  for (const Component& c : components) {
    model.Package().CompList().push_back(
        std::make_unique<TCompileCompData>(TCompileCompData{c.name, 0}));
    if (c.chosen) model.Choices().ComponentList.push_back(LowerAscii(c.name));
    ASSERT_TRUE(p.ForceDirectories(staged + c.name));
    for (const auto& [file, content] : c.files) {
      auto item = std::make_unique<TCompileFileData>();
      item->Kind = kind::CompFile;
      item->Name = c.name;
      item->SourcePath = staged + c.name + "\\" + file;
      auto out = p.CreateFile(item->SourcePath);
      out->Write(content.data(), content.size());
      out->Close();
      model.Package().FileList().push_back(std::move(item));
    }
  }
  p.OpenKey(RegRoot::LocalMachine, "Software\\P", true)->WriteString("Ver", "1");
  {
    auto out = p.CreateFile("C:\\Windows\\y.dll");
    out->Write("OLD", 3);
    out->Close();
  }

  RunComponentSetups(model.Package(), model.Choices());

  std::ifstream in(m->sandbox()->ActionsLogPath());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("ShellExecuteAndWait"), std::string::npos);
  EXPECT_NE(lines[0].find("Comp\\Base\\setup.exe"), std::string::npos) << lines[0];

  auto read = [&](const std::string& path) {
    auto s = p.OpenRead(path);
    std::string d(static_cast<size_t>(s->Size()), '\0');
    d.resize(s->Read(d.data(), d.size()));
    return d;
  };
  EXPECT_EQ(read("C:\\Windows\\a.dll"), "A");  // the file itself, not data.dll
  EXPECT_EQ(read("C:\\Windows\\y.dll"), "OLD");
  EXPECT_FALSE(p.FileExists("C:\\Windows\\m.dll"));
}

TEST(ComponentSetups, RegValueSpecs) {
  auto m = MakeSandboxMachine();
  Platform& p = m->platform();
  auto k = p.OpenKey(RegRoot::CurrentUser, "Software\\Q", true);
  k->WriteString("Full", "yes");
  k->WriteString("Empty", "");
  k->WriteDword("Num", 0);
  p.OpenKey(RegRoot::CurrentUser, "", false)->WriteString("Top", "t");
  const std::pair<std::string, bool> cases[] = {
      {"HKEY_CURRENT_USER\\Software\\Q\\Full", true},
      {"hkey_current_user\\Software\\Q\\Full", true},
      {"HKEY_CURRENT_USER\\Software\\Q\\Empty", false},
      {"HKEY_CURRENT_USER\\Software\\Q\\Num", true},  // a non-string value counts as present
      {"HKEY_CURRENT_USER\\Software\\Q\\None", false},
      {"HKEY_CURRENT_USER\\Software\\Nokey\\Full", false},
      {"HKEY_CURRENT_USER\\Top", true},
      {"HKCU\\Software\\Q\\Full", false},
      {"", false},
  };
  for (const auto& [valuePath, expected] : cases)
    EXPECT_EQ(RegValueExists(p, valuePath), expected) << valuePath;
}

}  // namespace
}  // namespace sk::test
