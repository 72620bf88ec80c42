// The writer's layout and its independence from the number of threads.
#include <gtest/gtest.h>

#include <cstring>

#include "package/Container.h"
#include "package/Writer.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using test::PackageBuilder;
using test::StringInputStream;
using test::StringOutputStream;

std::string Payload(size_t n) {
  // Text-like bytes: compress quickly but differently in every piece.
  std::string s;
  s.reserve(n + 32);
  for (size_t i = 0; s.size() < n; ++i) s += "line " + std::to_string(i * 7919 % 100003) + "\n";
  s.resize(n);
  return s;
}

TEST(Writer, LayoutPreambleRegionsSettingsTrailer) {
  std::string out = "STUB";
  StringOutputStream sink(out);
  PackageWriter w(sink, 4, 1);
  w.WritePreamble();
  EXPECT_EQ(out, std::string("STUBSKPKG\0\0\1", 12));
  Region a = w.AppendRegion("hello");
  Region empty = w.AppendRegion(std::string());
  StringInputStream payload("world");
  Region b = w.AppendRegion(payload);
  EXPECT_EQ(a.start, 12);
  EXPECT_EQ(empty.start, a.end);
  EXPECT_EQ(empty.end, a.end);
  EXPECT_EQ(b.start, a.end);
  test::NullPlatform p;
  TCompile m(p);
  m.Size = 77;
  w.Finish(m);
  EXPECT_EQ(w.Offset(), static_cast<int64_t>(out.size()));

  int64_t size, settings;
  std::memcpy(&size, out.data() + out.size() - 16, 8);
  std::memcpy(&settings, out.data() + out.size() - 8, 8);
  EXPECT_EQ(size, 77);
  EXPECT_EQ(settings, b.end);
  StringInputStream in(out);
  EXPECT_EQ(ExtractRegionToString(in, a.start, a.end), "hello");
  EXPECT_EQ(ExtractRegionToString(in, b.start, b.end), "world");
  EXPECT_EQ(ExtractRegionToString(in, settings, static_cast<int64_t>(out.size()) - 16),
            SerializeSettings(m));
}

TEST(Writer, BytesDoNotDependOnThreadCount) {
  const std::string big = Payload(kChunkPieceSize * 3 + 12345);
  std::string reference;
  for (unsigned threads : {1u, 2u, 3u, 0u}) {
    PackageBuilder b;
    b.Threads(threads);
    b.File("C:\\a", "T", big);
    b.File("C:\\b", "T", "small");
    b.Setting("s", "v");
    std::string file = b.Build();
    if (reference.empty())
      reference = file;
    else
      EXPECT_TRUE(file == reference) << threads << " threads";
  }
}

TEST(Writer, ProgressCountsPayloadBytes) {
  std::string out;
  StringOutputStream sink(out);
  PackageWriter w(sink, 0, 2);
  std::vector<int64_t> seen;
  w.OnProgress = [&seen](int64_t n) { seen.push_back(n); };
  w.AppendRegion(Payload(kChunkPieceSize + 10));
  EXPECT_EQ(seen, (std::vector<int64_t>{static_cast<int64_t>(kChunkPieceSize),
                                        static_cast<int64_t>(kChunkPieceSize) + 10}));
}

}  // namespace
}  // namespace sk
