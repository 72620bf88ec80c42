// Reads from sandbox files in every order the engine uses: in sequence (no seek between reads),
// after seeks back and forth, and after a read that hit the end of the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestMachine.h"

namespace sk {
namespace {

TEST(SandboxStreams, ReadsFollowThePositionWhateverTheOrder) {
  auto m = test::MakeSandboxMachine();
  Platform& p = *m->sandbox();
  std::string bytes;
  for (int i = 0; i < 20000; ++i) bytes += static_cast<char>(i * 7 % 251);
  {
    auto out = p.CreateFile("C:\\data.bin");
    out->Write(bytes.data(), bytes.size());
    out->Close();
  }
  struct Step {
    int64_t seek;  // -1: read on from where the last read ended
    size_t want;
  };
  const std::vector<std::vector<Step>> plans = {
      {{0, 4}, {-1, 9000}, {-1, 4}, {-1, 20000}, {-1, 10}},  // in sequence up to past the end
      {{19990, 100}, {5, 3}, {-1, 3}},                       // short read at the end, then back
      {{12000, 10}, {100, 10}, {12000, 10}, {-1, 8000}},     // back and forth
      {{30000, 10}, {0, 1}},                                 // beyond the end, then back
  };
  for (size_t n = 0; n < plans.size(); ++n) {
    SCOPED_TRACE("plan " + std::to_string(n));
    auto in = p.OpenRead("c:\\DATA.bin");
    int64_t at = 0;
    for (const Step& s : plans[n]) {
      if (s.seek >= 0) {
        in->Seek(s.seek);
        at = s.seek;
      }
      std::string buf(s.want, '\0');
      const size_t got = in->Read(buf.data(), buf.size());
      const size_t expect = at >= static_cast<int64_t>(bytes.size())
                                ? 0
                                : std::min(s.want, bytes.size() - static_cast<size_t>(at));
      ASSERT_EQ(got, expect) << "at " << at;
      if (expect > 0) {
        EXPECT_EQ(buf.substr(0, got), bytes.substr(static_cast<size_t>(at), got));
      }
      at += static_cast<int64_t>(got);
      EXPECT_EQ(in->Position(), at);
    }
  }
}

}  // namespace
}  // namespace sk
