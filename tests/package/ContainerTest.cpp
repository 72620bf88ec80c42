// Chunk runs, the String element and comma text.
#include <gtest/gtest.h>

#include <cstring>

#include <random>

#include "package/Container.h"
#include "package/Writer.h"
#include "tests/package/Chunks.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using test::StringInputStream;
using test::StringOutputStream;

// Incompressible-ish but reproducible bytes.
std::string Noise(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(gen() & 0x3F);  // compresses somewhat, not to nothing
  return s;
}

TEST(ExtractRegion, LargeFileIsCutIntoPiecesOfTheFormatSize) {
  // Other readers of these packages expect pieces of this size.
  EXPECT_EQ(kChunkPieceSize, 3u * 1024 * 1024);
  const std::string payload = Noise(2 * kChunkPieceSize + kChunkPieceSize / 2 + 7, 1);
  std::string file = "stub";
  StringOutputStream out(file);
  PackageWriter writer(out, 4, 2);
  Region r = writer.AppendRegion(payload);
  EXPECT_EQ(r.start, 4);
  EXPECT_EQ(r.end, static_cast<int64_t>(file.size()));
  // Each chunk holds exactly the bytes between two cut points.
  EXPECT_TRUE(test::InflatedChunks(file, r) == test::ExpectedPieces(payload));

  StringInputStream in(file);
  std::string back;
  StringOutputStream sink(back);
  ExtractRegion(in, sink, r.start, r.end);
  EXPECT_TRUE(back == payload);
}

TEST(ExtractRegion, ReaderAcceptsPiecesOfAnySize) {
  // Hand-made chunks of 1, 0-content and odd sizes, as another writer might produce them,
  // and one larger than any piece this writer makes (inflated past the fast reader's buffer).
  std::string file = "xx";
  const std::string large = Noise(5 * 1024 * 1024 + 3, 2);
  for (const std::string& piece :
       std::vector<std::string>{"a", "", "bc", std::string(100000, 'd'), large, "e"}) {
    std::string z = ZlibCompress(piece, 9);
    int32_t len = static_cast<int32_t>(z.size());
    file.append(reinterpret_cast<const char*>(&len), 4);
    file += z;
  }
  StringInputStream in(file);
  EXPECT_EQ(ExtractRegionToString(in, 2, static_cast<int64_t>(file.size())),
            "abc" + std::string(100000, 'd') + large + "e");
}

// An install inflates file after file with one extractor: its kept buffers and inflater must
// give every region its own bytes, whatever the region before was (larger, smaller, damaged).
TEST(ExtractRegion, OneExtractorServesRegionAfterRegionAndAfterADamagedOne) {
  std::string file = "stub";
  StringOutputStream out(file);
  PackageWriter writer(out, 4, 2);
  const std::string large = Noise(kChunkPieceSize + 1000, 3), small = Noise(10, 4);
  const std::string middle = Noise(300000, 5);
  const Region r1 = writer.AppendRegion(large);
  const Region r2 = writer.AppendRegion(small);
  const Region bad = writer.AppendRegion(middle);
  const Region r3 = writer.AppendRegion(middle);
  file[static_cast<size_t>((bad.start + bad.end) / 2)] ^= 0x55;  // inside the deflate data

  StringInputStream in(file);
  RegionExtractor extractor;
  const auto extract = [&](const Region& r) {
    std::string back;
    extractor.Extract(
        in, [&](const char* d, size_t n) { back.append(d, n); }, r.start, r.end);
    return back;
  };
  EXPECT_TRUE(extract(r1) == large);
  EXPECT_TRUE(extract(r2) == small);
  EXPECT_THROW(extract(bad), ChunkError);
  EXPECT_TRUE(extract(r3) == middle);
  EXPECT_TRUE(extract(r1) == large);
  EXPECT_TRUE(extract(r2) == small);
}

TEST(ExtractRegion, EmptyRegionYieldsNothing) {
  StringInputStream in("whatever");
  EXPECT_EQ(ExtractRegionToString(in, 3, 3), "");
}

struct CommaCase {
  std::vector<std::string> items;
  std::string text;
};

// Chunk buffers skip clearing only where no value is given: every form that names a value or a
// source still fills with it, and a buffer reused for a shorter then longer chunk keeps what it
// was given.
TEST(ChunkBytes, ValuesGivenAreKept) {
  ChunkBytes filled(5, 0x5A);
  EXPECT_EQ(std::string(filled.begin(), filled.end()), std::string(5, '\x5A'));
  filled.resize(8, 0x11);
  EXPECT_EQ(std::string(filled.begin(), filled.end()), std::string(5, '\x5A') + "\x11\x11\x11");
  const std::string text = "chunk";
  ChunkBytes copied(text.begin(), text.end());
  copied.push_back('!');
  copied.insert(copied.begin(), '<');
  EXPECT_EQ(std::string(copied.begin(), copied.end()), "<chunk!");
  ChunkBytes again = copied;
  again.resize(2);
  again.resize(4);  // the two new bytes are unspecified; the first two are kept
  EXPECT_EQ(again[0], '<');
  EXPECT_EQ(again[1], 'c');
}

TEST(CommaText, WriteAndParseBack) {
  const CommaCase cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"a"}, "a"},
      {{"a", "b"}, "a,b"},
      {{"a b"}, "\"a b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"x,y", "z"}, "\"x,y\",z"},
      {{"a", ""}, "a,"},
      {{"", "a"}, ",a"},
      {{"", ""}, ","},
      {{"tab\there"}, "\"tab\there\""},
      {{"\xB1\x5C\xD7\xC0"}, "\xB1\x5C\xD7\xC0"},  // double-byte text needs no quotes
      {{"C:\\Program Files\\A", "D:\\b"}, "\"C:\\Program Files\\A\",D:\\b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WriteCommaText(c.items), c.text);
    EXPECT_EQ(ParseCommaText(c.text), c.items) << c.text;
  }
}

TEST(CommaText, ParseLenientForms) {
  const CommaCase cases[] = {
      {{"a", "b"}, "  a , b  "},
      {{"a", "", "b"}, "a,,b"},
      {{"a", "b"}, "a b"},               // a blank separates like a comma
      {{"open"}, "\"open"},              // missing closing quote: the rest is the item
      {{"ab", "cd"}, "\"ab\"cd"},        // text after a closing quote starts a new item
      {{"a"}, std::string("a\0,b", 4)},  // a zero byte ends the text
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCommaText(c.text), c.items) << c.text;
  // A lead byte without a trail byte is a byte of its own: the comma still separates.
  EXPECT_EQ(ParseCommaText("\xC4,"), (std::vector<std::string>{"\xC4", ""}));
}

TEST(CommaText, ZeroByteInsideAnItemSurvivesARoundTrip) {
  const std::vector<std::string> items{std::string("a\0b", 3), "c"};
  EXPECT_EQ(ParseCommaText(WriteCommaText(items)), items);
}

}  // namespace
}  // namespace sk
