// The writer's layout and its independence from the number of threads.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "package/Container.h"
#include "package/Writer.h"
#include "tests/package/Chunks.h"
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

// Serves `data` in reads of at most `step` bytes and throws once `failAt` bytes were served.
class ScriptedStream : public InputStream {
 public:
  ScriptedStream(const std::string& data, size_t step, size_t failAt = SIZE_MAX)
      : data_(data), step_(step), failAt_(failAt) {}
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  int64_t Position() override { return static_cast<int64_t>(pos_); }
  void Seek(int64_t) override { throw Error("no seek"); }
  size_t Read(void* buffer, size_t n) override {
    if (pos_ >= failAt_) throw Error("read fault at " + std::to_string(pos_));
    size_t take = std::min({n, step_, data_.size() - pos_, failAt_ - pos_});
    std::memcpy(buffer, data_.data() + pos_, take);
    pos_ += take;
    return take;
  }

 private:
  const std::string& data_;
  size_t step_;
  size_t failAt_;
  size_t pos_ = 0;
};

// Accepts `limit` bytes, then fails as a full disk would.
class FailingSink : public OutputStream {
 public:
  explicit FailingSink(size_t limit) : limit_(limit) {}
  void Write(const void*, size_t n) override {
    if (n > limit_) throw Error("disk full");
    limit_ -= n;
  }
  void Close() override {}

 private:
  size_t limit_;
};

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
  m.Package().Size = 77;
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
            SerializeSettings(m.Package()));
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

// Pieces that do not compress take the compressor's worst case: a full piece of random bytes
// must fit its chunk and read back, whether compressed on the caller's thread or a worker's.
TEST(Writer, IncompressiblePiecesRoundTrip) {
  std::string noise(kChunkPieceSize * 2 + 777, '\0');
  uint64_t x = 0x9E3779B97F4A7C15u;
  for (char& c : noise) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    c = static_cast<char>(x >> 56);
  }
  for (unsigned threads : {1u, 2u}) {
    std::string out;
    StringOutputStream sink(out);
    PackageWriter w(sink, 0, threads);
    Region r = w.AppendRegion(noise);
    StringInputStream in(out);
    EXPECT_TRUE(ExtractRegionToString(in, r.start, r.end) == noise) << threads << " threads";
    // Stored blocks: a few bytes of framing per piece, never the data twice.
    EXPECT_LT(r.end - r.start, static_cast<int64_t>(noise.size() + noise.size() / 100));
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

TEST(Writer, BatchEqualsSequentialAppendsForAnyThreadCount) {
  const size_t piece = kChunkPieceSize;
  std::vector<std::string> payloads;
  for (size_t n : {size_t{0}, size_t{1}, size_t{777}, piece, piece + 1, size_t{0},
                   3 * piece + 12345, size_t{5}, piece - 1, size_t{0}})
    payloads.push_back(Payload(n));

  // Reference: one region at a time, on the calling thread.
  std::string reference = "STUB";
  std::vector<Region> expected;
  {
    StringOutputStream sink(reference);
    PackageWriter w(sink, 4, 1);
    for (const auto& p : payloads) expected.push_back(w.AppendRegion(p));
  }

  const int64_t total = std::accumulate(
      payloads.begin(), payloads.end(), int64_t{0},
      [](int64_t a, const std::string& p) { return a + static_cast<int64_t>(p.size()); });
  for (unsigned threads : {1u, 2u, 3u, 8u, 0u}) {
    std::string out = "STUB";
    StringOutputStream sink(out);
    PackageWriter w(sink, 4, threads);
    int64_t lastProgress = -1;
    w.OnProgress = [&lastProgress](int64_t n) { lastProgress = n; };
    std::vector<PayloadSource> sources;
    size_t opened = 0;
    for (const auto& p : payloads)
      sources.emplace_back([&p, &opened, threads] {
        ++opened;
        // Uneven reads: pieces must be assembled from several reads.
        return std::make_unique<ScriptedStream>(p, threads % 2 ? 1000003 : SIZE_MAX);
      });
    std::vector<Region> got = w.AppendRegions(sources);
    EXPECT_EQ(opened, payloads.size());
    EXPECT_TRUE(out == reference) << threads << " threads";
    EXPECT_EQ(lastProgress, total) << threads << " threads";
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].start, expected[i].start) << "payload " << i;
      EXPECT_EQ(got[i].end, expected[i].end) << "payload " << i;
    }
    // A second batch on the same writer continues where the first ended.
    std::vector<Region> more = w.AppendRegions(sources);
    EXPECT_EQ(more.front().start, got.back().end);
    EXPECT_EQ(w.Offset(), static_cast<int64_t>(out.size()));
  }
  // Every payload is cut on its own at multiples of the piece size: a piece never spans two
  // payloads.
  for (size_t i = 0; i < payloads.size(); ++i)
    EXPECT_TRUE(test::InflatedChunks(reference, expected[i]) == test::ExpectedPieces(payloads[i]))
        << "payload " << i;
}

TEST(Writer, FaultsPropagateAndLeaveNoWorkerBehind) {
  const std::string big = Payload(5 * kChunkPieceSize + 3);
  const std::string small = Payload(4000);
  struct Case {
    const char* what;
    size_t failingSource;  // index of the source that fails
    size_t failAt;         // bytes it serves first (SIZE_MAX: fails to open)
    size_t sinkLimit;      // bytes the output accepts
    const char* message;
  };
  const Case cases[] = {
      {"read fault deep in a large payload", 20, 4 * kChunkPieceSize + 17, SIZE_MAX, "read fault"},
      {"read fault in the first piece", 0, 10, SIZE_MAX, "read fault"},
      {"source cannot be opened", 7, SIZE_MAX, SIZE_MAX, "cannot open"},
      {"output fails", 99, 0, 1000, "disk full"},
  };
  for (const Case& c : cases) {
    for (unsigned threads : {1u, 4u}) {
      SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(threads) + " threads");
      FailingSink sink(c.sinkLimit);
      PackageWriter w(sink, 0, threads);
      std::vector<PayloadSource> sources;
      for (size_t i = 0; i < 30; ++i) {
        const std::string& data = i % 10 == 0 ? big : small;
        sources.emplace_back([&, i]() -> std::unique_ptr<InputStream> {
          if (i != c.failingSource) return std::make_unique<ScriptedStream>(data, SIZE_MAX);
          if (c.failAt == SIZE_MAX) throw Error("cannot open payload " + std::to_string(i));
          return std::make_unique<ScriptedStream>(data, 65536, c.failAt);
        });
      }
      try {
        w.AppendRegions(sources);
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      }
      // Leaving the scope joins the workers; a worker stuck on a dropped piece would hang here.
    }
  }
}

}  // namespace
}  // namespace sk
