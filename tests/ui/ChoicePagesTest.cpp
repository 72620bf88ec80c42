// The choice pages' logic on a sandbox machine: what each page shows, what it writes into the
// model when it fills and when the user acts, and that later visits keep the edits.
#include <gtest/gtest.h>

#include <limits>

#include "package/ByteSize.h"
#include "platform/SystemHelpers.h"
#include "tests/support/TestMachine.h"
#include "ui/ChoicePages.h"
#include "ui/ChoicePaths.h"

namespace sk {
namespace {

using namespace choice_setting;

const std::string kOn = text::kEnabled;
const std::string kOff = "\xBD\xFB\xD3\xC3";  // 禁用

class ChoicePagesTest : public ::testing::Test {
 protected:
  ChoicePagesTest()
      : machine_(test::MakeSandboxMachine([](SandboxConfig& c) {
          c.drives = {{'C', int64_t{3} << 30}, {'D', 1536}};
        })),
        model_(machine_->platform()) {
    context_.SetupDir = "C:\\Setup\\";
    model_.Package().ItemName = "Demo";
  }
  void Setting(uint8_t group, const std::string& name, const std::string& value) {
    model_.Package().InfoList().push_back(
        std::make_unique<TCompileData>(TCompileData{name, value, group}));
  }
  void Component(const std::string& name, int64_t size) {
    model_.Package().CompList().push_back(
        std::make_unique<TCompileCompData>(TCompileCompData{name, size}));
  }

