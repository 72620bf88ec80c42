// The integrity pass over whole packages: every kind of damage is found with its offset before
// anything would be installed, sound packages pass, and the progress covers the data.
#include <gtest/gtest.h>

#include <cstring>

#include "package/ByteSize.h"
#include "package/Container.h"
#include "package/Integrity.h"
#include "package/SettingsStream.h"
#include "package/Writer.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using test::NullPlatform;
using test::PackageBuilder;
using test::StringInputStream;

std::string Le64(int64_t v) {
  return std::string(reinterpret_cast<const char*>(&v), 8);
}
std::string Le32(int32_t v) {
  return std::string(reinterpret_cast<const char*>(&v), 4);
}

std::optional<IntegrityFault> Check(const std::string& file, IntegrityStats* stats = nullptr,
                                    CheckScope scope = CheckScope::Everything) {
  NullPlatform p;
  TCompile parsed(p);
  StringInputStream in(file);
  return CheckPackage(in, parsed, nullptr, stats, scope);
}

// Two files of several chunks each, a folder with junk offsets (never read) and a page file.
struct Sample {
  PackageBuilder b;
  std::string bytes;
  Region first, second, page;
  int64_t settings = 0;
  Sample() {
    b.Setting("Name", "Value");
    b.File("D:\\src\\one.bin", "C:\\App", std::string(kChunkPieceSize + 1000, 'a'));
    b.File("D:\\src\\two.bin", "C:\\App", std::string(kChunkPieceSize * 2 + 7, 'b'));
    b.Folder("C:\\App", "sub");
    b.File("D:\\pics\\p.png", "", "picture", kind::PageFile);
    bytes = b.Build();
    const auto& files = b.Model().Package().FileList();
    first = {files[0]->DataStart, files[0]->DataEnd};
    second = {files[1]->DataStart, files[1]->DataEnd};
    page = {files[3]->DataStart, files[3]->DataEnd};
    settings = page.end;
  }
  // The package written again with its records changed by `edit` (data regions unchanged).
  std::string Rewritten(const std::function<void(TCompile&)>& edit) const {
    NullPlatform p;
    TCompile model(p);
    StringInputStream in(bytes);
    model.LoadPackageFrom(in);
    edit(model);
    std::string out = bytes.substr(0, static_cast<size_t>(settings));
    StringOutputStreamAt sink(out);
    PackageWriter w(sink, settings, 1);
    w.Finish(model);
    return out;
  }
  struct StringOutputStreamAt : OutputStream {
    explicit StringOutputStreamAt(std::string& s) : s_(s) {}
    void Write(const void* d, size_t n) override { s_.append(static_cast<const char*>(d), n); }
    void Close() override {}
    std::string& s_;
  };
};

TEST(Integrity, SoundPackagePasses) {
  Sample s;
  IntegrityStats stats;
  auto fault = Check(s.bytes, &stats);
  EXPECT_FALSE(fault) << fault->message;
  EXPECT_EQ(stats.regions, 4u);  // settings + three items with data; the folder is skipped
  EXPECT_EQ(stats.inflatedBytes, int64_t(kChunkPieceSize * 3 + 1007 + 7));
  EXPECT_EQ(stats.settingsOffset, s.settings);
  EXPECT_FALSE(stats.bounds.certificates);
  // Folders carry no data: whatever their offsets say is never read.
  EXPECT_FALSE(Check(s.Rewritten([](TCompile& m) {
    m.Package().FileList()[2]->DataStart = -5;
    m.Package().FileList()[2]->DataEnd = int64_t{1} << 40;
    m.Package().FileList()[2]->UncompressedSize = -1;
  })));
}

