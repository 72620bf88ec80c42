// Malformed packages: each ends the load with sk::Error saying what and where; none crashes,
// reads past its data, allocates from an unchecked count or hangs.
#include <gtest/gtest.h>
#include <zlib.h>

#include "package/Compile.h"
#include "package/Container.h"
#include "package/SettingsStream.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using test::NullPlatform;
using test::StringInputStream;

std::string Le32(int32_t v) {
  return std::string(reinterpret_cast<const char*>(&v), 4);
}
std::string Le64(int64_t v) {
  return std::string(reinterpret_cast<const char*>(&v), 8);
}
std::string Chunk(const std::string& payload) {
  std::string z = ZlibCompress(payload);
  return Le32(static_cast<int32_t>(z.size())) + z;
}

// stub + raw settings block bytes + trailer pointing at them.
std::string WithBlock(const std::string& block, int64_t size = 0) {
  const std::string stub = "STUB....";
  return stub + block + Le64(size) + Le64(static_cast<int64_t>(stub.size()));
}
std::string WithStream(const std::string& stream) {
  return WithBlock(Chunk(stream));
}

// Sections 2-9 all empty.
const std::string kEmptyTail(32, '\0');
const std::string kNoSettings = Le32(0);

std::string LoadError(const std::string& file) {
  NullPlatform p;
  TCompile m(p);
  StringInputStream in(file);
  try {
    m.LoadPackageFrom(in);
  } catch (const Error& e) {
    return e.what();
  }
  return "(loaded)";
}

TEST(BadInput, LoadEndsWithAClearError) {
  const std::string valid = Chunk(kNoSettings + kEmptyTail);
  const std::string z = ZlibCompress(kNoSettings + kEmptyTail);
  struct Case {
    const char* what;
    std::string file;
    const char* message;  // a part of the expected message
  };
  const Case cases[] = {
      {"empty file", "", "too short"},
      {"shorter than the trailer", std::string(15, '\0'), "too short"},
      {"settings offset past the file", "stub" + Le64(0) + Le64(1000), "lies at or past"},
      {"settings offset inside the trailer", "stub" + Le64(0) + Le64(6), "lies at or past"},
      {"settings offset at the trailer", "stub" + Le64(0) + Le64(4), "lies at or past"},
      {"negative chunk length", WithBlock(Le32(-5) + "xxxxx"), "invalid length -5"},
      {"zero chunk length", WithBlock(Le32(0) + valid), "invalid length 0"},
      {"oversized chunk length", WithBlock(Le32(0x7FFFFFFF) + "x"), "too large"},
      {"chunk past its region", WithBlock(Le32(static_cast<int32_t>(z.size()) + 1) + z),
       "runs past the end of its region"},
      {"length field cut by the region end", WithBlock(valid + "\x01\x00"),
       "chunk length at offset"},
      {"chunk that does not inflate", WithBlock(Le32(6) + "garbag"), "does not inflate"},
      {"trailing garbage after the stream",
       WithBlock(Le32(static_cast<int32_t>(z.size()) + 3) + z + "xyz"),
       "after the end of its zlib stream"},
      {"incomplete stream",
       WithBlock(Le32(static_cast<int32_t>(z.size()) - 4) + z.substr(0, z.size() - 4)),
       "incomplete zlib stream"},
      {"empty settings stream", WithBlock(Chunk("")), "ends before section 1"},
      {"stream ends before section 9", WithStream(kNoSettings + std::string(28, '\0')),
       "ends before section 9"},
      {"stream ends inside a record", WithStream(Le32(1) + Le32(2) + "ab" + Le32(1)),
       "settings stream"},
      {"negative string length", WithStream(Le32(1) + Le32(-1) + kEmptyTail), "is negative"},
      {"string longer than the data", WithStream(Le32(1) + Le32(1000) + kEmptyTail),
       "runs past the end of the data"},
      {"huge setting count", WithStream(Le32(0x7FFFFFFF) + kEmptyTail), "count of 2147483647"},
      {"huge file count", WithStream(kNoSettings + Le32(0) + Le32(100000000) + kEmptyTail),
       "file item records"},
      {"file count one too many",
       WithStream(kNoSettings + Le32(0) + Le32(1) + std::string(56, '\0')), "file item records"},
      {"huge registry count",
       WithStream(kNoSettings + Le32(0) + Le32(0) + Le32(0) + Le32(50000) + kEmptyTail),
       "registry value records"},
      {"huge shortcut count",
       WithStream(kNoSettings + std::string(20, '\0') + Le32(50000) + kEmptyTail), "shortcut"},
      {"huge component count",
       WithStream(kNoSettings + std::string(24, '\0') + Le32(50000) + kEmptyTail), "component"},
  };
  for (const auto& c : cases) {
    std::string message = LoadError(c.file);
    EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
  }
}

