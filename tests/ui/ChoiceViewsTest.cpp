// The Win32 views of the choice pages and the folder picker under Wine: each page in a frame of
// the wizard's size shows what its logic holds, the check list hands every check change to the
// logic (however it was made), and the picker fills its edit from the tree and closes with
// Enter / Esc. A screenshot of every page and of the picker goes to the screenshot folder.
#include <gtest/gtest.h>

#include <windows.h>
// (after windows.h)
#include <commctrl.h>

#include "tests/e2e/Robot.h"
#include "tests/support/TestMachine.h"
#include "ui/win32/ComponentsView.h"
#include "ui/win32/FolderPicker.h"
#include "ui/win32/InstallFolderView.h"
#include "ui/win32/StartMenuView.h"
#include "ui/win32/TasksView.h"
#include "ui/win32/WizardWindow.h"

namespace sk::ui {
namespace {

using namespace choice_setting;

void Pump() {
  for (int i = 0; i < 20; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

int ScreenDpiForTest() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi;
}

std::string ShotPath(const std::string& name) {
  CreateDirectoryA(SK_SCREENSHOT_DIR, nullptr);
  return std::string(SK_SCREENSHOT_DIR) + "\\" + name + "-" + std::to_string(ScreenDpiForTest()) +
         "dpi.png";
}

// The page's built-in picture: 32 x 32 at 31, 67, drawn at the page's scale.
void ExpectBuiltInPicture(const TImage& image) {
  EXPECT_EQ(image.Picture.Width(), 32);
  EXPECT_EQ(image.Picture.Height(), 32);
  const int dpi = ScreenDpiForTest();
  const RECT b = image.Bounds();
  EXPECT_EQ(b.left, MulDiv(31, dpi, 96));
  EXPECT_EQ(b.top, MulDiv(67, dpi, 96));
  EXPECT_EQ(b.right - b.left, MulDiv(32, dpi, 96));
}

class ChoiceViewsTest : public ::testing::Test {
 protected:
  ChoiceViewsTest()
      : machine_(test::MakeTestMachine()),
        model_(machine_->platform()),
        frame_(L"TChoiceViewsFrame", 508, 331, WS_POPUP | WS_CAPTION | WS_SYSMENU),
        panel_(frame_, 0, 0, 508, 294) {
    context_.SetupDir = "C:\\Setup\\";
    context_.ItemName = model_.Package().ItemName = "\xCA\xBE\xC0\xFD\xB3\xCC\xD0\xF2";  // 示例程序
    frame_.SetText(
        "\xA1\xB0\xCA\xBE\xC0\xFD\xB3\xCC\xD0\xF2\xA1\xB1\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC");
    robot::MoveTo(frame_.Handle(), 40, 40);
    ShowWindow(frame_.Handle(), SW_SHOW);
  }
  void Setting(uint8_t group, const std::string& name, const std::string& value) {
    model_.Package().InfoList().push_back(
        std::make_unique<TCompileData>(TCompileData{name, value, group}));
  }
  void Shot(const std::string& name) {
    Pump();
    EXPECT_TRUE(robot::Screenshot(frame_.Handle(), ShotPath(name))) << name;
  }

  std::unique_ptr<test::TestMachine> machine_;
  TCompile model_;
  SetupContext context_;
  TForm frame_;
  TPanel panel_;
};

TEST_F(ChoiceViewsTest, StartFolderPage) {
  Setting(6, kDefaultFolderName, "\xCA\xBE\xC0\xFD\xB3\xCC\xD0\xF2");
  Setting(6, kShowOption, text::kEnabled);
  TfrmStartFolder page(panel_, context_);
  page.SetCompile(&model_);
  page.BringToFront();
  EXPECT_EQ(page.Edit1.Text(), "\xCA\xBE\xC0\xFD\xB3\xCC\xD0\xF2");
  EXPECT_TRUE(page.CheckBox1.Visible());
  EXPECT_TRUE(page.CheckBox1.Checked());
  ExpectBuiltInPicture(page.Image1);
  Shot("page4-start-folder");

  page.Edit1.SetText("Other");  // as typing does: the change reaches the model
  EXPECT_EQ(model_.Choices().Options.StartMenuFolder, "Other");
  robot::Click(page.CheckBox1.Handle());
  Pump();
  EXPECT_EQ(model_.Choices().Options.CreateStartMenu, 0);
}

TEST_F(ChoiceViewsTest, ComponentsPageReactsToEveryCheckChange) {
  model_.Package().Size = 3 << 20;
  model_.Package().CompList().push_back(
      std::make_unique<TCompileCompData>(TCompileCompData{"Docs", 1 << 20}));
  model_.Package().CompList().push_back(
      std::make_unique<TCompileCompData>(TCompileCompData{"Extras", 1 << 20}));
  TfrmSelComponent page(panel_, context_);
  page.SetCompile(&model_);
  page.BringToFront();
  HWND list = page.List_Component.Handle();
  ASSERT_EQ(page.List_Component.Count(), 3);
  RECT row{};
  ASSERT_TRUE(ListView_GetItemRect(list, 1, &row, LVIR_BOUNDS));
  EXPECT_EQ(row.bottom - row.top, frame_.Scale(18)) << "rows 18 pixels high, scaled";
  Shot("page5-components");

  ListView_SetCheckState(list, 1, FALSE);  // a state set from outside
  Pump();
  EXPECT_EQ(model_.Choices().ComponentList, (StringList{"Extras"}));
  EXPECT_EQ(model_.Choices().Options.TotalSize, 4 << 20);

  ListView_SetCheckState(list, 0, FALSE);  // the main program cannot be cleared
  Pump();
  EXPECT_TRUE(page.List_Component.Checked(0));

  // The Space key toggles the focused row.
  SetFocus(list);
  ListView_SetItemState(list, 2, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
  Pump();
  EXPECT_FALSE(page.List_Component.Checked(2));
  EXPECT_TRUE(model_.Choices().ComponentList.empty());
  EXPECT_EQ(model_.Choices().Options.TotalSize, model_.Package().Size);
}

TEST_F(ChoiceViewsTest, InstallFolderPageWithSearch) {
  Setting(8, kDefaultInstallPath, "[System ProgramFiles]\\\\Demo\\");
  Setting(8, kSearchKeys, "nothing-here-at-all.exe");
  model_.Choices().Options.TotalSize = 5 << 20;
  TfrmSelectInstallDir page(panel_, context_);
  page.SetCompile(&model_);
  page.BringToFront();
  EXPECT_TRUE(page.BitBtn2.Visible());
  EXPECT_EQ(model_.Choices().Options.InstallDir, page.Edit1.Text());
  EXPECT_FALSE(page.lDrvSize.Text().empty());
  ExpectBuiltInPicture(page.Image1);
  Shot("page6-install-folder");
  page.Edit1.SetText("D:\\Games\\");
  EXPECT_EQ(model_.Choices().Options.InstallDir, "D:\\Games");
}

TEST_F(ChoiceViewsTest, TasksPage) {
  Setting(9, kDesktop, text::kEnabled);
  Setting(9, kQuickLaunch, text::kEnabled);
  TfrmAddonsTask page(panel_, context_);
  page.SetCompile(&model_);
  page.BringToFront();
  EXPECT_TRUE(page.CheckBox1.Checked());
  EXPECT_TRUE(page.CheckBox2.Visible());
  Shot("page7-tasks");
  robot::Click(page.CheckBox1.Handle());
  Pump();
  EXPECT_EQ(model_.Choices().Options.CreateDesktop, 0);
}

// Every row of the page table has a view, registered under the row's class name.
TEST(PageViews, EveryPageHasAView) {
  PageRegistry registry;
  RegisterPageClasses(registry);
  for (const PageRow& row : kPageTable) {
    SCOPED_TRACE(row.ClassName);
    EXPECT_TRUE(PageView(row.Id));
    EXPECT_TRUE(registry.IsRegistered(row.ClassName));
  }
  UnregisterPageClasses(registry);
  EXPECT_EQ(registry.Size(), 0u);
}

TEST(FolderPickerView, TreeFillsTheEditAndKeysClose) {
  TfrmStartFolderInfo picker;
  picker.Kind = TStartFolderKindEnum::tfkFolder;
  picker.SetValue("C:\\Given");
  robot::MoveTo(picker.Handle(), 40, 40);
  ShowWindow(picker.Handle(), SW_SHOW);
  picker.OnShow();
  Pump();
  EXPECT_EQ(picker.Value(), "C:\\Given");
  HWND tree = picker.ShellTreeView1.Handle();
  HTREEITEM root = TreeView_GetRoot(tree);
  ASSERT_NE(root, nullptr);
  HTREEITEM child = TreeView_GetChild(tree, root);
  ASSERT_NE(child, nullptr) << "the desktop lists its folders when expanded";
  // Select the first child that is a file-system folder (its path fills the edit).
  std::string path;
  for (HTREEITEM item = child; item && path.empty(); item = TreeView_GetNextSibling(tree, item)) {
    TreeView_SelectItem(tree, item);
    path = picker.Value();
  }
  EXPECT_NE(path.find('\\'), std::string::npos) << path;
  EXPECT_TRUE(robot::Screenshot(picker.Handle(), ShotPath("picker")));

  picker.Kind = TStartFolderKindEnum::tfkStart;
  TreeView_SelectItem(tree, root);
  TreeView_SelectItem(tree, child);
  EXPECT_EQ(picker.Value().find('\\'), std::string::npos) << "a start-menu pick is one name";

  picker.SetValue("typed");
  PostMessageW(picker.Edit1.Handle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(picker.ShowModal(), TForm::mrOk);
  EXPECT_EQ(picker.Value(), "typed");
  PostMessageW(tree, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(picker.ShowModal(), TForm::mrCancel);
}

}  // namespace
}  // namespace sk::ui
