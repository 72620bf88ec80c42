// Answers given in advance to the choice pages: made through the pages' own logic, refused
// (naming the option) when the package does not offer them.
#include <gtest/gtest.h>

#include "platform/NullPlatform.h"

// Answers are written as designated initializers that name only the fields they set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include "ui/Choices.h"

namespace sk {
namespace {

using namespace choice_setting;

struct ChoicesTest : ::testing::Test {
  ChoicesTest() : model(platform) {}
  void Setting(uint8_t group, const std::string& name, const std::string& value) {
    model.Package().InfoList().push_back(
        std::make_unique<TCompileData>(TCompileData{name, value, group}));
  }
  // The option a ChoiceNotOffered names, or "" when `run` throws nothing.
  template <typename F>
  static std::string Refused(F run) {
    try {
      run();
    } catch (const ChoiceNotOffered& e) {
      return e.Option();
    }
    return "";
  }
  NullPlatform platform;
  TCompile model;
  SetupContext context;
};

TEST_F(ChoicesTest, AnswersNeedTheirPageInTheSequence) {
  const std::vector<std::string> all = {"TfrmFist",         "TfrmStartFolder",
                                        "TfrmSelComponent", "TfrmSelectInstallDir",
                                        "TfrmAddonsTask",   "TfrmEndIns"};
  struct Case {
    WizardChoices choices;
    std::string missing, option;
  } cases[] = {
      {{.installDir = "D:\\x"}, "TfrmSelectInstallDir", "--install-dir"},
      {{.startMenuFolder = "x"}, "TfrmStartFolder", "--start-menu-folder"},
      {{.createStartMenu = false}, "TfrmStartFolder", "--no-start-menu"},
      {{.components = std::vector<std::string>{}}, "TfrmSelComponent", "--no-components"},
      {{.components = std::vector<std::string>{"a"}}, "TfrmSelComponent", "--components"},
      {{.desktop = false}, "TfrmAddonsTask", "--no-desktop"},
      {{.quickLaunch = true}, "TfrmAddonsTask", "--quick-launch"},
      {{.noRun = true}, "TfrmEndIns", "--no-run"},
      {{.noReadme = true}, "TfrmEndIns", "--no-readme"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Refused([&] { c.choices.CheckPages(all); }), "") << c.option;
    std::vector<std::string> without = all;
    std::erase(without, c.missing);
    EXPECT_EQ(Refused([&] { c.choices.CheckPages(without); }), c.option);
    EXPECT_EQ(Refused([&] { c.choices.CheckPages({}); }), c.option) << "no wizard at all";
    EXPECT_FALSE(c.choices.Empty());
  }
  EXPECT_TRUE(WizardChoices{}.Empty());
  EXPECT_EQ(Refused([&] { WizardChoices{}.CheckPages({}); }), "");
}

TEST_F(ChoicesTest, StartFolderAnswersNeedAnEditableFolderAndTheOption) {
  Setting(6, kFolderEditable, text::kEnabled);
  Setting(6, kShowOption, text::kEnabled);
  StartFolderPage page;
  page.Load(&model);
  WizardChoices{.startMenuFolder = "Mine", .createStartMenu = false}.ApplyTo(page);
  EXPECT_EQ(model.Choices().Options.StartMenuFolder, "Mine");
  EXPECT_EQ(model.Choices().Options.CreateStartMenu, 0);

  TCompile locked(platform);
  locked.Package().InfoList().push_back(
      std::make_unique<TCompileData>(TCompileData{kFolderEditable, "", 6}));
  StartFolderPage lockedPage;
  lockedPage.Load(&locked);
  EXPECT_EQ(Refused([&] { WizardChoices{.startMenuFolder = "x"}.ApplyTo(lockedPage); }),
            "--start-menu-folder");
  EXPECT_EQ(Refused([&] { WizardChoices{.createStartMenu = false}.ApplyTo(lockedPage); }),
            "--no-start-menu");
}

TEST_F(ChoicesTest, ComponentAnswersNameKnownComponents) {
  model.Package().CompList().push_back(
      std::make_unique<TCompileCompData>(TCompileCompData{"Docs", 10}));
  model.Package().CompList().push_back(
      std::make_unique<TCompileCompData>(TCompileCompData{"Extras", 20}));
  model.Package().Size = 100;
  SelComponentPage page;
  page.Load(&model);
  WizardChoices{.components = std::vector<std::string>{"EXTRAS"}}.ApplyTo(page);
  EXPECT_EQ(model.Choices().ComponentList, (StringList{"Extras"}));
  EXPECT_EQ(model.Choices().Options.TotalSize, 120);
  WizardChoices{.components = std::vector<std::string>{}}.ApplyTo(page);
  EXPECT_TRUE(model.Choices().ComponentList.empty());
  EXPECT_EQ(model.Choices().Options.TotalSize, 100);
  for (const char* bad : {"Nope", "\xD6\xF7\xB3\xCC\xD0\xF2"})  // the main program is no component
    EXPECT_EQ(
        Refused([&] { WizardChoices{.components = std::vector<std::string>{bad}}.ApplyTo(page); }),
        "--components")
        << bad;
}

TEST_F(ChoicesTest, InstallDirAndTaskAnswers) {
  Setting(8, kDefaultInstallPath, "C:\\Demo");
  Setting(9, kDesktop, text::kEnabled);
  SelectInstallDirPage dirPage(context);
  dirPage.Load(&model);
  WizardChoices{.installDir = "D:\\Chosen\\"}.ApplyTo(dirPage);
  EXPECT_EQ(model.Choices().Options.InstallDir, "D:\\Chosen");

  AddonsTaskPage tasks;
  tasks.Load(&model);
  WizardChoices{.desktop = false}.ApplyTo(tasks);
  EXPECT_EQ(model.Choices().Options.CreateDesktop, 0);
  EXPECT_EQ(Refused([&] { WizardChoices{.quickLaunch = false}.ApplyTo(tasks); }),
            "--no-quick-launch");

  TCompile locked(platform);
  locked.Package().InfoList().push_back(
      std::make_unique<TCompileData>(TCompileData{kPathEditable, "", 8}));
  SelectInstallDirPage lockedPage(context);
  lockedPage.Load(&locked);
  EXPECT_EQ(Refused([&] { WizardChoices{.installDir = "D:\\x"}.ApplyTo(lockedPage); }),
            "--install-dir");
}

}  // namespace
}  // namespace sk
