// A run started with switches but not silent: the choices are checked against the package
// before any window opens, and reach the choice pages as their starting state.
#include <gtest/gtest.h>

#include "platform/NullPlatform.h"
#include "ui/ChoicePages.h"
#include "ui/PresetWindows.h"
#include "ui/SwitchChoices.h"

namespace sk {
namespace {

using namespace choice_setting;

// Records which window ran and what preset it saw.
struct RecordingWindows : SetupWindows {
  void ShowPreInstallMessage(const std::string&, const std::string&) override {}
  void RunLoadingWindow(TCompile&, SetupContext&) override { ran += "loading;"; }
  void RunInstallWindow(TCompile&, SetupContext& c) override { Saw("install", c); }
  void RunBackgroundWindow(TCompile&, SetupContext& c) override { Saw("background", c); }
  void RunWizard(TCompile&, SetupContext& c) override { Saw("wizard", c); }
  void Saw(const char* window, SetupContext& c) {
    ran += window;
    preset = c.Preset;
  }
  std::string ran;
  const WizardChoices* preset = nullptr;
};

struct PresetWindowsTest : ::testing::Test {
  PresetWindowsTest() : model(platform) {
    Setting(0, setting::kShowWizard.name, text::kEnabled);
    Setting(0, setting::kShowBackground.name, "no");
    Setting(1, setting::kPageInstallFolder.name, text::kEnabled);
    Setting(8, kDefaultInstallPath, "C:\\Default");
    Setting(8, kPathEditable, text::kEnabled);
    model.EvaluateOptions();
  }
  void Setting(uint8_t group, const std::string& name, const std::string& value) {
    model.Package().InfoList().push_back(
        std::make_unique<TCompileData>(TCompileData{name, value, group}));
  }
  NullPlatform platform;
  TCompile model;
  SetupContext context;
  RecordingWindows inner;
};

TEST_F(PresetWindowsTest, TheWizardGetsTheChoicesAsItsPagesStartingState) {
  const WizardChoices choices = ChoicesFromSwitches(ParseSetupSwitches("/D=C:\\Chosen"));
  PresetSetupWindows windows(inner, choices);
  windows.RunWizard(model, context);
  EXPECT_EQ(inner.ran, "wizard");
  ASSERT_EQ(inner.preset, &choices);

  // A page of the wizard fills itself from the package, then takes the preset.
  SelectInstallDirPage page(context);
  page.Load(&model);
  inner.preset->ApplyTo(page);
  EXPECT_EQ(page.Folder(), "C:\\Chosen");
  EXPECT_EQ(model.Choices().Options.InstallDir, "C:\\Chosen");
}

TEST_F(PresetWindowsTest, AChoiceThePackageDoesNotOfferOpensNoWindow) {
  const struct {
    const char* line;
    bool lockFolder;
  } cases[] = {
      {"/GROUP=Mine", false},     // no start-menu page
      {"/TASKS=desktop", false},  // no tasks page
      {"/COMPONENTS=a", false},   // no components page
      {"/D=C:\\Chosen", true},    // the folder is locked
  };
  for (const auto& c : cases) {
    if (c.lockFolder) model.Package().InfoList().back()->Value = "no";
    const SetupSwitches switches = ParseSetupSwitches(c.line);
    ASSERT_TRUE(switches.Valid()) << c.line;
    const WizardChoices choices = ChoicesFromSwitches(switches);
    PresetSetupWindows windows(inner, choices);
    inner.ran.clear();
    try {
      windows.RunWizard(model, context);
      ADD_FAILURE() << c.line << " was accepted";
    } catch (const ChoiceNotOffered& e) {
      // The message names the switch as the user wrote it.
      EXPECT_NE(NotOfferedMessage(e, switches).find(c.line), std::string::npos) << c.line;
    }
    EXPECT_EQ(inner.ran, "") << c.line;
  }
}

TEST_F(PresetWindowsTest, TheNoOptionsWindowTakesNoChoices) {
  const WizardChoices none;
  PresetSetupWindows plain(inner, none);
  plain.RunInstallWindow(model, context);
  EXPECT_EQ(inner.ran, "install");

  const WizardChoices folder = ChoicesFromSwitches(ParseSetupSwitches("/D=C:\\Chosen"));
  PresetSetupWindows windows(inner, folder);
  EXPECT_THROW(windows.RunInstallWindow(model, context), ChoiceNotOffered);
  EXPECT_EQ(inner.ran, "install");  // not run a second time
}

}  // namespace
}  // namespace sk
