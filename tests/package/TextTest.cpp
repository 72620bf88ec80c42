// Path and name helpers, with GBK double-byte characters whose trail byte is "\" or a letter.
#include <gtest/gtest.h>

#include "package/Compile.h"

namespace sk {
namespace {

// "\x95\x5C" is one double-byte character whose trail byte equals "\".
const std::string kDbcsBackslash = "\x95\x5C";
// "\xB0\x41" is one double-byte character whose trail byte equals "A".
const std::string kDbcsLetter = "\xB0\x41";

TEST(Text, StripTrailingBackslash) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\A\\", "C:\\A"},
      {"C:\\A", "C:\\A"},
      {"", ""},
      {"\\", ""},
      {"C:\\A\\\\", "C:\\A\\"},  // only one byte
      {"C:\\" + kDbcsBackslash, "C:\\" + kDbcsBackslash},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(StripTrailingBackslash(in), out) << in;
}

TEST(Text, SplitText) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitText("\\a\\\\b\\", "\\"), (V{"a", "b"}));
  EXPECT_EQ(SplitText("", "\\"), V{});
  EXPECT_EQ(SplitText("x" + kDbcsBackslash + "y\\z", "\\"), (V{"x" + kDbcsBackslash + "y", "z"}));
  EXPECT_EQ(SplitText("aXXbxxc", "xx"), (V{"a", "b", "c"}));
  EXPECT_EQ(SplitText("abc", ""), (V{"abc"}));
}

TEST(Text, AsciiCaseFolding) {
  EXPECT_TRUE(SameTextAscii("Readme.TXT", "readme.txt"));
  EXPECT_FALSE(SameTextAscii("abc", "abcd"));
  EXPECT_FALSE(SameTextAscii("\xC4", "\xE4"));           // non-ASCII bytes are not folded
  EXPECT_FALSE(SameTextAscii(kDbcsLetter, "\xB0\x61"));  // nor trail bytes
  EXPECT_EQ(LowerAscii("AbC" + kDbcsLetter + "D"), "abc" + kDbcsLetter + "d");
}

TEST(Text, PaddedDecimal) {
  const struct {
    uint64_t value;
    size_t width;
    const char* text;
  } cases[] = {
      {0, 8, "00000000"}, {7, 2, "07"},
      {123, 2, "123"},  // a wider number is never cut
      {5, 0, "5"},        {UINT64_MAX, 4, "18446744073709551615"},
  };
  for (const auto& c : cases) EXPECT_EQ(PaddedDecimal(c.value, c.width), c.text) << c.value;
}

TEST(Text, FileNameParts) {
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"C:\\dir\\a.txt", "C:\\dir\\", "a.txt"},
      {"C:a.txt", "C:", "a.txt"},
      {"a.txt", "", "a.txt"},
      {"C:\\dir\\", "C:\\dir\\", ""},
      {"C:\\" + kDbcsBackslash + ".txt", "C:\\", kDbcsBackslash + ".txt"},
  };
  for (const auto& [path, folder, name] : cases) {
    EXPECT_EQ(ExtractFilePath(path), folder) << path;
    EXPECT_EQ(ExtractFileName(path), name) << path;
  }
}

// Windows maps a device name to the device whatever extension follows and whatever blanks stand
// before that extension; names that only begin like a device are ordinary files.
TEST(Text, DeviceNames) {
  const std::pair<std::string, bool> cases[] = {
      {"con", true},       {"CON.txt", true},   {"CON .txt", true},
      {"nul .log", true},  {"Nul  ", true},     {"aux.a.b", true},
      {"prn", true},       {"COM1", true},      {"lpt9 .dat", true},
      {"conin$", true},    {"CONOUT$.x", true}, {"com0", false},
      {"com10", false},    {"lpt", false},      {"console.txt", false},
      {"con_.txt", false}, {" con", false},     {"nul-x.log", false},
      {"", false},         {"a.con", false},
  };
  for (const auto& [name, device] : cases) EXPECT_EQ(IsDeviceName(name), device) << name;
}

}  // namespace
}  // namespace sk
