// The install-folder search: keyword splitting, the fixed drives, and the depth-first walk on a
// sandbox machine (nested folders, links, folders that cannot be listed, large trees).
#include <gtest/gtest.h>

#include <filesystem>

#include "package/Compile.h"
#include "platform/sandbox/SandboxPlatform.h"
#include "tests/support/TestMachine.h"
#include "ui/ChoicePaths.h"
#include "ui/FolderSearch.h"

namespace sk {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(SplitSearchKeys, SeparatorsQuotesAndEmptyItems) {
  struct Case {
    std::string text;
    Names want;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"app.exe", {"app.exe"}},
      {"app.exe,tool.exe", {"app.exe", "tool.exe"}},
      {"  app.exe , tool.exe", {"app.exe", "tool.exe"}},
      {"my app.exe", {"my", "app.exe"}},  // an unquoted blank separates
      {"\"my app.exe\",b", {"my app.exe", "b"}},
      {"\"a,b\" c", {"a,b", "c"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"open", {"open"}},  // an unclosed quote runs to the end
      {"a,", {"a", ""}},     // a comma at the very end adds an empty item
      {"a,,b", {"a", "", "b"}},
      {"a\tb\r\nc", {"a", "b", "c"}},
      {std::string("a\0b", 3), {"a"}},
      // GBK names whose trail bytes are ASCII letters stay whole: 程序.exe
      {"\xB3\xCC\xD0\xF2.exe", {"\xB3\xCC\xD0\xF2.exe"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitSearchKeys(c.text), c.want) << c.text;
}

class FolderSearchTest : public ::testing::Test {
 protected:
  FolderSearchTest() {
    machine_ = test::MakeSandboxMachine([](SandboxConfig& c) {
      c.drives = {{'E', 1}, {'C', 2}, {'D', 3}};
    });
  }
  SandboxPlatform& p() { return *machine_->sandbox(); }
  void Dir(const std::string& path) { ASSERT_TRUE(p().ForceDirectories(path)) << path; }
  void File(const std::string& path) {
    ASSERT_TRUE(p().ForceDirectories(path.substr(0, path.rfind('\\'))));
    p().CreateFile(path)->Close();
  }
  fs::path Host(const std::string& path) { return *p().HostPath(path); }

  std::unique_ptr<test::TestMachine> machine_;
};

TEST_F(FolderSearchTest, FixedDrivesAreInLetterOrder) {
  EXPECT_EQ(GetFixedDrives(p()), (Names{"C:", "D:", "E:"}));
}

TEST_F(FolderSearchTest, FindsTheFolderHoldingTheFileDepthFirst) {
  File("D:\\Apps\\Old\\Bin\\tool.exe");
  File("D:\\Apps\\Old\\readme.txt");
  FolderSearch search(p(), {"TOOL.EXE"});
  EXPECT_EQ(search.FindInstallFolder("D:"), "D:\\Apps\\Old\\Bin");
  EXPECT_EQ(search.FindInstallFolder("D:\\Apps\\"), "D:\\Apps\\Old\\Bin");
  EXPECT_EQ(FolderSearch(p(), {"missing.exe"}).FindInstallFolder("D:"), "");
  EXPECT_EQ(FolderSearch(p(), {"Bin"}).FindInstallFolder("D:"), "") << "folders never match";
  EXPECT_EQ(FolderSearch(p(), {"", ""}).FindInstallFolder("D:"), "");
}

TEST_F(FolderSearchTest, DrivesAreSearchedInLetterOrderAndEitherNameMatches) {
  File("E:\\First\\a.exe");
  File("D:\\Second\\b.exe");
  File("C:\\Third\\c.dll");
  EXPECT_EQ(FolderSearch(p(), {"a.exe", "b.exe"}).SearchFixedDrives(), "D:\\Second");
  EXPECT_EQ(FolderSearch(p(), {"a.exe"}).SearchFixedDrives(), "E:\\First");
  EXPECT_EQ(FolderSearch(p(), {"c.dll", "a.exe"}).SearchFixedDrives(), "C:\\Third");
}

TEST_F(FolderSearchTest, LinksToFoldersAreNotFollowed) {
  File("D:\\Real\\Inner\\app.exe");
  Dir("D:\\Loop");
  std::error_code ec;
  fs::create_directory_symlink(Host("D:\\Loop"), Host("D:\\Loop") / "again", ec);
  if (!ec) fs::create_directory_symlink(Host("D:\\Real"), Host("D:\\Loop") / "toReal", ec);
  if (ec) GTEST_SKIP() << "folder links cannot be made here: " << ec.message();

  FolderSearch cycle(p(), {"nothing.exe"});
  EXPECT_EQ(cycle.FindInstallFolder("D:\\Loop"), "");
  EXPECT_EQ(cycle.Stats().listings, 1u) << "the cycle must not be entered";
  EXPECT_FALSE(cycle.Stats().stopped);

  // The file is found through the real folder only, never through the link.
  EXPECT_EQ(FolderSearch(p(), {"app.exe"}).FindInstallFolder("D:\\Loop"), "");
  EXPECT_EQ(FolderSearch(p(), {"app.exe"}).FindInstallFolder("D:"), "D:\\Real\\Inner");
}

TEST_F(FolderSearchTest, StopsBelowDepthSixtyFour) {
  std::string deep = "D:";
  for (int level = 1; level <= 66; ++level) {
    deep += "\\d";
    if (level == 64) File(deep + "\\at64.exe");
  }
  File(deep + "\\at66.exe");
  std::string at64 = "D:";
  for (int level = 1; level <= 64; ++level) at64 += "\\d";
  EXPECT_EQ(FolderSearch(p(), {"at64.exe"}).FindInstallFolder("D:"), at64);
  FolderSearch tooDeep(p(), {"at66.exe"});
  EXPECT_EQ(tooDeep.FindInstallFolder("D:"), "");
  EXPECT_EQ(tooDeep.Stats().listings, 65u);
}

// A machine on which one folder cannot be listed.
class UnlistablePlatform : public SandboxPlatform {
 public:
  using SandboxPlatform::SandboxPlatform;
  std::string broken;
  std::vector<std::string> ListDirectory(const std::string& path) override {
    if (SameTextAscii(path, broken)) throw Error("access denied: " + path);
    return SandboxPlatform::ListDirectory(path);
  }
};

TEST(FolderSearchErrors, AFolderThatCannotBeListedIsSkipped) {
  const fs::path host = fs::temp_directory_path() / ("sktest-" + test::UniqueName());
  {
    SandboxConfig config;
    config.root = host;
    UnlistablePlatform p(config);
    p.broken = "C:\\A\\Locked\\";
    for (const char* dir : {"C:\\A\\Locked\\Inside", "C:\\A\\Open"}) p.ForceDirectories(dir);
    p.CreateFile("C:\\A\\Locked\\Inside\\app.exe")->Close();
    p.CreateFile("C:\\A\\Open\\app.exe")->Close();
    EXPECT_EQ(FolderSearch(p, {"app.exe"}).FindInstallFolder("C:\\A"), "C:\\A\\Open");
  }
  fs::remove_all(host);
}

TEST_F(FolderSearchTest, ThousandsOfFoldersAreWalkedWithBoundedWork) {
  // 20 folders of 60 subfolders each: 1,220 folders, no match anywhere.
  for (int i = 0; i < 20; ++i)
    for (int j = 0; j < 60; ++j)
      fs::create_directories(Host("D:\\") / "tree" / std::to_string(i) / std::to_string(j));
  const uint64_t total = 1 + 1 + 20 + 20 * 60;  // D:\, tree, its children, theirs

  int pumps = 0;
  FolderSearchControl whole;
  whole.pump = [&] { ++pumps; };
  FolderSearch all(p(), {"none.exe"}, whole);
  EXPECT_EQ(all.FindInstallFolder("D:"), "");
  EXPECT_EQ(all.Stats().listings, total);
  EXPECT_GE(pumps, static_cast<int>(all.Stats().entries / 256));

  // The window's Escape: the walk ends at the next pump and reports nothing.
  int asked = 0;
  FolderSearchControl cancel;
  cancel.pumpEvery = 100;
  cancel.cancelled = [&] { return ++asked == 3; };
  FolderSearch cancelled(p(), {"none.exe"}, cancel);
  EXPECT_EQ(cancelled.SearchFixedDrives(), "");
  EXPECT_TRUE(cancelled.Stats().stopped);
  EXPECT_EQ(cancelled.Stats().entries, 300u);

  FolderSearchControl budget;
  budget.maxEntries = 1000;
  FolderSearch bounded(p(), {"none.exe"}, budget);
  EXPECT_EQ(bounded.FindInstallFolder("D:"), "");
  EXPECT_TRUE(bounded.Stats().stopped);
  EXPECT_LE(bounded.Stats().entries, 1001u);
}

// The budget counts every entry looked at, the file sought included: a budget of exactly the
// entries the walk needs still finds it, one less ends the search with nothing.
TEST_F(FolderSearchTest, ABudgetOfExactlyTheEntriesNeededFindsTheFile) {
  File("D:\\Apps\\Old\\readme.txt");
  File("D:\\Apps\\Other\\notes.txt");
  File("D:\\Apps\\Tool\\tool.exe");
  FolderSearch unlimited(p(), {"tool.exe"});
  ASSERT_EQ(unlimited.FindInstallFolder("D:"), "D:\\Apps\\Tool");
  const uint64_t needed = unlimited.Stats().entries;
  ASSERT_GT(needed, 3u);

  struct Case {
    uint64_t budget;
    std::string want;
    bool stopped;
  } cases[] = {
      {needed - 1, "", true},
      {needed, "D:\\Apps\\Tool", false},
      {needed + 1, "D:\\Apps\\Tool", false},
  };
  for (const Case& c : cases) {
    FolderSearchControl control;
    control.maxEntries = c.budget;
    FolderSearch search(p(), {"tool.exe"}, control);
    EXPECT_EQ(search.FindInstallFolder("D:"), c.want) << "budget " << c.budget;
    EXPECT_EQ(search.Stats().stopped, c.stopped) << "budget " << c.budget;
  }
}

}  // namespace
}  // namespace sk
