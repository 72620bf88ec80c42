// The choice pages of the wizard under Wine, driven by the robot like a user: all ten pages,
// with a new start-menu folder name, a component cleared (and the main program that cannot
// be), the folder picker (Esc, then a folder entered and OK) and the search for an existing
// installation on the C: drive, the desktop shortcut switched off; the ready page's summary;
// Back over every choice page finding each edit kept; then the install, checked on disk, in the
// registry and in the shortcuts. At 96 DPI and again at 144 DPI, with screenshots of every
// choice page and of the picker.
#include <gtest/gtest.h>

#include "package/SettingNames.h"
#include "platform/SystemHelpers.h"
#include "platform/win32/Win32Platform.h"
#include "tests/e2e/WizardRun.h"

namespace sk {
namespace {

using namespace e2e;

const std::string kBrowse = G("浏览(&B)...");
const std::string kSearch = G("搜索");
const std::string kMainProgram = G("主程序");
const std::string kStartFolderGiven = G("演示程序");
const std::string kStartFolderChosen = G("我的演示程序");

// Components: each copies one file (docs.txt / extras.txt) into `outDir` when chosen.
constexpr int64_t kMainSize = 300000;
constexpr int64_t kDocsSize = 1 << 20;
constexpr int64_t kExtrasSize = 2 << 20;

void Set(test::PackageBuilder& b, const SettingName& s, const std::string& value) {
  b.Setting(s.name, value, static_cast<uint8_t>(s.group));
}

std::string RegString(RegRoot root, const std::string& key, const std::string& name) {
  auto k = Win32Platform().OpenKey(root, key, false);
  if (!k) return "<no key>";
  auto v = k->ReadValue(name);
  return v ? v->data : "<no value>";
}

struct ChoicesRun : WizardRun {
  std::string serial = "sk-e2e-" + test::UniqueName();
  std::string regKey = machine->regKey();
  std::string outDir = machine->root() + "Out";
  std::string marker = "marker-" + test::UniqueName() + ".key";
  // The search finds the marker here; the files go to "App" below the install folder, so they
  // land in this folder itself when it is chosen.
  std::string found = machine->root() + "Old\\App";
  std::string picked = machine->root() + "Picked";  // typed into the picker
  std::string suffix;

  explicit ChoicesRun(const std::string& shotSuffix)
      : WizardRun(3, false, Target::InstallDir), suffix(shotSuffix) {
    using namespace setting;
    for (const SettingName* page :
         {&kPageStartMenu, &kPageComponents, &kPageInstallFolder, &kPageTasks})
      Set(b, *page, text::kEnabled);
    for (const SettingName* header :
         {&kStartMenuHeader, &kComponentsHeader, &kInstallFolderHeader, &kTasksHeader})
      Set(b, *header, "D:\\pics\\head.png");
    Set(b, kStartMenuFolder, kStartFolderGiven);
    Set(b, kStartMenuAllowChange, text::kEnabled);
    Set(b, kStartMenuShowOption, text::kEnabled);
    Set(b, kInstallFolderAllowChange, text::kEnabled);
    // A quoted name with a blank and a comma in it, then the marker after a blank.
    Set(b, kSearchKeywords, "\"not here, at all.exe\" " + marker);
    Set(b, kCreateDesktop, text::kEnabled);
    Set(b, kEnableUnIns, text::kEnabled);
    b.Serial(serial);
    // The files to install add up to kMainSize, the trailer's Size: a data file makes up the rest.
    b.File("D:\\src\\data.bin", target, std::string(kMainSize - b.FilesToInstallSize(), 'd'));
    b.File("D:\\src\\uninst.exe", target, "MZ uninstaller", kind::Uninstaller);
    b.RegValue(G("目标计算机\\HKEY_CURRENT_USER\\") + regKey, "Text", G("[安装目录]\\bin"));
    b.ShotCutFolders().push_back(G("开始菜单"));
    b.ShotCutFolders().push_back(G("桌面"));
    b.Shortcut(G("开始菜单"), kItem, "D:\\src\\demo.exe");
    b.Shortcut(G("桌面"), kItem, "D:\\src\\demo.exe");
    for (const auto& [name, size] :
         {std::pair<std::string, int64_t>{"Docs", kDocsSize}, {"Extras", kExtrasSize}}) {
      b.Component(name, size);
      const std::string folder = "D:\\comp\\" + name + "\\";
      const std::string file = LowerAscii(name) + ".txt";
      b.File(folder + name + ".ini", folder,
             "[RegistryList]\r\nRegtype=Copy\r\n[SysDirList]\r\n" + file + "=" + outDir + "\\" +
                 file + "\r\n",
             kind::CompFile)
          .Name = name;
      b.File(folder + file, folder, name + " of the component", kind::CompFile).Name = name;
    }
    EXPECT_TRUE(p.ForceDirectories(outDir));
    EXPECT_TRUE(p.ForceDirectories(found));
    auto out = p.CreateFile(found + "\\" + marker);
    out->Write("x", 1);
    out->Close();
    // The start-menu folders this run looks at start absent: other tests of the shared prefix
    // make a folder of the product's name (the given one) as well.
    RemoveStartMenuFolders();
  }

