// The package's day counts as the CLI shows and applies them, and which host files a manifest
// source with exclude patterns picks.
#include <gtest/gtest.h>

#include <limits>

#include "CliTest.h"
#include "tools/setupkit/DayCount.h"
#include "tools/setupkit/SourceWalk.h"

namespace sk::cli::test {
namespace {

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

}  // namespace
}  // namespace sk::cli::test
