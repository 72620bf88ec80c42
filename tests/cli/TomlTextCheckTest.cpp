// The check of manifest text before the TOML library reads it: it refuses what the library
// cannot test safely, and nothing that is valid TOML without such a character. Text it passes is
// handed to the library as the manifest reader does (under the asan preset any unsafe path the
// library takes is reported).
#include <gtest/gtest.h>

#include "tools/setupkit/TomlLibrary.h"

#include "tools/setupkit/Manifest.h"
#include "tools/setupkit/TomlAccess.h"
#include "tools/setupkit/TomlTextCheck.h"

namespace sk::cli {
namespace {

using namespace std::string_literals;

// é (U+00E9), Ж (U+0416), ⺀ (U+2E80) and ﹐ (U+FE50) are in the ranges the library's blank
// test cannot take; 中 (U+4E2D) and the ideographic space (U+3000) are not.
const std::string kE = "\xC3\xA9";
const std::string kZhe = "\xD0\x96";
const std::string kRadical = "\xE2\xBA\x80";
const std::string kSmallComma = "\xEF\xB9\x90";
const std::string kZhong = "\xE4\xB8\xAD";
const std::string kIdeographicSpace = "\xE3\x80\x80";

bool LibraryParses(const std::string& text) {
  try {
    (void)toml::parse(text, std::string("check"));
    return true;
  } catch (const toml::parse_error&) {
    return false;
  } catch (const TomlCheckFailed&) {
    return false;
  }
}

TEST(TomlTextCheck, RefusesWhatTheLibraryCannotTest) {
  struct Case {
    const char* what;
    std::string text;
    int64_t line;
    const char* reason;
  };
  const Case cases[] = {
      {"cut sequence", "a = 1\nb = \"\xC3\"\n", 2, "not UTF-8"},
      {"overlong slash", "a = \"\xC0\xAF\"\n", 1, "not UTF-8"},
      {"surrogate", "# \xED\xA0\x80\n", 1, "not UTF-8"},
      {"past U+10FFFF", "\n\n'\xF4\x90\x80\x80'", 3, "not UTF-8"},
      {"after a value", "a = \"x\" " + kE + "\n", 1, "outside ASCII"},
      {"bare key", "\nN" + kZhe + " = 1\n", 2, "outside ASCII"},
      {"table header", "[a" + kE + "]\n", 1, "outside ASCII"},
      // A bare value is read up to a blank, ",", "]", "}" or "#": its quotes open no string.
      {"quote inside a number", "a =0\"" + kE + "\"\n", 1, "outside ASCII"},
      {"quote inside a float", "a = 1.\"" + kE + "\"\n", 1, "outside ASCII"},
      {"brace inside a value", "a = 1{\"" + kE + "\"}\n", 1, "outside ASCII"},
      {"quote inside a boolean", "a = [true'" + kZhe + "']\n", 1, "outside ASCII"},
      {"value in an inline table", "t = { a = 0'" + kE + "' }\n", 1, "outside ASCII"},
      // Four or five quotes close a multi-line string: none of them opens another.
      {"four quotes close", "a = '''x'''' " + kE + "\n", 1, "outside ASCII"},
      {"five quotes close", "a = \"\"\"x\"\"\"\"\" " + kE + "\n", 1, "outside ASCII"},
      {"three quotes in a header", "[''''''x" + kE + "]\n", 1, "outside ASCII"},
      // Inside multi-line basic strings: after a backslash, and after a line-ending backslash.
      {"escaped letter", "a = \"\"\"x\\" + kE + "\"\"\"\n", 1, "after a backslash"},
      {"continued line", "a = \"\"\"x\\\n" + kE + "\"\"\"\n", 2, "line-ending backslash"},
      {"continued over blank lines", "a = \"\"\"x\\  \r\n\n  \t" + kRadical + "\"\"\"\n", 3,
       "line-ending backslash"},
      {"after a blank the test passes",
       "a = \"\"\"\\\n" + kIdeographicSpace + kSmallComma + "\"\"\"", 2, "line-ending backslash"},
      {"the original fuzz input",
       "[product]\nname = \"Small\"\n\nk = 1\n[[registry]]\nkey = 'HKCU'\nname =0\"Fl\x00K"
       "\xE6\x88\x90\xE3\x80\x82\"\n\n['''''''''''''\x03\x00''''%'ve\xC0\xC0\xC0~y= \"a\"\n"s,
       9, "not UTF-8"},
  };
  for (const Case& c : cases) {
    const auto fault = FindTomlTextFault(c.text);
    ASSERT_TRUE(fault) << c.what;
    EXPECT_EQ(fault->line, c.line) << c.what << ": " << fault->reason;
    EXPECT_NE(fault->reason.find(c.reason), std::string::npos) << c.what << ": " << fault->reason;
  }
}

TEST(TomlTextCheck, PassesValidTextWithCharactersInStringsAndComments) {
  const std::string texts[] = {
      "\xEF\xBB\xBF"
      "a = 1\n",  // a byte-order mark
      "# " + kE + kZhe + "\na = \"" + kE + "\" # " + kRadical + "\n",
      "a.\"" + kE + "\".'" + kZhe + "' = 1\n[\"" + kE + "\".x]\n[['" + kZhe + "']]\n",
      "a = '''x''''\nb = \"\"\"y\"\"\"\"\"\nc = '''\n" + kE + "\n'''\n",
      "a = [\n  \"" + kE + "\", # " + kZhe + "\n  '" + kE + "',\n]\n",
      "t = { a = \"" + kE + "\", b = [1, '" + kZhe + "'], c = { d = \"" + kE + "\" } }\n",
      "a = \"\"\"\\\n    " + kZhong + "\\\n  " + kIdeographicSpace + kZhong + "\"\"\"\n",
      "a = \"\"\"x\\t" + kE + "\\\"" + kE + "\"\"\"\nb = \"\\\\" + kE + "\"\n",
      "d = 1979-05-27 07:32:00Z\nf = -1.5e3\nb = true\n",
  };
  for (const std::string& text : texts) {
    const auto fault = FindTomlTextFault(text);
    EXPECT_FALSE(fault) << text << ": line " << fault->line << ": " << fault->reason;
    EXPECT_TRUE(LibraryParses(text)) << text;
  }
}

std::string Repeat(const std::string& piece, int n, const std::string& sep = "") {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? sep : "") + piece;
  return s;
}

// Nesting is counted across headers, dotted keys, arrays and inline tables together; the limit
// holds exactly, and the huge texts that overflowed the library's stack end at their line.
TEST(TomlTextCheck, BoundsTheNestingDepth) {
  const int max = kMaxTomlDepth;
  struct Case {
    const char* what;
    std::string text;
    int64_t faultLine;  // 0: passes (and the library reads it)
  };
  const Case cases[] = {
      {"dotted key at the limit", Repeat("a", max, ".") + " = 1\n", 0},
      {"dotted key past it", "x = 1\n" + Repeat("a", max + 1, ".") + " = 1\n", 2},
      {"200,000 dotted keys", Repeat("a", 200000, ".") + " = 1\n", 1},
      {"header at the limit", "[" + Repeat("t", max, ".") + "]\n", 0},
      {"header and key together",
       "[" + Repeat("t", max / 2, ".") + "]\n" + Repeat("k", max / 2 + 1, ".") + " = 1\n", 2},
      {"nested arrays at the limit", "a = " + Repeat("[", max - 1) + Repeat("]", max - 1) + "\n",
       0},
      {"200,000 nested arrays", "a = " + Repeat("[", 200000) + Repeat("]", 200000) + "\n", 1},
      {"inline tables with dotted keys",
       "a = " + Repeat("{ b.c = ", max / 2 + 1) + "1" + Repeat(" }", max / 2 + 1) + "\n", 1},
      {"arrays of inline tables",
       "\na = [" + Repeat("{ b = [", max / 2) + Repeat("] }", max / 2) + "]\n", 2},
      {"siblings do not add up", Repeat("a = { b = { c = 1 } }", 2 * max, "\n") + "\n", 0},
  };
  for (const Case& c : cases) {
    const auto fault = FindTomlTextFault(c.text);
    if (c.faultLine == 0) {
      EXPECT_FALSE(fault) << c.what << ": " << fault->reason;
      continue;
    }
    ASSERT_TRUE(fault) << c.what;
    EXPECT_EQ(fault->line, c.faultLine) << c.what;
    EXPECT_NE(fault->reason.find("nest deeper than"), std::string::npos) << fault->reason;
  }
}

// Invalid TOML that the check passes is still handed to the library, which refuses it safely.
TEST(TomlTextCheck, InvalidTextItPassesIsLeftToTheLibrary) {
  const std::string texts[] = {
      "a = \"x\" \"" + kE + "\"\n",
      "a = 'x\n'" + kE + "'\n",
      "[a]'" + kE + "'\n",
      "a = \"\"\"x\\ y\n" + kZhong + "\"\"\"\n",
      "a = '''" + kE,
  };
  for (const std::string& text : texts) {
    EXPECT_FALSE(FindTomlTextFault(text)) << text;
    EXPECT_FALSE(LibraryParses(text)) << text;
  }
}

// The library's own checks of what it expects stay checks in a release build: text that breaks
// one ends the read with a manifest error, never with undefined behaviour.
TEST(TomlTextCheck, LibraryChecksEndTheReadWithAnError) {
  for (const char* text : {"[@]\n", "[[ !]]\n"}) {
    TomlReader reader("m.toml");
    try {
      reader.Parse(text);
      ADD_FAILURE() << text << ": no error";
    } catch (const ManifestError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("m.toml:", 0), 0u) << e.what();
    }
  }
}

}  // namespace
}  // namespace sk::cli
