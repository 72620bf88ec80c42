// The package's day counts as the CLI shows and applies them, and which host files a manifest
// source with exclude patterns picks.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "CliTest.h"
#include "tools/setupkit/DayCount.h"
#include "tools/setupkit/SourceWalk.h"

namespace sk::cli::test {
namespace {

namespace fs = std::filesystem;

TEST(DayCount, FormatsRoundToWholeSecondsAcrossMidnight) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "1899-12-30 00:00:00"},          {45000.5, "2023-03-15 12:00:00"},
      {45000.999999, "2023-03-16 00:00:00"},  // 0.09 s before midnight: the next day
      {45000.99999, "2023-03-15 23:59:59"},   // 0.86 s before midnight
      {45351.0, "2024-02-29 00:00:00"},
  };
  for (auto [days, text] : cases) EXPECT_EQ(FormatDayCount(days), text) << days;
  // The host time agrees: a count that rounds up to midnight is that midnight.
  EXPECT_EQ(TimeFromDayCount(45000.999999), TimeFromDayCount(45001.0));
  EXPECT_EQ(FormatDayCount(std::numeric_limits<double>::quiet_NaN()).rfind("(invalid date)", 0),
            0u);
}

// Host times exist for the years 1900 to 9999 and for no day outside them.
TEST(DayCount, HostTimesCoverTheYears1900To9999) {
  const std::pair<double, bool> cases[] = {
      {1.0, false},        // 1899-12-31
      {2958466.0, false},  // 10000-01-01
      {45000.5, true},
#ifndef _WIN32      // the C runtime of Windows has no times before 1970 nor after the year 3000
      {2.0, true},  // 1900-01-01
      {2958465.5, true},  // 9999-12-31 12:00
#endif
  };
  for (auto [days, exists] : cases) EXPECT_EQ(TimeFromDayCount(days).has_value(), exists) << days;
}

TEST(SourceWalk, ExcludesMatchTheNameOrThePathBelowTheSource) {
  TempDir dir;
  for (const char* rel :
       {"src/a.log", "src/a.txt", "src/sub/b.log", "src/sub/b.txt", "src/other/d.log"})
    dir.Write(rel, "x");
  struct Case {
    std::vector<std::string> excludes;
    std::vector<std::string> kept;
  };
  const Case cases[] = {
      {{}, {"a.log", "a.txt", "other/d.log", "sub/b.log", "sub/b.txt"}},
      {{"*.log"}, {"a.txt", "sub/b.txt"}},                              // by name, at any depth
      {{"sub/*.log"}, {"a.log", "a.txt", "other/d.log", "sub/b.txt"}},  // by path below src
      {{"b.*", "other/*"}, {"a.log", "a.txt"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> kept;
    for (const FoundFile& f : ExpandSource(dir.path(), "src", true, c.excludes))
      kept.push_back(f.rel);
    EXPECT_EQ(kept, c.kept) << testing::PrintToString(c.excludes);
  }
}

struct SourceCase {
  const char* what;
  std::string pattern;
  std::vector<std::string> excludes;
  bool followLinks;
  std::vector<std::string> kept;  // when no error is expected
  const char* error;              // part of the message, or nullptr
};

void ExpectSources(const TempDir& dir, const std::vector<SourceCase>& cases) {
  for (const SourceCase& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      std::vector<std::string> kept;
      for (const FoundFile& f :
           ExpandSource(dir.path(), c.pattern, true, c.excludes, {c.followLinks}))
        kept.push_back(f.rel);
      EXPECT_EQ(c.error, nullptr) << "no error";
      EXPECT_EQ(kept, c.kept);
    } catch (const std::runtime_error& e) {
      ASSERT_NE(c.error, nullptr) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
    }
  }
}

// Whatever a source matches is packed or refused by name, never dropped quietly: FIFOs, links
// to files outside the source folder (unless followed on request), names no Windows file can
// have. An exclude pattern may drop them first; links that stay inside are packed.
TEST(SourceWalk, RefusesWhatCannotBePackedUnlessExcluded) {
#ifdef _WIN32
  GTEST_SKIP() << "FIFOs, links and control characters in names are POSIX fixtures";
#else
  TempDir dir;
  dir.Write("src/a.txt", "a");
  dir.Write("outside/secret.txt", "secret");
  ASSERT_EQ(::mkfifo((dir / "src/fifo").c_str(), 0600), 0);
  fs::create_symlink("a.txt", dir / "src/in-link");
  fs::create_symlink("../outside/secret.txt", dir / "src/out-link");
  dir.Write("ctl/x\x01.txt", "c");
  dir.Write("ctl/sub\x1b/b.txt", "b");
  dir.Write("win/a:b.txt", "w");
  const std::vector<std::string> odd = {"fifo", "out-link"};
  ExpectSources(
      dir,
      {
          {"all excluded", "src", odd, false, {"a.txt", "in-link"}, nullptr},
          {"a FIFO", "src", {"out-link"}, false, {}, "src/fifo: is not a regular file"},
          {"a FIFO named alone", "src/fifo", {}, false, {}, "is not a regular file"},
          {"a link out", "src", {"fifo"}, false, {}, "src/out-link: is a symbolic link to"},
          {"a link out names its target",
           "src/*-link",
           {},
           false,
           {},
           "outside/secret.txt, outside"},
          {"a link out named alone", "src/out-link", {}, false, {}, "--follow-links"},
          {"a link out followed", "src/*-link", {}, true, {"in-link", "out-link"}, nullptr},
          {"a control character",
           "ctl/*.txt",
           {},
           false,
           {},
           "ctl/x\\x01.txt: the name holds '\\x01'"},
          {"a character Windows refuses", "win", {}, false, {}, "win/a:b.txt: the name holds ':'"},
          {"in a folder name", "ctl", {"x*"}, false, {}, "sub\\x1b/b.txt: the name holds '\\x1b'"},
          {"pattern too long",
           "src/" + std::string(kMaxPatternLength, '?'),
           {},
           false,
           {},
           "pattern longer than"},
      });
#endif
}

// "**" elements, in a row or spread through the pattern, take polynomial work: each folder is
// matched against each element once (before, twelve of them did not end).
TEST(SourceWalk, ManyDoubleStarsStayFast) {
  TempDir dir;
  std::string chain = "src";
  for (int i = 0; i < 14; ++i) {
    chain += "/a";
    dir.Write(chain + "/f" + std::to_string(i) + ".txt", "x");
  }
  std::string row = "src", spread = "src";
  for (int i = 0; i < 12; ++i) row += "/**";
  for (int i = 0; i < 6; ++i) spread += "/**/a";
  auto below = [](int folders, int file) {  // a/a/.../f<file>.txt
    std::string rel;
    for (int k = 0; k < folders; ++k) rel += "a/";
    return rel + "f" + std::to_string(file) + ".txt";
  };
  std::vector<std::string> deep;  // the files at least six folders down
  for (int i = 5; i < 14; ++i) deep.push_back(below(i + 1, i));
  std::sort(deep.begin(), deep.end());
  ExpectSources(dir, {
                         {"in a row", row + "/f13.txt", {}, false, {below(14, 13)}, nullptr},
                         {"spread", spread + "/**/*.txt", {}, false, deep, nullptr},
                     });
}

}  // namespace
}  // namespace sk::cli::test
