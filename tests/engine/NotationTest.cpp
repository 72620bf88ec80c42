// Package notation and value encodings: target folders, key texts, hex data, value macros, the
// two-second date encoding.
#include <gtest/gtest.h>

#include "engine/Files.h"
#include "engine/Registry.h"
#include "engine/Shortcuts.h"
#include "engine/TargetPaths.h"

namespace sk {
namespace {

// 目标计算机\Program Files\ , 目标计算机\Windows\ , 指定目录\ .
const std::string kPF = "\xC4\xBF\xB1\xEA\xBC\xC6\xCB\xE3\xBB\xFA\\Program Files\\";
const std::string kPFLower = "\xC4\xBF\xB1\xEA\xBC\xC6\xCB\xE3\xBB\xFA\\program files\\";
const std::string kWin = "\xC4\xBF\xB1\xEA\xBC\xC6\xCB\xE3\xBB\xFA\\Windows\\";
const std::string kSpec = "\xD6\xB8\xB6\xA8\xC4\xBF\xC2\xBC\\";

TEST(TargetDir, Resolution) {
  struct Case {
    std::string text, installDir;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {kPF, "D:\\Soft\\App", "D:\\Soft\\App"},
      {kPF + "App\\data", "D:\\Tools\\App", "D:\\Tools\\App\\data"},
      {kPF + "App\\data", "D:\\Soft", "D:\\Soft\\App\\data"},
      {kPF + "App\\data", "D:\\App\\Sub", "D:\\App\\data"},
      {kPFLower + "App\\x", "D:\\soft\\APP", "D:\\soft\\App\\x"},
      {kPF + "bin\\", "C:\\P", "C:\\P\\bin"},
      {kPF + "D:\\x", "D:\\Tools", "D:\\D:\\x"},  // splice at the drive: below the drive root
      {kPF + "srv\\x", "\\\\srv\\share", "\\\\srv\\srv\\x"},
      {kWin + "system32", "D:\\App", "C:\\Windows\\system32"},
      {kWin, "D:\\App", "C:\\Windows"},
      {kSpec + "E:\\Data\\", "D:\\App", "E:\\Data"},
      {kSpec, "D:\\App", std::nullopt},
      {"C:\\raw\\folder", "D:\\App", std::nullopt},
      {"X" + kWin + "a", "D:\\App", std::nullopt},  // prefixes count only at the beginning
      {kSpec + "D:\\" + kWin + "x", "D:\\App", "D:\\" + kWin + "x"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResolveTargetDir(c.text, c.installDir, "C:\\Windows"), c.expected) << c.text;
}

TEST(Registry, KeySpec) {
  const std::string machine = "\xC4\xBF\xB1\xEA\xBC\xC6\xCB\xE3\xBB\xFA\\";
  struct Case {
    std::string text;
    std::optional<RegRoot> root;
    std::string path;
  };
  const Case cases[] = {
      {machine + "hkey_local_machine\\SOFTWARE\\Vendor", RegRoot::LocalMachine, "SOFTWARE\\Vendor"},
      {machine + "HKEY_CURRENT_USER\\\\A\\B\\", RegRoot::CurrentUser, "A\\B"},
      {machine + "HKEY_CLASSES_ROOT", RegRoot::ClassesRoot, ""},
      {machine + "HKEY_USERS\\x", RegRoot::Users, "x"},
      {machine + "HKEY_CURRENT_CONFIG\\x", RegRoot::CurrentConfig, "x"},
      {machine + "HKLM\\x", std::nullopt, ""},
      {"HKEY_LOCAL_MACHINE", std::nullopt, ""},
      {"", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    auto key = ParseKeySpec(c.text);
    ASSERT_EQ(key.has_value(), c.root.has_value()) << c.text;
    if (!key) continue;
    EXPECT_EQ(key->root, *c.root) << c.text;
    EXPECT_EQ(key->path, c.path) << c.text;
  }
}

TEST(Registry, HexData) {
  const std::pair<std::string, uint32_t> dwords[] = {
      {"0000000a", 10}, {"1A", 26}, {"", 0}, {"G1", 1}, {"100000001", 1}, {"FFFFFFFF", 0xFFFFFFFFu},
  };
  for (const auto& [text, value] : dwords)
    EXPECT_EQ(static_cast<uint32_t>(HexToInt(text)), value) << text;
  EXPECT_EQ(HexToInt("10000000000000001"), 1);  // 64-bit wrap, no overflow trap

  const std::pair<std::string, std::string> bytes[] = {
      {"ABC", std::string("\xAB\xC0", 2)},
      {"", ""},
      {"00ff", std::string("\x00\xFF", 2)},
      {"zz", std::string(1, '\0')},
  };
  for (const auto& [text, value] : bytes) EXPECT_EQ(HexToBytes(text), value) << text;
}

TEST(Registry, ValueMacros) {
  const std::string install = "[\xB0\xB2\xD7\xB0\xC4\xBF\xC2\xBC]";  // [安装目录]
  const std::pair<std::string, std::string> cases[] = {
      {"[Windows]\\system32\\a.dll", "C:\\Windows\\system32\\a.dll"},
      {"[windows]\\a", "C:\\Windows\\a"},
      {install + "\\app.exe", "D:\\App\\app.exe"},
      {install + "app.exe", "D:\\App\\app.exe"},  // no backslash: nothing of the value is lost
      {"[Windows]", "C:\\Windows\\"},
      {"C:\\[Windows]", "C:\\[Windows]"},
      {"plain", "plain"},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(ExpandValueMacros(text, "C:\\Windows", "D:\\App"), expected) << text;
}

// Local FILETIME of a calendar date, for comparison.
int64_t Ft(int64_t daysSince1601, int h, int m, int s) {
  return ((daysSince1601 * 86400) + h * 3600 + m * 60 + s) * 10000000LL;
}

TEST(FileDate, TwoSecondEncoding) {
  // 2020-03-15 is day 43905 after 1899-12-30 and day 153110 after 1601-01-01.
  const double day = 43905;
  const double t134559 = day + (13 * 3600 + 45 * 60 + 59) / 86400.0;
  EXPECT_EQ(DateTimeToLocalFileTime(t134559), Ft(153110, 13, 45, 58));
  EXPECT_EQ(DateTimeToLocalFileTime(day), Ft(153110, 0, 0, 0));
  EXPECT_EQ(DateTimeToLocalFileTime(29221), Ft(138426, 0, 0, 0));  // 1980-01-01
  EXPECT_FALSE(DateTimeToLocalFileTime(29220.99));                 // 1979-12-31
  EXPECT_TRUE(DateTimeToLocalFileTime(75971.5));                   // 2107-12-31
  EXPECT_FALSE(DateTimeToLocalFileTime(75972));                    // 2108-01-01
  EXPECT_FALSE(DateTimeToLocalFileTime(0));
  EXPECT_FALSE(DateTimeToLocalFileTime(-1e300));
  EXPECT_FALSE(DateTimeToLocalFileTime(std::numeric_limits<double>::quiet_NaN()));
}

TEST(Shortcuts, OsCodeNumber) {
  const std::pair<std::string, double> cases[] = {
      {"6.1", 6.1}, {"5.1", 5.1}, {"10.0", 10}, {"1", 1}, {"2", 2}, {"0", 0}, {"", 0}, {"x", 0},
  };
  for (const auto& [code, value] : cases) EXPECT_DOUBLE_EQ(OsCodeNumber(code), value) << code;
}

}  // namespace
}  // namespace sk
