#include "platform/SystemHelpers.h"

#include <gtest/gtest.h>

#include "tests/support/TestMachine.h"

namespace sk {
namespace {

using test::MakeSandboxMachine;
using test::MakeTestMachine;

TEST(FormatSize, Table) {
  const int64_t KB = 1024, MB = KB * 1024, GB = MB * 1024;
  struct Case {
    int64_t n;
    const char* text;
  } cases[] = {
      {0, "0"},
      {-1, "-1"},
      {INT64_MIN, "-9223372036854775808"},
      {1, "1"},
      {KB, "1024"},  // thresholds are strict
      {KB + 1, "1.00KB"},
      {1536, "1.50KB"},
      {MB, "1024.00KB"},
      {MB + 1, "1.00MB"},
      {10025608, "9.56MB"},
      {GB, "1024.00MB"},
      {GB + 1, "1.00GB"},
      {INT64_MAX, "8589934592.00GB"},
      // 1029 / 1024 = 1.0048828125: scaled 10048.83 -> 10049 -> third decimal rounds up.
      {1029, "1.00KB"},
      {1034, "1.01KB"},
      // Two roundings: 1053808 / MB = 1.0049896 -> 10050 -> 1.01 (one rounding would give
      // 1.00); 1053756 / MB = 1.0049400 -> 10049 -> 1.00.
      {1053808, "1.01MB"},
      {1053756, "1.00MB"},
      // 1.99999 KB rounds into the next integer.
      {2047, "2.00KB"},
      {999 * KB + 1023, "1000.00KB"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSize(c.n), c.text) << c.n;
}

// Quotients ending in exactly .xx5 round away from zero, not to even.
TEST(FormatSize, HalfHundredthsRoundAwayFromZero) {
  struct Case {
    int64_t n;
    const char* text;
  } cases[] = {{1152, "1.13KB"}, {1408, "1.38KB"}, {1664, "1.63KB"}, {1920, "1.88KB"}};
  for (const Case& c : cases) EXPECT_EQ(FormatSize(c.n), c.text) << c.n;
}

TEST(OsVersionCode, ByPlatform) {
  struct Case {
    std::optional<OsVersion> version;
    const char* code;
  } cases[] = {
      {std::nullopt, "0"},
      {OsVersion{0, 3, 10, 0}, "1"},
      {OsVersion{1, 4, 10, 0}, "2"},
      {OsVersion{2, 5, 1, 2600}, "5.1"},
      {OsVersion{2, 6, 1, 7601}, "6.1"},
      {OsVersion{2, 10, 0, 19045}, "10.0"},
      {OsVersion{3, 6, 1, 0}, "0"},
  };
  for (const Case& c : cases) {
    auto m = MakeSandboxMachine([&](SandboxConfig& cfg) { cfg.version = c.version; });
    std::string code = GetOsVersionCode(m->platform());
    EXPECT_EQ(code, c.code);
  }
  auto m = MakeSandboxMachine();
  EXPECT_EQ(GetOsVersionCode(m->platform()), "6.1");
  EXPECT_NE(GetOsVersionCode(m->platform()), "6.10");  // compared byte for byte
}

TEST(SystemHelpers, FoldersOnThisMachine) {
  auto m = MakeTestMachine();
  Platform& p = m->platform();
  std::string temp = GetTempFolder(p);
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_TRUE(p.DirectoryExists(temp));
  std::string win = GetWindowsFolder(p);
  ASSERT_FALSE(win.empty());
  EXPECT_NE(win.back(), '\\');
  EXPECT_TRUE(p.DirectoryExists(win));
  for (int id : {csidl::Desktop, csidl::Programs, csidl::AppData, csidl::ProgramFiles}) {
    std::string f = GetSpecialFolder(p, id);
    ASSERT_FALSE(f.empty()) << id;
    EXPECT_NE(f.back(), '\\') << id;
    EXPECT_TRUE(p.DirectoryExists(f)) << id;
  }
  EXPECT_EQ(GetProgramFilesFolder(p), GetSpecialFolder(p, csidl::ProgramFiles));
}

TEST(SystemHelpers, FreeSpaceByDriveCharacter) {
  auto m = MakeTestMachine();
  Platform& p = m->platform();
  char sys = GetWindowsFolder(p)[0];
  EXPECT_GT(GetFreeSpace(p, sys), 0);
  EXPECT_EQ(GetFreeSpace(p, static_cast<char>(sys | 0x20)), GetFreeSpace(p, sys));
  EXPECT_GE(GetFreeSpace(p, '@'), 0);  // the drive of the current folder
  for (char c : {'\\', '1', '[', '`', '{', '\0'}) EXPECT_EQ(GetFreeSpace(p, c), -1) << int(c);
}

TEST(SystemHelpers, SandboxFreeSpaceAndMissingDrives) {
  auto m = MakeSandboxMachine([](SandboxConfig& c) {
    c.drives = {{'C', 123456789}, {'D', 42}};
    c.currentDirectory = "D:\\Setup";
  });
  Platform& p = m->platform();
  EXPECT_EQ(GetFreeSpace(p, 'C'), 123456789);
  EXPECT_EQ(GetFreeSpace(p, 'd'), 42);
  EXPECT_EQ(GetFreeSpace(p, '@'), 42);
  EXPECT_EQ(GetFreeSpace(p, 'E'), -1);
  EXPECT_EQ(p.GetFixedDrives(), "CD");
}

TEST(SystemHelpers, TempFolderThatDoesNotFitIsAnError) {
  struct Case {
    size_t length;  // of the reported path, trailing backslash included
    bool fits;
  } cases[] = {{259, true}, {260, false}, {400, false}};
  for (const Case& c : cases) {
    std::string path = "C:\\" + std::string(c.length - 4, 't') + "\\";
    auto m = MakeSandboxMachine([&](SandboxConfig& cfg) {
      cfg.tempPath = path;
      cfg.createFolders = false;
    });
    if (c.fits) {
      EXPECT_EQ(GetTempFolder(m->platform()), path);
    } else {
      EXPECT_THROW(GetTempFolder(m->platform()), Error) << c.length;
    }
  }
}

TEST(SystemHelpers, ClearAttributesMakesNormal) {
  auto m = MakeTestMachine();
  Platform& p = m->platform();
  std::string f = m->root() + "a.txt";
  p.CreateFile(f)->Close();
  ASSERT_TRUE(p.SetFileAttributes(f, attr::ReadOnly | attr::Hidden));
  ClearAttributes(p, f);
  EXPECT_EQ(p.GetFileAttributes(f) & (attr::ReadOnly | attr::Hidden), 0u);
  if (m->isSandbox()) {
    EXPECT_EQ(p.GetFileAttributes(f), attr::Normal);
  }
  ClearAttributes(p, m->root() + "missing.txt");  // nothing happens
  EXPECT_EQ(p.GetFileAttributes(m->root() + "missing.txt"), attr::Invalid);
}

}  // namespace
}  // namespace sk
