// The setting readers: each applies its row's group, name match, occurrence and value type.
#include <gtest/gtest.h>

#include <set>

#include "package/SettingReaders.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using namespace setting;

// Program files at C:\PF; the files in `files` exist.
class ReaderPlatform : public test::NullPlatform {
 public:
  std::set<std::string> files;
  std::string GetSpecialFolderPath(int csidl) override { return csidl == 38 ? "C:\\PF" : ""; }
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
};

struct Item {
  std::string name;
  std::string value;
  uint8_t group;
};

class SettingReaders : public ::testing::Test {
 protected:
  TPackage& With(const std::vector<Item>& items) {
    package_.ClearLists();
    for (const Item& i : items)
      package_.InfoList().push_back(
          std::make_unique<TCompileData>(TCompileData{i.name, i.value, i.group}));
    return package_;
  }
  ReaderPlatform platform_;
  TPackage package_{platform_};
};

const std::string& On = text::kEnabled;
const std::string& Off = text::kDisabled;

TEST_F(SettingReaders, TextFollowsTheRowsGroupMatchAndOccurrence) {
  const std::string folder = kStartMenuFolder.name;
  const std::string music = kMusic.name;
  const std::string company = kWelcomeCompany.name;
  struct Case {
    const char* what;
    const SettingName* row;
    std::vector<Item> items;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"missing", &kStartMenuFolder, {}, std::nullopt},
      {"other group", &kStartMenuFolder, {{folder, "x", kInstallFolder}}, std::nullopt},
      {"last wins", &kStartMenuFolder, {{folder, "a", kStartMenu}, {folder, "b", kStartMenu}}, "b"},
      {"empty counts",
       &kStartMenuFolder,
       {{folder, "a", kStartMenu}, {folder, "", kStartMenu}},
       ""},
      {"case folded", &kStartMenuFolder, {{"X" + folder, "no", kStartMenu}}, std::nullopt},
      {"first wins", &kMusic, {{music, "a", kGeneral}, {music, "b", kGeneral}}, "a"},
      {"first, ASCII folded", &kMusic, {{"x", "no", kGeneral}, {music, "a", kGeneral}}, "a"},
      {"exact", &kWelcomeCompany, {{company + " ", "no", kWelcome}, {company, "c", kWelcome}}, "c"},
      {"optional skips empty",
       &kAppFile,
       {{kAppFile.name, "a.exe", kFinish}, {kAppFile.name, "", kFinish}},
       "a.exe"},
      {"optional, only empty", &kAppFile, {{kAppFile.name, "", kFinish}}, std::nullopt},
      {"any group", &kHintMsg, {{kHintMsg.name, "1", 5}, {kHintMsg.name, "2", 200}}, "2"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadText(With(c.items), *c.row), c.expected) << c.what;
}

TEST_F(SettingReaders, MatchRulesFoldAsciiOnly) {
  // A Latin row read case-insensitively, and GBK bytes that differ only in a high byte.
  const std::string readme = kReadmeFile.name;  // "Readme" + GBK
  std::string lowered = readme;
  lowered[0] = 'r';
  EXPECT_EQ(ReadText(With({{lowered, "r.txt", kFinish}}), kReadmeFile), "r.txt");
  std::string gbk = readme;
  gbk.back() = static_cast<char>(gbk.back() ^ 0x20);
  EXPECT_EQ(ReadText(With({{gbk, "r.txt", kFinish}}), kReadmeFile), std::nullopt);
  // An exact row does not fold.
  EXPECT_EQ(ReadText(With({{"patch", "1", kGeneral}}), kItemName), std::nullopt);
}

TEST_F(SettingReaders, SwitchesReadTheCountingItemOrEveryItem) {
  const std::string& desktop = kCreateDesktop.name;
  struct Case {
    std::vector<std::string> values;
    std::optional<bool> last;
    bool any;
    size_t count;
  };
  const Case cases[] = {
      {{}, std::nullopt, false, 0}, {{On}, true, true, 1},         {{Off}, false, false, 0},
      {{"yes"}, false, false, 0},   {{On, Off}, false, true, 1},   {{Off, On}, true, true, 1},
      {{On, On}, true, true, 2},    {{On + " "}, false, false, 0},  // byte for byte
  };
  for (const Case& c : cases) {
    std::vector<Item> items;
    for (const std::string& v : c.values) items.push_back({desktop, v, kTasks});
    TPackage& p = With(items);
    EXPECT_EQ(ReadSwitch(p, kCreateDesktop), c.last) << c.values.size();
    EXPECT_EQ(AnySwitchOn(p, kCreateDesktop), c.any) << c.values.size();
    EXPECT_EQ(SwitchOnCount(p, kCreateDesktop), c.count) << c.values.size();
  }
}

