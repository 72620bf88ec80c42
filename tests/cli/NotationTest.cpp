// The manifest's targets, keys and shortcut folders written in package notation and read back by
// the engine: what a publisher names is where the install puts it.
#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/Registry.h"
#include "engine/Shortcuts.h"
#include "engine/TargetPaths.h"
#include "platform/Encoding.h"
#include "tools/setupkit/DefaultMachine.h"
#include "tools/setupkit/PackageNotation.h"

namespace sk::cli {
namespace {

std::string Gbk(const std::string& utf8) {
  return Utf8ToGbk(utf8).value();
}

TEST(PackageNotation, TargetsLandWhereTheManifestSays) {
  struct Case {
    const char* target;
    const char* installDir;
    const char* folder;  // what the engine makes of the notation
  };
  const Case cases[] = {
      {"{app}", "D:\\Soft\\App", "D:\\Soft\\App"},
      {"{app}/bin/x", "D:\\Soft\\App", "D:\\Soft\\App\\bin\\x"},
      {"{APP}\\data\\", "C:\\P", "C:\\P\\data"},
      {"{app}/中文", "C:\\P", "C:\\P\\中文"},
      {"{windows}", "D:\\App", "C:\\Windows"},
      {"{windows}/system32", "D:\\App", "C:\\Windows\\system32"},
      {"D:/Data/", "C:\\App", "D:\\Data"},
      {"e:\\Raw\\数据", "C:\\App", "e:\\Raw\\数据"},
      {"指定目录\\E:\\Raw", "C:\\App", "E:\\Raw"},  // already package notation
  };
  for (const Case& c : cases) {
    const std::string notation = Gbk(TargetNotation(c.target, false));
    EXPECT_EQ(ResolveTargetDir(notation, Gbk(c.installDir), "C:\\Windows"), Gbk(c.folder))
        << c.target << " -> " << GbkToUtf8(notation);
    // A folder item names its folder as TargetDir + "\" + Name.
    const std::string item = Gbk(TargetNotation(c.target, true)) + "\\new";
    EXPECT_EQ(ResolveTargetDir(item, Gbk(c.installDir), "C:\\Windows"), Gbk(c.folder) + "\\new")
        << c.target << " -> " << GbkToUtf8(item);
  }
}

TEST(PackageNotation, KeysOpenUnderTheirRoot) {
  struct Case {
    const char* key;
    RegRoot root;
    const char* path;
  };
  const Case cases[] = {
      {"HKLM\\SOFTWARE\\Demo\\", RegRoot::LocalMachine, "SOFTWARE\\Demo"},
      {"hkey_local_machine\\SOFTWARE", RegRoot::LocalMachine, "SOFTWARE"},
      {"HKCU\\Software\\键", RegRoot::CurrentUser, "Software\\键"},
      {"HKCR", RegRoot::ClassesRoot, ""},
      {"HKU\\.DEFAULT", RegRoot::Users, ".DEFAULT"},
      {"HKEY_CURRENT_CONFIG\\x", RegRoot::CurrentConfig, "x"},
      {"目标计算机\\hkcu\\x", RegRoot::CurrentUser, "x"},
  };
  for (const Case& c : cases) {
    const std::optional<KeySpec> parsed = ParseKeySpec(Gbk(KeyNotation(c.key)));
    ASSERT_TRUE(parsed) << c.key;
    EXPECT_EQ(parsed->root, c.root) << c.key;
    EXPECT_EQ(parsed->path, Gbk(c.path)) << c.key;
  }
}

TEST(PackageNotation, ShortcutFoldersResolveToTheShellFolders) {
  DefaultMachine machine;
  TInstallData options;
  options.StartMenuFolder = "Demo";
  const std::string programs = machine.GetSpecialFolderPath(2);
  const std::string appData = machine.GetSpecialFolderPath(26);
  const std::string desktop = machine.GetSpecialFolderPath(0);
  const std::tuple<const char*, const char*, std::string> cases[] = {
      {"start_menu", "", programs + "\\Demo"},
      {"start_menu", "/Tools/Help/", programs + "\\Demo\\Tools\\Help"},
      {"desktop", "", desktop},
      {"quick_launch", "Sub", appData + "\\Microsoft\\Internet Explorer\\Quick Launch\\Sub"},
  };
  for (const auto& [place, folder, expected] : cases) {
    const std::string notation = Gbk(ShortcutFolderNotation(place, folder));
    EXPECT_EQ(ResolveShortcutFolder(machine, options, notation), expected) << place << folder;
  }
}

TEST(PackageNotation, TextsThatNameNoTargetAreRefused) {
  for (const char* target : {"relative/x", "{app}/../x", "{app}/a//x", "{windows}/./x", "{apps}/x"})
    EXPECT_THROW(TargetNotation(target, false), std::invalid_argument) << target;
  for (const char* key : {"HKXX\\Soft", "", "Software\\x"})
    EXPECT_THROW(KeyNotation(key), std::invalid_argument) << key;
  EXPECT_THROW(ShortcutFolderNotation("taskbar", ""), std::invalid_argument);
  EXPECT_THROW(ShortcutFolderNotation("desktop", "a/../b"), std::invalid_argument);
  EXPECT_FALSE(IsShortcutPlace("taskbar"));
  EXPECT_TRUE(IsShortcutPlace("quick_launch"));
}

}  // namespace
}  // namespace sk::cli