TEST(Integrity, FindsEveryKindOfDamageWithItsOffset) {
  Sample s;
  const int64_t size = static_cast<int64_t>(s.bytes.size());
  auto flip = [&](int64_t at) {
    std::string b = s.bytes;
    b[static_cast<size_t>(at)] ^= 0x5A;
    return b;
  };
  auto trailer = [&](int64_t settings) {
    return s.bytes.substr(0, s.bytes.size() - 8) + Le64(settings);
  };
  auto chunkLength = [&](int64_t at) {
    uint32_t len;
    std::memcpy(&len, s.bytes.data() + at, 4);
    return static_cast<int64_t>(len);
  };
  const int64_t secondChunk2 = s.second.start + 4 + chunkLength(s.second.start);
  const int64_t secondChunk2End = secondChunk2 + 4 + chunkLength(secondChunk2);
  struct Case {
    const char* what;
    std::string file;
    int64_t offset;
    const char* message;
    // How Setup.exe's pass (all but the files to install) sees it.
    enum { Alike, LeftToTheInstall, ByTheTrailer } setupPass = Alike;
  };
  const Case cases[] = {
      {"cut in half", s.bytes.substr(0, s.bytes.size() / 2), -1, ""},
      {"cut before the trailer", s.bytes.substr(0, s.bytes.size() - 1), -1, ""},
      {"no settings block", trailer(0), size - 8, "no settings block"},
      {"negative settings offset", trailer(-1), size - 8, "no settings block"},
      {"settings offset at the trailer", trailer(size - 16), size - 8, "outside the package"},
      {"deflate data of the second file", flip(s.second.start + 30), s.second.start,
       "does not inflate", Case::LeftToTheInstall},
      {"checksum of the second file's second chunk", flip(secondChunk2End - 1), secondChunk2,
       "does not inflate", Case::LeftToTheInstall},
      {"chunk length of the first file", flip(s.first.start + 3), s.first.start, "chunk",
       Case::LeftToTheInstall},
      {"settings block", flip(s.settings + 20), s.settings, "settings block"},
      {"data longer than its record",
       s.Rewritten([](TCompile& m) { m.Package().FileList()[1]->UncompressedSize -= 1; }),
       s.second.start, "more than the", Case::ByTheTrailer},
      {"data shorter than its record",
       s.Rewritten([](TCompile& m) { m.Package().FileList()[1]->UncompressedSize += 1; }),
       s.second.start, "its record says", Case::ByTheTrailer},
      {"region reaching into the settings block",
       s.Rewritten([&](TCompile& m) { m.Package().FileList()[3]->DataEnd = s.settings + 1; }),
       s.settings, "outside the package data"},
      {"region before the file",
       s.Rewritten([](TCompile& m) { m.Package().FileList()[0]->DataStart = -1; }), s.settings,
       "outside the package data"},
      {"region of the wrong file", s.Rewritten([&](TCompile& m) {
         m.Package().FileList()[3]->DataStart = s.first.start;
         m.Package().FileList()[3]->DataEnd = s.first.end;
       }),
       s.first.start, "more than the"},
      {"page file named to leave the staging folder", s.Rewritten([](TCompile& m) {
         m.Package().FileList()[3]->SourcePath = "D:\\pics/../../Windows/p.png";
       }),
       s.settings, "not a plain file or folder name"},
      {"page file named longer than any Windows path", s.Rewritten([](TCompile& m) {
         std::string path = "D:";
         for (int i = 0; i < 40000; ++i) path += "\\a";  // 80,002 bytes, 40,000 elements
         m.Package().FileList()[3]->SourcePath = path;
       }),
       s.settings, "a name of 80002 bytes is longer than any Windows path"},
      {"component file below its folder's parent", s.Rewritten([](TCompile& m) {
         m.Package().FileList()[0]->Kind = kind::CompFile;
         m.Package().FileList()[0]->TargetDir = "D:\\src\\";
         m.Package().FileList()[0]->SourcePath = "D:\\src\\../one.bin";
       }),
       s.settings, "leaves the staging folder"},
  };
  for (const Case& c : cases) {
    for (const CheckScope scope : {CheckScope::Everything, CheckScope::ExceptInstalledFiles}) {
      SCOPED_TRACE(scope == CheckScope::Everything ? "everything" : "all but the files");
      auto fault = Check(c.file, nullptr, scope);
      if (scope == CheckScope::ExceptInstalledFiles && c.setupPass == Case::LeftToTheInstall) {
        EXPECT_FALSE(fault) << c.what << ": " << fault->message;
        continue;
      }
      if (scope == CheckScope::ExceptInstalledFiles && c.setupPass == Case::ByTheTrailer) {
        ASSERT_TRUE(fault) << c.what;
        EXPECT_EQ(fault->offset, static_cast<int64_t>(c.file.size()) - 16) << c.what;
        EXPECT_NE(fault->message.find("trailer Size"), std::string::npos) << fault->message;
        continue;
      }
      ASSERT_TRUE(fault) << c.what;
      if (c.offset >= 0) {
        EXPECT_EQ(fault->offset, c.offset) << c.what << ": " << fault->message;
      }
      EXPECT_NE(fault->message.find(c.message), std::string::npos)
          << c.what << ": " << fault->message;
    }
  }
}