  std::unique_ptr<test::TestMachine> machine_;
  TCompile model_;
  SetupContext context_;
};

TEST_F(ChoicePagesTest, ResolveDefaultPath) {
  Platform& p = machine_->platform();
  struct Case {
    std::string text, want;
  } cases[] = {
      {"[System ProgramFiles]\\Maker\\\\Product\\", "C:\\Program Files\\Maker\\Product"},
      {"[system programfiles]", "C:\\Program Files"},
      {"\\[System ProgramFiles]\\A", "C:\\Program Files\\A"},  // leading separators are dropped
      {"[Run]", "C:\\Setup"},
      {"[RUN]\\\\sub\\", "C:\\Setup\\sub"},
      {"D:\\Games\\\\Demo\\", "D:\\Games\\\\Demo\\"},  // neither placeholder: as stored
      {"[Run]x\\y", "[Run]x\\y"},
      {"", ""},
      {"\\\\", "\\\\"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResolveDefaultPath(p, "C:\\Setup\\", c.text), c.want) << c.text;
}

TEST_F(ChoicePagesTest, FreeSpaceNeedsADriveLetter) {
  Platform& p = machine_->platform();
  EXPECT_EQ(InstallDirFreeSpace(p, "C:\\Program Files\\Demo"), int64_t{3} << 30);
  EXPECT_EQ(InstallDirFreeSpace(p, "d:"), 1536);
  for (const char* folder : {"", "\\\\server\\share\\Demo", "Demo", "C", "E:\\x", "1:\\x"})
    EXPECT_EQ(InstallDirFreeSpace(p, folder), -1) << folder;
}

TEST_F(ChoicePagesTest, StartFolderPageFillsOnceAndWritesEveryChange) {
  Setting(6, kTitlePicture, "C:\\pics\\title.png");
  Setting(6, kDefaultFolderName, "Demo Suite");
  Setting(6, kFolderEditable, kOff);
  Setting(6, kShowOption, kOn);
  model_.Choices().Options.CreateStartMenu = 1;

  StartFolderPage page;
  EXPECT_FALSE(page.Load(nullptr));
  ASSERT_TRUE(page.Load(&model_));
  EXPECT_EQ(page.TitlePicture(), "C:\\pics\\title.png");
  EXPECT_EQ(page.Folder(), "Demo Suite");
  EXPECT_EQ(model_.Choices().Options.StartMenuFolder, "Demo Suite");
  EXPECT_FALSE(page.Editable());
  EXPECT_TRUE(page.OptionShown());
  EXPECT_TRUE(page.CreateStartMenu());
  EXPECT_EQ(page.PickerRoot(), "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");

  page.SetFolder("Other");
  page.SetCreateStartMenu(false);
  EXPECT_EQ(model_.Choices().Options.StartMenuFolder, "Other");
  EXPECT_EQ(model_.Choices().Options.CreateStartMenu, 0);

  // A later visit keeps the edits.
  EXPECT_FALSE(page.Load(&model_));
  EXPECT_EQ(page.Folder(), "Other");
  EXPECT_FALSE(page.CreateStartMenu());
}

TEST_F(ChoicePagesTest, StartFolderPageOptionOnlyWhenEnabledAndCheckFollowsModel) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> settings;
    uint8_t createStartMenu;
    bool editable, shown;
  } cases[] = {
      {{}, 1, true, false},
      {{{kFolderEditable, kOn}, {kShowOption, ""}}, 0, true, false},
      {{{kShowOption, kOn}, {kShowOption, kOff}}, 1, true, false},     // package order: last wins
      {{{"\xD4\xCA\xD0\xED\xD3\xC3\xBB\xA7", kOff}}, 1, true, false},  // unknown name
  };
  for (const Case& c : cases) {
    TCompile model(machine_->platform());
    for (const auto& [name, value] : c.settings)
      model.Package().InfoList().push_back(
          std::make_unique<TCompileData>(TCompileData{name, value, 6}));
    model.Choices().Options.CreateStartMenu = c.createStartMenu;
    model.Choices().Options.StartMenuFolder = "kept";
    StartFolderPage page;
    page.Load(&model);
    EXPECT_EQ(page.Editable(), c.editable);
    EXPECT_EQ(page.OptionShown(), c.shown);
    EXPECT_EQ(page.CreateStartMenu(), c.createStartMenu == 1);
    EXPECT_EQ(model.Choices().Options.CreateStartMenu, c.createStartMenu);
    EXPECT_EQ(model.Choices().Options.StartMenuFolder, "kept")
        << "no folder setting: the model's own";
  }
}

TEST_F(ChoicePagesTest, ComponentsPageKeepsTheMainProgramAndSumsIn64Bits) {
  model_.Package().Size = int64_t{5} << 30;  // beyond 32 bits on its own
  Component("Docs", int64_t{3} << 30);
  Component("Extras", 2048);
  model_.Choices().ComponentList = {"stale"};

  SelComponentPage page;
  ASSERT_TRUE(page.Load(&model_));
  ASSERT_EQ(page.Rows().size(), 3u);
  EXPECT_EQ(page.Rows()[0].text, choice_text::kMainProgram);
  for (const auto& row : page.Rows()) EXPECT_TRUE(row.checked);
  EXPECT_EQ(model_.Choices().ComponentList, (StringList{"Docs", "Extras"}));
  const int64_t all = (int64_t{8} << 30) + 2048;
  EXPECT_EQ(model_.Choices().Options.TotalSize, all);
  EXPECT_EQ(page.SpaceText(), choice_text::kSpaceNeeded + FormatSize(all));

  page.SetChecked(1, false);
  EXPECT_EQ(model_.Choices().ComponentList, (StringList{"Extras"}));
  EXPECT_EQ(model_.Choices().Options.TotalSize, (int64_t{5} << 30) + 2048);

  page.SetChecked(0, false);  // undone at once
  EXPECT_TRUE(page.Rows()[0].checked);
  EXPECT_EQ(model_.Choices().Options.TotalSize, (int64_t{5} << 30) + 2048);

  page.SetChecked(2, false);
  EXPECT_TRUE(model_.Choices().ComponentList.empty());
  EXPECT_EQ(model_.Choices().Options.TotalSize, model_.Package().Size);
  EXPECT_EQ(page.SpaceText(), choice_text::kSpaceNeeded + FormatSize(model_.Package().Size));

  page.CheckOnly({"extras"});
  EXPECT_EQ(model_.Choices().ComponentList, (StringList{"Extras"}));
  page.SetChecked(99, true);  // no such row: nothing happens
  EXPECT_EQ(model_.Choices().ComponentList, (StringList{"Extras"}));

  EXPECT_FALSE(page.Load(&model_));
  EXPECT_FALSE(page.Rows()[1].checked) << "a revisit keeps the choices";
}

// Sizes from a crafted package that add up past the Int64 range: the need saturates, on the page
// and in the model's own total, instead of wrapping to a negative or small number.
TEST_F(ChoicePagesTest, NeededSpaceSaturatesInsteadOfWrapping) {
  const int64_t max = std::numeric_limits<int64_t>::max();
  model_.Package().Size = 1;
  for (const char* name : {"A", "B", "C"}) Component(name, kMaxByteSize);
  EXPECT_EQ(model_.CalcTotalSize(), max);
  SelComponentPage page;
  ASSERT_TRUE(page.Load(&model_));
  EXPECT_EQ(model_.Choices().Options.TotalSize, max);
  EXPECT_EQ(page.SpaceText(), choice_text::kSpaceNeeded + FormatSize(max));
  page.CheckOnly({"B"});
  EXPECT_EQ(model_.Choices().Options.TotalSize, kMaxByteSize + 1);
  model_.Package().CompList().clear();
  model_.Package().Size = std::numeric_limits<int64_t>::min();
  Component("D", -1);
  EXPECT_EQ(model_.CalcTotalSize(), std::numeric_limits<int64_t>::min());
}

TEST_F(ChoicePagesTest, InstallDirPageDefaults) {
  const std::string pf = "[System ProgramFiles]\\\\Maker\\Demo\\";
  struct Case {
    std::string path;
    std::string shown, installDir;
  } cases[] = {
      {pf, "C:\\Program Files\\Maker\\Demo", "C:\\Program Files\\Maker\\Demo"},
      {" ", "C:\\Setup\\", "C:\\Setup"},
      {"[Run]", "C:\\Setup", "C:\\Setup"},
      {"D:\\Games\\", "D:\\Games\\", "D:\\Games"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    TCompile model(machine_->platform());
    model.Package().InfoList().push_back(
        std::make_unique<TCompileData>(TCompileData{kDefaultInstallPath, c.path, 8}));
    SelectInstallDirPage page(context_);
    page.Load(&model);
    EXPECT_EQ(page.Folder(), c.shown) << c.path;
    EXPECT_EQ(model.Choices().Options.InstallDir, c.installDir) << c.path;
  }
}

TEST_F(ChoicePagesTest, InstallDirPageTextsAndEdits) {
  Setting(8, kDefaultInstallPath, "D:\\Demo");
  Setting(8, kPathEditable, "");
  Setting(8, kSearchKeys, "demo.exe");
  model_.Choices().Options.TotalSize = 3 * 1024 * 1024;

  SelectInstallDirPage page(context_);
  ASSERT_TRUE(page.Load(&model_));
  EXPECT_FALSE(page.Editable());
  EXPECT_TRUE(page.SearchOffered());
  EXPECT_EQ(page.Caption(),
            "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xBD\xAB\xB0\xB2\xD7\xB0\xA1\xB0"
            "Demo\xA1\xB1\xB5\xBD\xCF\xC2\xC1\xD0\xCE\xC4\xBC\xFE\xBC\xD0\xD6\xD0\xA1\xA3");
  EXPECT_EQ(page.NeedsText(), FormatSize(3 * 1024 * 1024));
  EXPECT_EQ(page.FreeText(), FormatSize(1536));

  page.SetFolder("C:\\Elsewhere\\");
  EXPECT_EQ(model_.Choices().Options.InstallDir, "C:\\Elsewhere");
  EXPECT_EQ(page.FreeText(), FormatSize(int64_t{3} << 30));
  page.SetFolder("\\\\server\\share\\");
  EXPECT_EQ(page.FreeText(), "-1");
  EXPECT_EQ(model_.Choices().Options.InstallDir, "\\\\server\\share");
  page.SetFolder("");
  EXPECT_EQ(page.FreeText(), "-1") << "an empty edit leaves the free space as it was";
  EXPECT_EQ(model_.Choices().Options.InstallDir, "");

  page.SetFolder("C:\\Mine");
  EXPECT_FALSE(page.Load(&model_));
  EXPECT_EQ(page.Folder(), "C:\\Mine");
}

TEST_F(ChoicePagesTest, InstallDirPageSearch) {
  Setting(8, kDefaultInstallPath, "C:\\Default");
  Setting(8, kSearchKeys, "\"demo app.exe\",demo.dat");
  Platform& p = machine_->platform();
  SelectInstallDirPage page(context_);
  page.Load(&model_);

  EXPECT_FALSE(page.Search());
  EXPECT_EQ(page.Folder(), "C:\\Default");
  EXPECT_EQ(model_.Choices().Options.InstallDir, "C:\\Default");
  EXPECT_EQ(
      page.NotFoundMessage(),
      "\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD\xA1\xB0"
      "Demo\xA1\xB1\xB5\xC4\xB0\xB2\xD7\xB0\xC4\xBF\xC2\xBC\xA3\xAC\xC7\xEB\xB5\xE3\xBB\xF7"
      "\xA1\xB0\xE4\xAF\xC0\xC0\xA1\xB1\xB0\xB4\xC5\xA5\xBD\xF8\xD0\xD0\xCA\xD6\xB9\xA4\xC8\xB7"
      "\xC8\xCF\xA1\xA3");

  ASSERT_TRUE(p.ForceDirectories("D:\\Old\\Demo"));
  p.CreateFile("D:\\Old\\Demo\\Demo App.exe")->Close();
  EXPECT_TRUE(page.Search());
  EXPECT_EQ(page.Folder(), "D:\\Old\\Demo");
  EXPECT_EQ(model_.Choices().Options.InstallDir, "D:\\Old\\Demo");
  EXPECT_EQ(page.FreeText(), FormatSize(1536));

  SelectInstallDirPage none(context_);
  TCompile plain(p);
  none.Load(&plain);
  EXPECT_FALSE(none.SearchOffered());
}

TEST_F(ChoicePagesTest, AddonsPageShowsOnlyEnabledTasks) {
  struct Case {
    std::string desktop, quick;
    bool desktopShown, quickShown;
  } cases[] = {
      {kOn, kOn, true, true},
      {kOn, kOff, true, false},
      {"", kOn, false, true},
  };
  for (const Case& c : cases) {
    TCompile model(machine_->platform());
    model.Package().ItemName = "Demo";
    model.Package().InfoList().push_back(
        std::make_unique<TCompileData>(TCompileData{kDesktop, c.desktop, 9}));
    model.Package().InfoList().push_back(
        std::make_unique<TCompileData>(TCompileData{kQuickLaunch, c.quick, 9}));
    model.Choices().Options.CreateDesktop =
        7;  // a value the page must leave alone when it hides the box
    model.Choices().Options.CreateQuickLaunch = 7;
    AddonsTaskPage page;
    page.Load(&model);
    EXPECT_EQ(page.DesktopShown(), c.desktopShown);
    EXPECT_EQ(page.Desktop(), c.desktopShown);
    EXPECT_EQ(page.QuickLaunchShown(), c.quickShown);
    EXPECT_EQ(model.Choices().Options.CreateDesktop, c.desktopShown ? 1 : 7);
    EXPECT_EQ(model.Choices().Options.CreateQuickLaunch, c.quickShown ? 1 : 7);
    EXPECT_NE(page.Caption().find("\xA1\xB0"
                                  "Demo\xA1\xB1"),
              std::string::npos);
  }
  AddonsTaskPage page;
  page.Load(&model_);
  page.SetDesktop(true);
  page.SetQuickLaunch(false);
  EXPECT_EQ(model_.Choices().Options.CreateDesktop, 1);
  EXPECT_EQ(model_.Choices().Options.CreateQuickLaunch, 0);
}

}  // namespace
}  // namespace sk
