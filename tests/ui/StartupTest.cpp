#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/PackageBuilder.h"
#include "ui/PageTable.h"
#include "ui/Progress.h"
#include "ui/Startup.h"

namespace sk {
namespace {

const std::string kOn = text::kEnabled;

TEST(StartupTest, DecisionTable) {
  using S = StagingMode;
  using W = TopWindow;
  struct Row {
    std::optional<bool> loading;
    uint8_t showWizard;
    bool patched;
    std::optional<bool> background;
    std::optional<std::string> music;
    S staging;
    W window;
    std::string music_candidate;
  };
  const Row rows[] = {
      {{}, 1, false, {}, {}, S::None, W::None, ""},
      {true, 1, false, true, {}, S::LoadingWindow, W::BackgroundWindow, ""},
      {false, 1, false, false, {}, S::Direct, W::Wizard, ""},
      {true, 0, false, true, "m.mp3", S::LoadingWindow, W::InstallWindow, ""},
      {{}, 1, true, true, "m.mp3", S::None, W::InstallWindow, ""},
      {false, 0, true, {}, {}, S::Direct, W::InstallWindow, ""},
      {{}, 1, false, {}, "m.mp3", S::None, W::None, "m.mp3"},
      {{}, 1, false, false, "m.mp3", S::None, W::Wizard, "m.mp3"},
      {{}, 1, false, true, "", S::None, W::BackgroundWindow, ""},
  };
  for (const Row& r : rows) {
    StartupInputs in{r.loading, r.showWizard, r.patched, r.background, r.music};
    const StartupPlan plan = DecideStartup(in);
    SCOPED_TRACE(testing::Message() << "loading=" << (r.loading ? int(*r.loading) : -1)
                                    << " wizard=" << int(r.showWizard) << " patched=" << r.patched
                                    << " background=" << (r.background ? int(*r.background) : -1));
    EXPECT_EQ(plan.staging, r.staging);
    EXPECT_EQ(plan.window, r.window);
    EXPECT_EQ(plan.musicCandidate, r.music_candidate);
  }
}

TEST(StartupTest, ReadStartupInputsTakesTheFirstGeneralItemOfEachName) {
  const std::string other = "\xCA\xC7";  // "是": any other text
  const struct {
    const char* what;
    std::vector<std::tuple<std::string, std::string, int>> items;  // name, value, group
    std::optional<bool> loading, background;
    std::optional<std::string> music;
  } cases[] = {
      {"nothing", {}, {}, {}, {}},
      {"another group only", {{setting::kMusic.name, "m.mp3", 5}}, {}, {}, {}},
      {"first of two",
       {{setting::kMusic.name, "first", 0}, {setting::kMusic.name, "second", 0}},
       {},
       {},
       "first"},
      {"on, then off",
       {{setting::kShowLoading.name, kOn, 0}, {setting::kShowLoading.name, other, 0}},
       true,
       {},
       {}},
      {"any other text is off", {{setting::kShowBackground.name, other, 0}}, {}, false, {}},
      {"empty is present and off", {{setting::kShowBackground.name, "", 0}}, {}, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::PackageBuilder b;
    for (const auto& [name, value, group] : c.items) b.Setting(name, value, group);
    const StartupInputs in = ReadStartupInputs(b.Model());
    EXPECT_EQ(in.showLoading, c.loading);
    EXPECT_EQ(in.showBackground, c.background);
    EXPECT_EQ(in.music, c.music);
  }
}

TEST(StartupTest, ReadStartupInputsSeesAbsentAndPresentSettings) {
  test::PackageBuilder b;
  b.Setting(setting::kShowLoading.name, "");
  b.Setting(setting::kShowLoading.name, kOn);  // later duplicate: never seen
  b.Model().Choices().Options.ShowWizard = 0;
  const StartupInputs in = ReadStartupInputs(b.Model());
  EXPECT_EQ(in.showLoading, std::optional<bool>(false));
  EXPECT_FALSE(in.showBackground.has_value());
  EXPECT_FALSE(in.music.has_value());
  EXPECT_EQ(in.showWizard, 0);
}

TEST(StartupTest, MessageCaptionBytes) {
  EXPECT_EQ(MessageCaptionFor("Demo"),
            "\xA1\xB0"
            "Demo\xA1\xB1\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC");
}

TEST(StartupTest, RegistryCreatesByNameAndYieldsNoneForUnknown) {
  struct Page {
    std::string made_from;
  };
  ClassRegistry<Page, int> registry;
  for (const PageRow& row : kPageTable) {
    const char* name = row.ClassName;
    registry.Register(name, [name](int) { return std::make_unique<Page>(Page{name}); });
  }
  registry.Register("TfrmEmpty", [](int) { return nullptr; });
  EXPECT_EQ(registry.Size(), 11u);
  EXPECT_EQ(registry.Create("TfrmBeginIns", 0)->made_from, "TfrmBeginIns");
  EXPECT_EQ(registry.Create("tfrmbeginins", 0), nullptr);  // class names are exact
  EXPECT_EQ(registry.Create("TfrmNothing", 0), nullptr);
  EXPECT_EQ(registry.Create("TfrmEmpty", 0), nullptr);
  registry.Unregister("TfrmBeginIns");
  EXPECT_FALSE(registry.IsRegistered("TfrmBeginIns"));
  EXPECT_EQ(registry.Create("TfrmBeginIns", 0), nullptr);
}

TEST(ProgressTest, GaugePercent) {
  struct Row {
    int64_t max, progress;
    int percent;
  };
  const Row rows[] = {
      {10, 3, 30},
      {3, 1, 33},
      {3, 2, 66},
      {100, 12, 12},
      {0, 0, 0},
      {5, 9, 100},
      {10, -4, 0},
      {-5, 3, 0},
      {7, 7, 100},
      {int64_t{1} << 62, int64_t{1} << 61, 50},
      {INT64_MAX, INT64_MAX - 1, 99},
      {INT64_MAX, INT64_MAX / 3, 33},
  };
  for (const Row& r : rows) {
    GaugeState g;
    g.SetMax(r.max);
    g.SetProgress(r.progress);
    EXPECT_EQ(g.PercentDone(), r.percent) << r.progress << " of " << r.max;
  }
}

TEST(ProgressTest, BarScalingKeepsRatioBeyond32Bits) {
  struct Row {
    int64_t position, total;
    int32_t max, pos;
  };
  const Row rows[] = {
      {3, 10, 10, 3},
      {0, 0, 0, 0},
      {5, -1, 0, 0},
      {20, 10, 10, 10},
      {-1, 10, 10, 0},
      {int64_t{3} << 32, int64_t{6} << 32, 0x60000000, 0x30000000},
      {INT64_MAX, INT64_MAX, INT32_MAX, INT32_MAX},
  };
  for (const Row& r : rows) {
    const BarRange b = ScaleForBar(r.position, r.total);
    EXPECT_EQ(b.max, r.max) << r.position << "/" << r.total;
    EXPECT_EQ(b.position, r.pos) << r.position << "/" << r.total;
  }
}

}  // namespace
}  // namespace sk