TEST_F(SettingReaders, PathsResolveTheirWordsInOnePlace) {
  const std::string& dir = kDefaultInstallDir.name;
  struct Case {
    std::string value;
    std::optional<std::string> runFolder;
    std::string expected;
  };
  const Case cases[] = {
      {"[System ProgramFiles]\\App", std::nullopt, "C:\\PF\\App"},
      {"[system programfiles]\\\\App\\", std::nullopt, "C:\\PF\\App"},
      {"[Run]\\App", std::nullopt, "[Run]\\App"},  // not known at load time
      {"[Run]\\App", "D:\\Setup\\", "D:\\Setup\\App"},
      {" ", std::nullopt, " "},
      {" ", "D:\\Setup\\", "D:\\Setup\\"},  // one blank: the run folder as given
      {"E:\\Plain", "D:\\Setup\\", "E:\\Plain"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReadPath(With({{dir, c.value, kInstallFolder}}), kDefaultInstallDir, c.runFolder),
              c.expected)
        << c.value;
  EXPECT_EQ(ReadPath(With({}), kDefaultInstallDir, std::nullopt), std::nullopt);
}

TEST_F(SettingReaders, FilesCountOnlyWhenTheyExist) {
  platform_.files = {"C:\\a.bmp", "C:\\b.bmp"};
  const std::string& pic = kBackgroundPicture.name;
  struct Case {
    std::vector<std::string> values;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {{}, std::nullopt},
      {{"C:\\missing.bmp"}, std::nullopt},
      {{"C:\\a.bmp", "C:\\missing.bmp"}, "C:\\a.bmp"},  // a later missing file does not clear it
      {{"C:\\a.bmp", "C:\\b.bmp"}, "C:\\b.bmp"},
      {{"C:\\a.bmp", ""}, "C:\\a.bmp"},
  };
  for (const Case& c : cases) {
    std::vector<Item> items;
    for (const std::string& v : c.values) items.push_back({pic, v, kGeneral});
    EXPECT_EQ(ReadFile(With(items), kBackgroundPicture), c.expected) << c.values.size();
  }
}

TEST_F(SettingReaders, AReaderOfAnotherTypeIsRefused) {
  TPackage& p = With({});
  EXPECT_THROW(ReadSwitch(p, kStartMenuFolder), Error);
  EXPECT_THROW(ReadText(p, kCreateDesktop), Error);
  EXPECT_THROW(ReadPath(p, kAppFile, std::nullopt), Error);
  EXPECT_THROW(ReadFile(p, kFinishPicture), Error);
  EXPECT_THROW(SwitchOnCount(p, kMusic), Error);
}

TEST(SettingRows, EveryRowHasAReaderForItsType) {
  // Each row is readable by the reader its type names, and only switches count pages.
  ReaderPlatform platform;
  TPackage package(platform);
  for (const SettingName* row : AllSettingNames()) {
    switch (row->type) {
      case ValueType::Text:
      case ValueType::OptionalText:
      case ValueType::Boolean:
        if (row->type != ValueType::Boolean)
          EXPECT_NO_THROW(ReadText(package, *row)) << row->meaning;
        break;
      case ValueType::Switch:
        EXPECT_NO_THROW(ReadSwitch(package, *row)) << row->meaning;
        break;
      case ValueType::Path:
        EXPECT_NO_THROW(ReadPath(package, *row, std::nullopt)) << row->meaning;
        break;
      case ValueType::File:
        EXPECT_NO_THROW(ReadFile(package, *row)) << row->meaning;
        break;
    }
  }
  for (const WizardPageSwitch& page : WizardPages())
    EXPECT_EQ(page.listItem->type, ValueType::Switch) << page.listItem->meaning;
}

}  // namespace
}  // namespace sk