TEST(BadInput, ErrorsNameTheOffset) {
  // Settings block at offset 8; its second chunk (at 8 + 4 + len) does not inflate.
  const std::string first = Chunk(kNoSettings);
  const std::string file = WithBlock(first + Le32(3) + "bad");
  EXPECT_NE(LoadError(file).find("at offset " + std::to_string(8 + first.size())),
            std::string::npos);
  // A negative string length 8 bytes into the stream.
  EXPECT_NE(LoadError(WithStream(Le32(1) + Le32(-7) + kEmptyTail)).find("at offset 8"),
            std::string::npos);
}

TEST(BadInput, ToleratedForms) {
  // Bytes after the product identifier are ignored; counts <= 0 mean no records.
  EXPECT_EQ(LoadError(WithStream(kNoSettings + kEmptyTail + "extra")), "(loaded)");
  EXPECT_EQ(LoadError(WithStream(Le32(-3) + kEmptyTail)), "(loaded)");
  // Settings offset <= 0: no settings block at all.
  EXPECT_EQ(LoadError("anything" + Le64(5) + Le64(-1)), "(loaded)");
}

TEST(BadInput, RegionOutsideTheFile) {
  StringInputStream in(std::string(100, 'x'));
  for (auto [start, end] : {std::pair<int64_t, int64_t>{-1, 10}, {50, 40}, {10, 101}}) {
    EXPECT_THROW(ExtractRegionToString(in, start, end), Error) << start << "," << end;
  }
}

// A chunk whose few kilobytes inflate to more than kMaxInflatedChunk is refused once the cap is
// passed, without holding the output.
TEST(BadInput, InflationBombIsCapped) {
  z_stream zs{};
  ASSERT_EQ(deflateInit2(&zs, 9, Z_DEFLATED, 15, 9, Z_RLE), Z_OK);  // fast on zeros
  std::string zeros(1 << 20, '\0'), bomb;
  std::string out(1 << 16, '\0');
  for (size_t done = 0; done <= kMaxInflatedChunk; done += zeros.size()) {
    bool last = done + zeros.size() > kMaxInflatedChunk;
    zs.next_in = reinterpret_cast<Bytef*>(zeros.data());
    zs.avail_in = static_cast<uInt>(zeros.size());
    do {
      zs.next_out = reinterpret_cast<Bytef*>(out.data());
      zs.avail_out = static_cast<uInt>(out.size());
      deflate(&zs, last ? Z_FINISH : Z_NO_FLUSH);
      bomb.append(out.data(), out.size() - zs.avail_out);
    } while (zs.avail_out == 0);
  }
  deflateEnd(&zs);
  ASSERT_LT(bomb.size(), 1u << 20);
  std::string file = Le32(static_cast<int32_t>(bomb.size())) + bomb;
  StringInputStream in(file);
  size_t seen = 0;
  try {
    ExtractRegion(
        in, [&seen](const char*, size_t n) { seen += n; }, 0, static_cast<int64_t>(file.size()));
    ADD_FAILURE() << "bomb accepted";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("inflates to more than"), std::string::npos);
  }
  EXPECT_LE(seen, kMaxInflatedChunk);
}

// Records cost far more memory than their bytes in the stream, and empty ones compress to almost
// nothing: past kMaxSettingsRecords in all (records and folder items of every kind together)
// the parse ends with an error before the records of that count are read or reserved.
TEST(BadInput, RecordsBeyondTheBudgetAreRefusedBeforeTheyAreRead) {
  const size_t max = kMaxSettingsRecords;
  const std::string emptyRecords((max + 1) * 9, '\0');  // as many empty settings, all present
  auto count = [](size_t n) { return Le32(static_cast<int32_t>(n)); };
  auto text = [](const std::string& t) { return Le32(static_cast<int32_t>(t.size())) + t; };
  struct Case {
    const char* what;
    std::string stream;
    size_t settings, fileFolders, files;  // records parsed before the refusal
    const char* message;
  };
  const Case cases[] = {
      {"settings one past the limit", count(max + 1) + emptyRecords + kEmptyTail, 0, 0, 0,
       "too many records: 1000001 setting records, but only 1000000"},
      {"file folders one past the limit",
       kNoSettings + text(std::string(max, ',')) + kEmptyTail.substr(4), 0, 0, 0,
       "more than 1000000 file folders"},
      {"file folders at the limit, then a file item",
       kNoSettings + text(std::string(max - 1, ',')) + count(1) + std::string(57, '\0') +
           kEmptyTail.substr(8),
       0, max, 0, "1 file item records, but only 0"},
  };
  for (const Case& c : cases) {
    NullPlatform p;
    TCompile m(p);
    try {
      m.ParseSettings(c.stream);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.what << ": " << e.what();
    }
    EXPECT_EQ(m.Package().InfoList().size(), c.settings) << c.what;
    EXPECT_EQ(m.Package().FileFolderList().size(), c.fileFolders) << c.what;
    EXPECT_EQ(m.Package().FileList().size(), c.files) << c.what;
  }
}

}  // namespace
}  // namespace sk