  ~ChoicesRun() {
    // Leave the shared prefix as it was.
    robot::DeleteMachineKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + serial);
    RemoveStartMenuFolders();
    p.DeleteFile(p.GetSpecialFolderPath(0) + "\\" + kItem + ".lnk");
  }

  void RemoveStartMenuFolders() {
    const std::string programs = p.GetSpecialFolderPath(2);
    for (const std::string& folder : {kStartFolderChosen, kStartFolderGiven}) {
      for (const std::string& name : p.ListDirectory(programs + "\\" + folder))
        p.DeleteFile(programs + "\\" + folder + "\\" + name);
      p.RemoveDirectory(programs + "\\" + folder);
    }
  }

  // Goes on with Next (or I agree) from the current page to the page of class `cls`.
  HWND NextTo(const std::string& cls, const std::string& button = kNext) {
    Press(button);
    return Page(cls);
  }
  HWND Edit(HWND page) { return robot::VisibleDescendant(page, "Edit"); }
  HWND CheckBox(HWND page, const std::string& text) {
    for (HWND h : robot::Descendants(page, "Button"))
      if (robot::TextOf(h) == text) return h;
    return nullptr;
  }
  bool WaitText(HWND hwnd, const std::string& text) {
    return robot::WaitUntil([&] { return robot::TextOf(hwnd) == text; }, kTimeout);
  }
  void ShotPage(const std::string& name) {
    Settle();
    Shot(wizard, "choices-" + name + suffix);
  }
  // The display's DPI as the wizard took it (its client area is 508 pixels wide at 96 DPI).
  int Dpi() {
    int width = 0, height = 0;
    robot::ClientSize(wizard, width, height);
    return (width * 96 + 254) / 508;
  }
  std::string SpaceText(int64_t bytes) { return G("所需空间大小 ") + FormatSize(bytes); }
};

// Opens the picker with Browse and waits for its window and its tree's top node.
HWND OpenPicker(ChoicesRun& w, HWND page) {
  HWND browse = robot::ButtonWithText(page, kBrowse);
  EXPECT_NE(browse, nullptr);
  if (!browse) return nullptr;
  robot::Click(browse);
  HWND picker = robot::WaitWindow(w.proc->Id(), "TfrmStartFolderInfo", "", kTimeout);
  EXPECT_NE(picker, nullptr) << "no folder picker";
  if (!picker) return nullptr;
  EXPECT_EQ(robot::TextOf(picker), G("浏览文件夹"));
  HWND tree = robot::VisibleDescendant(picker, "SysTreeView32");
  EXPECT_TRUE(
      robot::WaitUntil([&] { return !robot::TreeChildren(tree, nullptr).empty(); }, kTimeout));
  return picker;
}

bool PickerClosed(ChoicesRun& w) {
  return robot::WaitUntil(
      [&] { return robot::TopWindows(w.proc->Id(), "TfrmStartFolderInfo").empty(); }, kTimeout);
}

void StartMenuPage(ChoicesRun& w) {
  HWND page = w.NextTo("TfrmStartFolder");
  ASSERT_NE(page, nullptr);
  HWND edit = w.Edit(page);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(robot::TextOf(edit), kStartFolderGiven);
  HWND create = w.CheckBox(page, G("创建开始菜单的快捷方式"));
  ASSERT_NE(create, nullptr);
  EXPECT_TRUE(robot::IsVisible(create));
  EXPECT_TRUE(robot::IsChecked(create));
  w.ShotPage("start-folder");

  // The picker over the start menu: a pick is one folder name; Esc keeps the page's folder.
  HWND picker = OpenPicker(w, page);
  ASSERT_NE(picker, nullptr);
  HWND pickerEdit = robot::VisibleDescendant(picker, "Edit");
  HWND tree = robot::VisibleDescendant(picker, "SysTreeView32");
  EXPECT_EQ(robot::TextOf(pickerEdit), kStartFolderGiven);
  const auto top = robot::TreeChildren(tree, nullptr);
  ASSERT_EQ(top.size(), 1u) << "one top node: the start-menu programs folder";
  robot::TreeSelect(tree, top[0]);
  EXPECT_TRUE(
      robot::WaitUntil([&] { return robot::TextOf(pickerEdit) != kStartFolderGiven; }, kTimeout));
  EXPECT_EQ(robot::TextOf(pickerEdit).find('\\'), std::string::npos) << robot::TextOf(pickerEdit);
  robot::PressKey(pickerEdit, robot::kKeyEscape);
  ASSERT_TRUE(PickerClosed(w));
  EXPECT_EQ(robot::TextOf(edit), kStartFolderGiven);

  robot::SetText(edit, kStartFolderChosen);
}

void ComponentsPage(ChoicesRun& w) {
  HWND page = w.NextTo("TfrmSelComponent");
  ASSERT_NE(page, nullptr);
  HWND list = robot::VisibleDescendant(page, "SysListView32");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(robot::ListRowCount(list), 3);
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(robot::ListRowChecked(list, row)) << row;
  EXPECT_TRUE(w.HasLabel(page, w.SpaceText(kMainSize + kDocsSize + kExtrasSize)));
  w.ShotPage("components");

  // Space on the main program: it is checked again at once and the space stays.
  robot::PressKey(list, robot::kKeyHome);
  robot::PressKey(list, robot::kKeySpace);
  w.Settle();
  EXPECT_TRUE(robot::ListRowChecked(list, 0));
  EXPECT_TRUE(w.HasLabel(page, w.SpaceText(kMainSize + kDocsSize + kExtrasSize)));
  // Down to "Docs" and Space: cleared, and the space needed drops by its size.
  robot::PressKey(list, robot::kKeyDown);
  robot::PressKey(list, robot::kKeySpace);
  EXPECT_TRUE(robot::WaitUntil([&] { return !robot::ListRowChecked(list, 1); }, kTimeout));
  EXPECT_TRUE(robot::WaitUntil(
      [&] { return w.HasLabel(page, w.SpaceText(kMainSize + kExtrasSize)); }, kTimeout));
  EXPECT_TRUE(robot::ListRowChecked(list, 0));
  EXPECT_TRUE(robot::ListRowChecked(list, 2));
}

void InstallFolderPage(ChoicesRun& w) {
  HWND page = w.NextTo("TfrmSelectInstallDir");
  ASSERT_NE(page, nullptr);
  HWND edit = w.Edit(page);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(robot::TextOf(edit), w.app);
  EXPECT_TRUE(w.HasLabel(page, FormatSize(kMainSize + kExtrasSize)))
      << "the needed space follows the components page";
  HWND search = robot::ButtonWithText(page, kSearch);
  ASSERT_NE(search, nullptr);
  EXPECT_TRUE(robot::IsVisible(search));
  w.ShotPage("install-folder");

  // The picker over the desktop: Esc changes nothing.
  HWND picker = OpenPicker(w, page);
  ASSERT_NE(picker, nullptr);
  int width = 0, height = 0;
  robot::ClientSize(picker, width, height);
  const int dpi = w.Dpi();
  EXPECT_EQ(width, (363 * dpi + 48) / 96);
  EXPECT_EQ(height, (330 * dpi + 48) / 96);
  HWND pickerEdit = robot::VisibleDescendant(picker, "Edit");
  EXPECT_EQ(robot::TextOf(pickerEdit), w.app);
  robot::PressKey(pickerEdit, robot::kKeyEscape);
  ASSERT_TRUE(PickerClosed(w));
  EXPECT_EQ(robot::TextOf(edit), w.app);

  // Again: a folder of the tree fills in its path; a folder typed over it and Enter is OK.
  picker = OpenPicker(w, page);
  ASSERT_NE(picker, nullptr);
  pickerEdit = robot::VisibleDescendant(picker, "Edit");
  HWND tree = robot::VisibleDescendant(picker, "SysTreeView32");
  const auto top = robot::TreeChildren(tree, nullptr);
  ASSERT_EQ(top.size(), 1u) << "one top node: the desktop";
  bool gotPath = false;
  for (robot::TreeNode node : robot::TreeChildren(tree, top[0])) {
    robot::TreeSelect(tree, node);
    w.Settle();
    const std::string path = robot::TextOf(pickerEdit);
    if (path.size() > 3 && path[1] == ':' && path[2] == '\\') {
      gotPath = true;
      break;
    }
  }
  EXPECT_TRUE(gotPath) << "no folder of the desktop gave a path";
  w.Settle();
  Shot(picker, "choices-picker" + w.suffix);
  robot::SetText(pickerEdit, w.picked);
  robot::PressKey(pickerEdit, robot::kKeyReturn);
  ASSERT_TRUE(PickerClosed(w));
  EXPECT_TRUE(w.WaitText(edit, w.picked));

  // The search walks the fixed drives and finds the folder that holds the marker.
  robot::Click(search);
  EXPECT_TRUE(w.WaitText(edit, w.found)) << robot::TextOf(edit);
  EXPECT_TRUE(robot::TopWindows(w.proc->Id(), "#32770").empty()) << "a box came up";
  EXPECT_TRUE(robot::IsEnabled(search));
}

void TasksPage(ChoicesRun& w) {
  HWND page = w.NextTo("TfrmAddonsTask");
  ASSERT_NE(page, nullptr);
  HWND desktop = w.CheckBox(page, G("创建桌面快捷方式"));
  HWND quickLaunch = w.CheckBox(page, G("创建快速启动栏快捷方式"));
  ASSERT_NE(desktop, nullptr);
  ASSERT_NE(quickLaunch, nullptr);
  EXPECT_TRUE(robot::IsVisible(desktop));
  EXPECT_TRUE(robot::IsChecked(desktop));
  EXPECT_FALSE(robot::IsVisible(quickLaunch)) << "not offered by the package";
  w.ShotPage("tasks");
  robot::Click(desktop);
  EXPECT_TRUE(robot::WaitUntil([&] { return !robot::IsChecked(desktop); }, kTimeout));
}

std::string ExpectedSummary(const ChoicesRun& w) {
  return G("\r\n  “演示程序”安装到“") + w.found + G("”文件夹下\r\n\r\n") +
         G("  创建快捷方式到开始菜单的“") + kStartFolderChosen + G("”文件夹中\r\n\r\n");
}

// Back from the ready page over every choice page: each shows what the user left there.
void BackOverTheChoices(ChoicesRun& w) {
  w.Press(kBack);
  HWND tasks = w.Page("TfrmAddonsTask");
  ASSERT_NE(tasks, nullptr);
  EXPECT_FALSE(robot::IsChecked(w.CheckBox(tasks, G("创建桌面快捷方式"))));
  w.Press(kBack);
  HWND folder = w.Page("TfrmSelectInstallDir");
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(robot::TextOf(w.Edit(folder)), w.found);
  w.Press(kBack);
  HWND components = w.Page("TfrmSelComponent");
  ASSERT_NE(components, nullptr);
  HWND list = robot::VisibleDescendant(components, "SysListView32");
  ASSERT_EQ(robot::ListRowCount(list), 3);
  EXPECT_TRUE(robot::ListRowChecked(list, 0));
  EXPECT_FALSE(robot::ListRowChecked(list, 1));
  EXPECT_TRUE(robot::ListRowChecked(list, 2));
  EXPECT_TRUE(w.HasLabel(components, w.SpaceText(kMainSize + kExtrasSize)));
  w.Press(kBack);
  HWND start = w.Page("TfrmStartFolder");
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(robot::TextOf(w.Edit(start)), kStartFolderChosen);
  EXPECT_TRUE(robot::IsChecked(w.CheckBox(start, G("创建开始菜单的快捷方式"))));
  for (const char* cls : {"TfrmSelComponent", "TfrmSelectInstallDir", "TfrmAddonsTask"})
    ASSERT_NE(w.NextTo(cls), nullptr) << cls;
}

void CheckTheInstall(ChoicesRun& w) {
  // The program went to the folder the search found, not to the default one.
  EXPECT_EQ(test::ReadHostFile(w.found + "\\demo.exe"), "MZ demo program");
  EXPECT_EQ(test::ReadHostFile(w.found + "\\f2.txt"), "file 2");
  EXPECT_FALSE(w.p.DirectoryExists(w.app));
  EXPECT_FALSE(w.p.DirectoryExists(w.picked));
  // Only the component left checked was set up.
  EXPECT_EQ(test::ReadHostFile(w.outDir + "\\extras.txt"), "Extras of the component");
  EXPECT_FALSE(w.p.FileExists(w.outDir + "\\docs.txt"));
  // The registry: the install folder in a value and in the Uninstall entry.
  EXPECT_EQ(RegString(RegRoot::CurrentUser, w.regKey, "Text"), w.found + "\\bin");
  const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + w.serial;
  EXPECT_EQ(RegString(RegRoot::LocalMachine, entry, "Install Dir"), w.found);
  // Shortcuts: in the chosen start-menu folder, none in the given one, none on the desktop.
  const std::string programs = w.p.GetSpecialFolderPath(2) + "\\";
  const auto link = w.p.ReadShellLink(programs + kStartFolderChosen + "\\" + kItem + ".lnk");
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(LowerAscii(link->target), LowerAscii(w.found + "\\demo.exe"));
  EXPECT_FALSE(w.p.DirectoryExists(programs + kStartFolderGiven));
  EXPECT_FALSE(w.p.FileExists(w.p.GetSpecialFolderPath(0) + "\\" + kItem + ".lnk"));
}

// From the welcome page of a started run to the end of the install.
void WalkTheChoices(ChoicesRun& w) {
  ASSERT_NE(w.Page("TfrmFist"), nullptr);
  ASSERT_NE(w.NextTo("TfrmProtocol"), nullptr);
  ASSERT_NE(w.NextTo("TfrmSoftExplaion", kAgree), nullptr);
  ASSERT_NO_FATAL_FAILURE(StartMenuPage(w));
  ASSERT_NO_FATAL_FAILURE(ComponentsPage(w));
  ASSERT_NO_FATAL_FAILURE(InstallFolderPage(w));
  ASSERT_NO_FATAL_FAILURE(TasksPage(w));
  HWND ready = w.NextTo("TfrmReadyIns");
  ASSERT_NE(ready, nullptr);
  EXPECT_EQ(w.EditText(ready), ExpectedSummary(w));
  ASSERT_NO_FATAL_FAILURE(BackOverTheChoices(w));
  ready = w.NextTo("TfrmReadyIns");
  ASSERT_NE(ready, nullptr);
  EXPECT_EQ(w.EditText(ready), ExpectedSummary(w));

  ASSERT_NE(w.NextTo("TfrmEndIns"), nullptr);
  w.Press(kFinish);
  HWND box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  robot::PressDialogButton(box, robot::kIdOk);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  EXPECT_EQ(w.proc->ExitCode(), 0u);
  CheckTheInstall(w);
}

TEST(ChoicesE2e, EveryChoiceIsKeptAndInstalled) {
  ChoicesRun w("");
  ASSERT_NO_FATAL_FAILURE(w.Start());
  WalkTheChoices(w);
}

TEST(ChoicesE2e, EveryChoiceIsKeptAndInstalledAt144Dpi) {
  const DisplayDpi dpi(144);
  ChoicesRun w("-144dpi");
  ASSERT_NO_FATAL_FAILURE(w.Start());
  if (w.Dpi() == 96) GTEST_SKIP() << "this Wine does not take the DPI from the registry";
  EXPECT_EQ(w.Dpi(), 144);
  WalkTheChoices(w);
}

// Started with switches but not silent, the wizard's choice pages start from them; the user
// still sees them and may change them.
TEST(ChoicesE2e, SwitchesAreThePagesStartingState) {
  ChoicesRun w("");
  ASSERT_NO_FATAL_FAILURE(w.Start("/GROUP=" + kStartFolderChosen +
                                  " /COMPONENTS=extras /TASKS=!desktop /D=" + w.picked +
                                  " with blanks"));
  ASSERT_NE(w.Page("TfrmFist"), nullptr);
  ASSERT_NE(w.NextTo("TfrmProtocol"), nullptr);
  ASSERT_NE(w.NextTo("TfrmSoftExplaion", kAgree), nullptr);
  HWND start = w.NextTo("TfrmStartFolder");
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(robot::TextOf(w.Edit(start)), kStartFolderChosen);
  HWND components = w.NextTo("TfrmSelComponent");
  ASSERT_NE(components, nullptr);
  HWND list = robot::VisibleDescendant(components, "SysListView32");
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(robot::ListRowChecked(list, 0));
  EXPECT_FALSE(robot::ListRowChecked(list, 1));  // Docs
  EXPECT_TRUE(robot::ListRowChecked(list, 2));   // Extras
  HWND folder = w.NextTo("TfrmSelectInstallDir");
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(robot::TextOf(w.Edit(folder)), w.picked + " with blanks");
  w.ShotPage("install-folder-from-switch");
  HWND tasks = w.NextTo("TfrmAddonsTask");
  ASSERT_NE(tasks, nullptr);
  HWND desktop = w.CheckBox(tasks, G("创建桌面快捷方式"));
  ASSERT_NE(desktop, nullptr);
  EXPECT_FALSE(robot::IsChecked(desktop));
  robot::PostClose(w.wizard);
  HWND box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  robot::PressDialogButton(box, robot::kIdYes);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
  EXPECT_FALSE(w.p.DirectoryExists(w.picked + " with blanks"));
}

// A search that finds nothing walks every fixed drive (under Wine also Z:, the host's root),
// which takes a while: meanwhile the page is disabled but Back and Next work; leaving the page
// ends the search without its message, as a close of the wizard does, and the folder stays.
TEST(ChoicesE2e, SearchEndsWhenThePageIsLeftOrTheWizardClosed) {
  ChoicesRun w("");
  Set(w.b, setting::kSearchKeywords, "absent-" + test::UniqueName() + ".key");
  ASSERT_NO_FATAL_FAILURE(w.Start());
  ASSERT_NE(w.Page("TfrmFist"), nullptr);
  ASSERT_NE(w.NextTo("TfrmProtocol"), nullptr);
  for (const auto& [cls, button] : {std::pair{"TfrmSoftExplaion", kAgree},
                                    {"TfrmStartFolder", kNext},
                                    {"TfrmSelComponent", kNext}})
    ASSERT_NE(w.NextTo(cls, button), nullptr) << cls;
  HWND page = w.NextTo("TfrmSelectInstallDir");
  ASSERT_NE(page, nullptr);
  HWND edit = w.Edit(page);
  HWND search = robot::ButtonWithText(page, kSearch);
  ASSERT_NE(search, nullptr);
  auto searching = [&] { return !robot::IsEnabled(edit); };
  auto noBox = [&] { return robot::TopWindows(w.proc->Id(), "#32770").empty(); };

  robot::Click(search);
  ASSERT_TRUE(robot::WaitUntil(searching, kTimeout, 5));
  EXPECT_TRUE(robot::IsEnabled(w.Button(kBack)));
  EXPECT_TRUE(robot::IsEnabled(w.Button(kNext)));
  w.Press(kBack);
  EXPECT_NE(w.Page("TfrmSelComponent"), nullptr);
  EXPECT_TRUE(robot::WaitUntil([&] { return !searching(); }, kTimeout));
  w.Settle();
  EXPECT_TRUE(noBox()) << "a message came up";
  ASSERT_EQ(w.NextTo("TfrmSelectInstallDir"), page);
  EXPECT_EQ(robot::TextOf(edit), w.app);

  robot::Click(search);
  ASSERT_TRUE(robot::WaitUntil(searching, kTimeout, 5));
  robot::PostClose(w.wizard);
  EXPECT_TRUE(robot::WaitUntil([&] { return !searching(); }, kTimeout));
  w.Settle();
  EXPECT_TRUE(noBox()) << "the close asked its question or the search its message";
  EXPECT_TRUE(w.proc->Running());
  EXPECT_EQ(robot::TextOf(edit), w.app);
  robot::PostClose(w.wizard);  // now the close asks
  HWND box = robot::WaitMessageBox(w.proc->Id(), kTimeout);
  ASSERT_NE(box, nullptr);
  robot::PressDialogButton(box, robot::kIdYes);
  ASSERT_TRUE(w.proc->WaitExit(kTimeout));
}

}  // namespace
}  // namespace sk