// Setup.exe's pass inflates all but the files to install: the install inflates those once and
// checks them as it writes (ExtractToFile). Their regions' bounds are still checked.
TEST(Integrity, SetupsPassLeavesTheFilesToTheInstall) {
  Sample s;
  IntegrityStats stats;
  auto fault = Check(s.bytes, &stats, CheckScope::ExceptInstalledFiles);
  EXPECT_FALSE(fault) << fault->message;
  EXPECT_EQ(stats.regions, 2u);  // the settings block and the page file
  EXPECT_EQ(stats.inflatedBytes, 7);
}

// A file cut anywhere is refused: the trailer is then made of whatever bytes ended up last.
TEST(Integrity, EveryTruncationIsRefused) {
  PackageBuilder b;
  b.Setting("Name", "Value");
  b.File("D:\\a.txt", "C:\\App", std::string(5000, 'x') + "tail");
  const std::string bytes = b.Build();
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_TRUE(Check(bytes.substr(0, n))) << "cut to " << n << " bytes";
}

// Other writers may cut pieces of any size: a chunk larger than a written piece is counted too.
TEST(Integrity, ChunksOfAnySizeAreCounted) {
  const std::string stub = "MZ stub";
  const std::string big(5 << 20, 'q');
  const std::string z = ZlibCompress(big);
  auto file = [&](int64_t recorded) {
    NullPlatform p;
    TCompile m(p);
    auto item = std::make_unique<TCompileFileData>();
    item->SourcePath = "D:\\big.bin";
    item->DataStart = static_cast<int64_t>(stub.size());
    item->DataEnd = item->DataStart + 4 + static_cast<int64_t>(z.size());
    item->UncompressedSize = recorded;
    m.Package().FileList().push_back(std::move(item));
    std::string bytes = stub + Le32(static_cast<int32_t>(z.size())) + z;
    const auto settings = static_cast<int64_t>(bytes.size());
    const std::string block = ZlibCompress(SerializeSettings(m.Package()));
    return bytes + Le32(static_cast<int32_t>(block.size())) + block + Le64(recorded) +
           Le64(settings);
  };
  const auto size = static_cast<int64_t>(big.size());
  auto fault = Check(file(size));
  EXPECT_FALSE(fault) << fault->message;
  fault = Check(file(size - 1));
  ASSERT_TRUE(fault);
  EXPECT_NE(fault->message.find("more than the"), std::string::npos) << fault->message;
}

TEST(Integrity, ProgressCoversTheDataInOrder) {
  Sample s;
  NullPlatform p;
  TCompile parsed(p);
  StringInputStream in(s.bytes);
  int64_t last = -1, total = -1;
  ASSERT_FALSE(CheckPackage(in, parsed, [&](int64_t done, int64_t all) {
    EXPECT_GE(done, last);
    last = done;
    total = all;
  }));
  EXPECT_EQ(total, int64_t(kChunkPieceSize * 3 + 1007 + 7));
  EXPECT_EQ(last, total);
  // The parsed settings are handed back.
  ASSERT_EQ(parsed.Package().FileList().size(), 4u);
  EXPECT_EQ(parsed.Package().InfoList()[0]->Name, "Name");
}

