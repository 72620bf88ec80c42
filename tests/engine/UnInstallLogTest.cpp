// The uninstall recorder: de-duplication and the compressed log's bytes, read back and damaged.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/UninstallRecorder.h"
#include "package/Container.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using test::NullPlatform;
using test::StringInputStream;

// Offsets of the Int32-length pieces of a log file.
std::vector<std::pair<int64_t, int64_t>> Pieces(const std::string& file) {
  std::vector<std::pair<int64_t, int64_t>> out;
  size_t at = 0;
  while (at + 4 <= file.size()) {
    int32_t len;
    std::memcpy(&len, file.data() + at, 4);
    out.push_back({static_cast<int64_t>(at), static_cast<int64_t>(at + 4 + len)});
    at += 4 + static_cast<size_t>(len);
  }
  EXPECT_EQ(at, file.size());
  return out;
}

TEST(UnInstall, RecordsAreDeduplicated) {
  NullPlatform p;
  UninstallRecorder u(p);
  u.AddFile("C:\\App\\a.exe", 0);
  u.AddFile("c:\\app\\A.EXE", 1);  // same file: first record and its flag stay
  u.AddFolder("C:\\App\\a.exe");   // a folder record of that path is a different record
  u.AddFolder("C:\\APP\\A.exe");
  u.AddRegKey("2147483650", "Software\\V", "Name");
  u.AddRegKey("2147483650", "software\\v", "NAME");
  u.AddRegKey("2147483649", "Software\\V", "Name");  // another root
  u.AddRegKey("2147483650", "Software\\V", "");      // the key itself
  const std::vector<TUnInsData> expected = {
      {"", "C:\\App\\a.exe", "", 0, unins_kind::File},
      {"", "C:\\App\\a.exe", "", 1, unins_kind::Folder},
      {"2147483650", "Software\\V", "Name", 1, unins_kind::Registry},
      {"2147483649", "Software\\V", "Name", 1, unins_kind::Registry},
      {"2147483650", "Software\\V", "", 1, unins_kind::Registry},
  };
  EXPECT_EQ(u.Records(), expected);
  EXPECT_EQ(RootText(RegRoot::LocalMachine), "2147483650");
  EXPECT_EQ(RootText(RegRoot::CurrentConfig), "2147483653");
}

TEST(UnInstall, BodyBytes) {
  NullPlatform p;
  UninstallRecorder u(p);
  u.SetProductName("P");
  u.SetUninstallKey("K1");
  u.AddFile("a", 1);
  const std::string expected(
      "\x01\0\0\0P\x02\0\0\0K1\x01\0\0\0"
      "\0\0\0\0\x01\0\0\0a\0\0\0\0\x01\x00",
      30);
  EXPECT_EQ(u.SerializeBody(), expected);
}

TEST(UnInstall, PiecesOfThreeMebibytes) {
  NullPlatform p;
  for (size_t extra : {0, 1}) {
    UninstallRecorder u(p);
    // Body: two strings and a count of zero = 12 bytes + the product name.
    u.SetProductName(std::string(kChunkPieceSize - 12 + extra, 'x'));
    const std::string file = u.SaveToBytes();
    const auto pieces = Pieces(file);
    ASSERT_EQ(pieces.size(), 1 + extra);
    StringInputStream in(file);
    EXPECT_EQ(ExtractRegionToString(in, pieces[0].first, pieces[0].second).size(), kChunkPieceSize);
    if (extra) {
      EXPECT_EQ(ExtractRegionToString(in, pieces[1].first, pieces[1].second).size(), 1u);
    }
    EXPECT_EQ(static_cast<unsigned char>(file[5]), 0xDA);  // zlib header of level 9

    UninstallRecorder back(p);
    back.LoadFromBytes(file, "log");
    EXPECT_EQ(back.ProductName(), u.ProductName());
  }
}

TEST(UnInstall, RoundTripReplacesContent) {
  NullPlatform p;
  UninstallRecorder u(p);
  u.SetProductName("\xB2\xE2\xCA\xD4");  // 测试
  u.SetUninstallKey("{K}");
  u.AddFolder("C:\\A");
  u.AddRegKey("2147483649", "S\\A", "v");
  u.AddFile("C:\\A\\keep.dat", 0);

  UninstallRecorder back(p);
  back.AddFile("C:\\old", 1);
  back.LoadFromBytes(u.SaveToBytes(), "log");
  EXPECT_EQ(back.ProductName(), u.ProductName());
  EXPECT_EQ(back.UninstallKey(), u.UninstallKey());
  EXPECT_EQ(back.Records(), u.Records());
  back.AddFolder("c:\\a");  // the loaded records take part in de-duplication
  EXPECT_EQ(back.Records().size(), 3u);
}

TEST(UnInstall, DamagedLogsLeaveTheRecorderUnchanged) {
  NullPlatform p;
  UninstallRecorder good(p);
  good.SetProductName("P");
  good.AddFile("C:\\f", 1);
  const std::string file = good.SaveToBytes();
  auto piece = [](const std::string& body) {
    std::string z = ZlibCompress(body, 9);
    int32_t n = static_cast<int32_t>(z.size());
    return std::string(reinterpret_cast<const char*>(&n), 4) + z;
  };
  const std::string damaged[] = {
      file.substr(0, file.size() - 3),                                // cut inside the zlib stream
      file.substr(0, 2),                                              // cut inside the length
      std::string("\xFF\xFF\xFF\x7F", 4) + "abc",                     // length past the end
      std::string("\xFE\xFF\xFF\xFF", 4),                             // negative length
      piece(std::string("\x01\0\0\0P\0\0\0\0\xFF\xFF\xFF\x7F", 13)),  // huge record count
      piece(std::string("\x01\0\0\0P\0\0\0\0\xFF\xFF\xFF\xFF", 13)),  // negative count
      piece(std::string("\x05\0\0\0P", 5)),                           // string past the end
      piece(good.SerializeBody() + "x"),                              // trailing bytes
      std::string(40, '\0'),                                          // empty pieces, no body
  };
  for (const std::string& bytes : damaged) {
    UninstallRecorder u(p);
    u.SetProductName("mine");
    u.AddFolder("C:\\kept");
    EXPECT_THROW(u.LoadFromBytes(bytes, "Ins.log"), Error);
    EXPECT_EQ(u.ProductName(), "mine");
    ASSERT_EQ(u.Records().size(), 1u);
  }
}

}  // namespace
}  // namespace sk
