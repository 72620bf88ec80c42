// The post-load evaluation of the install options.
#include <gtest/gtest.h>

#include <map>

#include "package/Compile.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using test::PackageBuilder;
using test::StringInputStream;

const std::string& E = text::kEnabled;
const std::string& kShowWizard = setting::kShowWizard.name;
const std::string& kDesktop = setting::kCreateDesktop.name;
const std::string& kQuick = setting::kCreateQuickLaunch.name;
const std::string& kFolderName = setting::kStartMenuFolder.name;
const std::string& kInstallPath = setting::kDefaultInstallDir.name;
const std::string& kAppFile = setting::kAppFile.name;
const std::string& kReadme = setting::kReadmeFile.name;
const std::string& kHomePage = setting::kHomePageUrl.name;

// Program files at C:\PF; a registry of string values keyed by "subkey|name".
class OptionsPlatform : public test::NullPlatform {
 public:
  std::map<std::string, std::string> values;
  std::vector<std::pair<std::string, bool>> opened;

  std::string GetSpecialFolderPath(int csidl) override { return csidl == 38 ? "C:\\PF" : ""; }
  std::unique_ptr<RegistryKey> OpenKey(RegRoot root, const std::string& subKey,
                                       bool create) override {
    EXPECT_EQ(root, RegRoot::LocalMachine);
    opened.emplace_back(subKey, create);
    struct Key : RegistryKey {
      OptionsPlatform* p;
      std::string sub;
      bool WriteString(const std::string&, const std::string&) override { return false; }
      bool WriteDword(const std::string&, uint32_t) override { return false; }
      bool WriteBinary(const std::string&, const std::string&) override { return false; }
      bool ValueExists(const std::string& n) override { return p->values.count(sub + "|" + n); }
      std::optional<RegValue> ReadValue(const std::string& n) override {
        auto it = p->values.find(sub + "|" + n);
        if (it == p->values.end()) return std::nullopt;
        return RegValue{RegType::String, it->second};
      }
    };
    auto key = std::make_unique<Key>();
    key->p = this;
    key->sub = subKey;
    return key;
  }
};

struct Loaded {
  OptionsPlatform platform;
  TCompile model{platform};
};

std::unique_ptr<Loaded> Load(PackageBuilder& b) {
  auto l = std::make_unique<Loaded>();
  StringInputStream in(b.Build());
  l->model.LoadPackageFrom(in);
  return l;
}

TEST(Options, Switches) {
  struct Case {
    const char* what;
    std::vector<std::tuple<std::string, std::string, uint8_t>> settings;
    std::vector<int> expected;  // ShowWizard, CreateDesktop, CreateQuickLaunch, CreateStartMenu
  };
  const Case cases[] = {
      {"defaults", {}, {1, 0, 0, 1}},
      {"wizard off", {{kShowWizard, "x", 0}}, {0, 0, 0, 1}},
      {"wizard on, last wins", {{kShowWizard, "x", 0}, {kShowWizard, E, 0}}, {1, 0, 0, 1}},
      {"wizard name in another group", {{kShowWizard, "x", 1}}, {1, 0, 0, 1}},
      {"desktop and quick launch", {{kDesktop, E, 9}, {kQuick, E, 9}}, {1, 1, 1, 1}},
      {"value compares exactly", {{kDesktop, E + " ", 9}}, {1, 0, 0, 1}},
      {"wrong group", {{kDesktop, E, 8}}, {1, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    PackageBuilder b;
    for (const auto& [n, v, g] : c.settings) b.Setting(n, v, g);
    auto l = Load(b);
    const auto& o = l->model.Choices().Options;
    EXPECT_EQ(
        (std::vector<int>{o.ShowWizard, o.CreateDesktop, o.CreateQuickLaunch, o.CreateStartMenu}),
        c.expected)
        << c.what;
  }
}

TEST(Options, NamesMatchWithoutAsciiCase) {
  PackageBuilder b;
  b.Setting("README\xCE\xC4\xBC\xFE", "r.txt", 12);
  b.Setting(kFolderName, "Menu A", 6);
  b.Setting(kFolderName, "Menu B", 6);
  auto l = Load(b);
  EXPECT_EQ(l->model.Choices().Options.ReadmeFile, "r.txt");
  EXPECT_EQ(l->model.Choices().Options.ReadmeChecked, 1);
  EXPECT_EQ(l->model.Choices().Options.StartMenuFolder, "Menu B");
}

TEST(Options, FinishPageEntriesNeedAValue) {
  PackageBuilder b;
  b.Setting(kAppFile, "", 12);
  b.Setting(kHomePage, "http://x", 12);
  b.Setting(kReadme, "", 12);
  auto l = Load(b);
  const auto& o = l->model.Choices().Options;
  EXPECT_EQ(o.RunAppChecked, 0);
  EXPECT_EQ(o.AppFile, "");
  EXPECT_EQ(o.ReadmeChecked, 0);
  EXPECT_EQ(o.HomePageChecked, 1);
  EXPECT_EQ(o.HomePageUrl, "http://x");
}

TEST(Options, DefaultInstallPath) {
  struct Case {
    std::string value;
    std::string expected;
  };
  const Case cases[] = {
      {"[system programfiles]\\App", "C:\\PF\\App"},
      {"[System ProgramFiles]\\\\Co\\App\\", "C:\\PF\\Co\\App"},
      {"[System ProgramFiles]", "C:\\PF"},
      {"D:\\Games\\X\\", "D:\\Games\\X\\"},  // other text unchanged
      {"[Run]\\App", "[Run]\\App"},          // the setup's folder is the install-folder page's word
      {"\\[System ProgramFiles]\\A", "C:\\PF\\A"},  // empty elements are dropped first
      {"", ""},
      {"\\\\", "\\\\"},
  };
  for (const auto& c : cases) {
    PackageBuilder b;
    b.Setting(kInstallPath, c.value, 8);
    auto l = Load(b);
    EXPECT_EQ(l->model.Choices().Options.InstallDir, c.expected) << c.value;
  }
}

TEST(Options, PatchReadsTheEarlierInstallFolder) {
  PackageBuilder b;
  b.Setting("Patch", "True");
  b.Setting(kInstallPath, "C:\\ignored", 8);
  b.Serial("GUID-1");
  auto l = std::make_unique<Loaded>();
  const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GUID-1";
  l->platform.values[key + "|Install Dir"] = "D:\\Old\\App";
  StringInputStream in(b.Build());
  l->model.LoadPackageFrom(in);
  EXPECT_EQ(l->model.Choices().Options.InstallDir, "D:\\Old\\App");
  ASSERT_EQ(l->platform.opened.size(), 1u);
  EXPECT_EQ(l->platform.opened[0], std::make_pair(key, true));

  // No value: empty folder, not the default path.
  PackageBuilder b2;
  b2.Setting("Patch", "1");
  b2.Setting(kInstallPath, "C:\\ignored", 8);
  EXPECT_EQ(Load(b2)->model.Choices().Options.InstallDir, "");
}

}  // namespace
}  // namespace sk