// Sizes no disk holds are damage, found before any data is inflated (at the settings block); the
// trailer's Size must be the total of the files to install, found after the data (at the
// trailer), so a region that does not match its record is still named first.
TEST(Integrity, ImpossibleSizesAndAWrongTrailerSizeAreDamage) {
  Sample s;
  const int64_t trailerAt = static_cast<int64_t>(s.bytes.size()) - 16;
  const int64_t files = int64_t(kChunkPieceSize * 3 + 1007);  // the two Kind-0 items
  auto components = [](std::vector<int64_t> sizes) {
    return [sizes](TCompile& m) {
      for (int64_t size : sizes) {
        m.Package().CompList().push_back(std::make_unique<TCompileCompData>());
        m.Package().CompList().back()->Name = "c";
        m.Package().CompList().back()->Size = size;
      }
    };
  };
  struct Case {
    const char* what;
    std::function<void(TCompile&)> edit;
    int64_t offset;
    std::string message;
  };
  const Case cases[] = {
      {"negative file size", [](TCompile& m) { m.Package().FileList()[3]->UncompressedSize = -7; },
       s.settings, "impossible size -7"},
      {"file size past any disk",
       [](TCompile& m) { m.Package().FileList()[0]->UncompressedSize = kMaxByteSize + 1; },
       s.settings, "impossible size 4611686018427387905"},
      {"negative component size", components({5, -1}), s.settings,
       "component package 1 (c): impossible size -1"},
      {"component size past any disk", components({kMaxByteSize + 1}), s.settings,
       "impossible size"},
      {"three components of 2^62: a total that wraps",
       components({kMaxByteSize, kMaxByteSize, kMaxByteSize}), s.settings,
       "9223372036854775807 bytes in all"},
      {"trailer Size one short", [=](TCompile& m) { m.Package().Size = files - 1; }, trailerAt,
       "trailer Size " + std::to_string(files - 1) + " differs"},
      {"trailer Size negative", [](TCompile& m) { m.Package().Size = -1; }, trailerAt,
       "trailer Size -1"},
      {"trailer Size counting a page file", [=](TCompile& m) { m.Package().Size = files + 7; },
       trailerAt, "differs from the total of the files to install"},
  };
  for (const Case& c : cases) {
    auto fault = Check(s.Rewritten(c.edit));
    ASSERT_TRUE(fault) << c.what;
    EXPECT_EQ(fault->offset, c.offset) << c.what << ": " << fault->message;
    EXPECT_NE(fault->message.find(c.message), std::string::npos)
        << c.what << ": " << fault->message;
  }
  // A need of exactly 2^62 in all is possible.
  auto fault = Check(s.Rewritten(components({kMaxByteSize - files})));
  EXPECT_FALSE(fault) << fault->message;
}

// A settings block of a few kilobytes holding more records than a package may: the pass reports
// damage at the settings block, and the load refuses it, before the records are read.
TEST(Integrity, MoreRecordsThanAPackageMayHoldAreDamage) {
  const std::string stub = "MZ stub";
  std::string stream = Le32(static_cast<int32_t>(kMaxSettingsRecords + 1)) +
                       std::string((kMaxSettingsRecords + 1) * 9 + 32, '\0');
  const std::string block = ZlibCompress(stream);
  ASSERT_LT(block.size(), 64u << 10);
  const std::string file = stub + Le32(static_cast<int32_t>(block.size())) + block + Le64(0) +
                           Le64(static_cast<int64_t>(stub.size()));
  auto fault = Check(file);
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->offset, static_cast<int64_t>(stub.size()));
  EXPECT_NE(fault->message.find("too many records"), std::string::npos) << fault->message;
  NullPlatform p;
  TCompile loaded(p);
  StringInputStream in(file);
  EXPECT_THROW(loaded.LoadPackageFrom(in), Error);
  EXPECT_TRUE(loaded.Package().InfoList().empty());
}

}  // namespace
}  // namespace sk
