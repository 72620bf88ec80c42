// Finding the package in signed and unsigned setup files: the certificate table after the
// package (with the zero padding in front of it) is never taken for package data, and a
// security directory that describes no table at the end of the file changes nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "package/Integrity.h"
#include "package/PackageBounds.h"
#include "tests/support/PackageBuilder.h"

namespace sk {
namespace {

using test::NullPlatform;
using test::PackageBuilder;
using test::StringInputStream;

constexpr int64_t kImageEnd = 1024;
constexpr size_t kSecurityDir = 88 + 112 + 4 * 8;  // optional header + directories + entry 4

void Put32(std::string& s, size_t at, uint32_t v) {
  std::memcpy(&s[at], &v, 4);
}
void Put16(std::string& s, size_t at, uint16_t v) {
  std::memcpy(&s[at], &v, 2);
}

// A PE32+ image of kImageEnd bytes: headers up to 512, one section of raw data 512-1024.
std::string Image() {
  std::string s(kImageEnd, '\0');
  s[0] = 'M';
  s[1] = 'Z';
  Put32(s, 60, 64);
  s.replace(64, 4, std::string("PE\0\0", 4));
  Put16(s, 68, 0x8664);
  Put16(s, 70, 1);         // one section
  Put16(s, 84, 240);       // SizeOfOptionalHeader
  Put16(s, 88, 0x20B);     // PE32+
  Put32(s, 88 + 60, 512);  // SizeOfHeaders
  Put32(s, 88 + 108, 16);  // NumberOfRvaAndSizes
  const size_t section = 88 + 240;
  Put32(s, section + 16, 512);  // SizeOfRawData
  Put32(s, section + 20, 512);  // PointerToRawData
  for (size_t i = 512; i < 1024; ++i) s[i] = static_cast<char>(i * 7);
  return s;
}

std::string Package() {
  PackageBuilder b;
  b.Setting("\xCF\xEE\xC4\xBF\xC3\xFB\xB3\xC6", "Signed");  // 项目名称
  b.File("D:\\a.txt", "C:\\App", std::string(20000, 'a'));
  return b.Build(Image());
}

// `file` + `padding` zero bytes + a table of one entry of `body` bytes, the security directory
// pointing at it (offset and size as given, or the real ones).
std::string Sign(std::string file, int padding, size_t body = 900, std::optional<uint32_t> at = {},
                 std::optional<uint32_t> size = {}) {
  file.append(static_cast<size_t>(padding), '\0');
  const auto tableAt = static_cast<uint32_t>(file.size());
  std::string entry(8 + body, '\x30');
  Put32(entry, 0, static_cast<uint32_t>(entry.size()));
  Put16(entry, 4, 0x0200);
  Put16(entry, 6, 0x0002);
  entry.append((8 - entry.size() % 8) % 8, '\0');
  file += entry;
  Put32(file, kSecurityDir, at.value_or(tableAt));
  Put32(file, kSecurityDir + 4, size.value_or(static_cast<uint32_t>(entry.size())));
  return file;
}

std::string ItemNameOf(const std::string& file) {
  NullPlatform p;
  TCompile m(p);
  StringInputStream in(file);
  m.LoadPackageFrom(in);
  return m.Package().ItemName;
}

TEST(PackageBounds, UnsignedFilesEndAtTheirEnd) {
  const std::string plain = Package();
  StringInputStream in(plain);
  PackageBounds b = LocatePackage(in);
  EXPECT_EQ(b.end, static_cast<int64_t>(plain.size()));
  EXPECT_EQ(b.imageEnd, kImageEnd);
  EXPECT_FALSE(b.certificates);
  EXPECT_EQ(b.note, "");
  // Not a PE image at all (the test stub): the package area is the whole file.
  StringInputStream other(std::string("MZ stub") + std::string(100, 'x'));
  b = LocatePackage(other);
  EXPECT_EQ(b.imageEnd, 0);
  EXPECT_EQ(b.end, 107);
}

TEST(PackageBounds, SignedFilesEndBeforeTheirTableAndItsPadding) {
  const std::string plain = Package();
  for (int padding = 0; padding <= 7; ++padding) {
    const std::string signedFile = Sign(plain, padding);
    StringInputStream in(signedFile);
    const PackageBounds b = LocatePackage(in);
    EXPECT_EQ(b.end, static_cast<int64_t>(plain.size())) << "padding " << padding;
    ASSERT_TRUE(b.certificates);
    EXPECT_EQ(b.certificates->offset, static_cast<int64_t>(plain.size()) + padding);
    EXPECT_EQ(b.certificates->entries, 1);
    EXPECT_EQ(b.note, "");
    EXPECT_EQ(ItemNameOf(signedFile), "Signed") << "padding " << padding;
    NullPlatform p;
    TCompile parsed(p);
    StringInputStream again(signedFile);
    auto fault = CheckPackage(again, parsed);
    EXPECT_FALSE(fault) << "padding " << padding << ": " << fault->message;
  }
}

TEST(PackageBounds, MalformedSecurityDirectoriesAreNotSignatures) {
  const std::string plain = Package();
  const auto size = static_cast<uint32_t>(plain.size());
  struct Case {
    const char* what;
    std::string file;
    bool isSigned;
    const char* note;
  };
  const Case cases[] = {
      {"table past the end of the file", Sign(plain, 0, 900, size, 5000), false,
       "does not end at the end of the file"},
      {"table not at the end", Sign(plain, 0, 900, size - 100, 908), false,
       "does not end at the end of the file"},
      {"too short", Sign(plain, 0, 900, size, 4), false, "too short"},
      {"inside the file", Sign(plain, 0, 900, 100, 908), false, "does not end"},
      {"offset inside the image", Sign(plain, 0, 900, 600, size + 912 - 600), false,
       "inside the executable image"},
      {"offset wrapping", Sign(plain, 0, 900, 0xFFFFFFF0u, 0x20), false, "does not end"},
  };
  for (const Case& c : cases) {
    StringInputStream in(c.file);
    const PackageBounds b = LocatePackage(in);
    EXPECT_EQ(b.certificates.has_value(), c.isSigned) << c.what;
    EXPECT_EQ(b.end, static_cast<int64_t>(c.file.size())) << c.what;
    EXPECT_NE(b.note.find(c.note), std::string::npos) << c.what << ": " << b.note;
  }
  // A table at the end whose entry length is wrong still bounds the package.
  std::string broken = Sign(plain, 3);
  Put32(broken, size + 3, 2);
  StringInputStream in(broken);
  const PackageBounds b = LocatePackage(in);
  ASSERT_TRUE(b.certificates);
  EXPECT_EQ(b.certificates->entries, 0);
  EXPECT_EQ(b.end, static_cast<int64_t>(size));
  EXPECT_NE(b.note.find("invalid length 2"), std::string::npos) << b.note;
  EXPECT_EQ(ItemNameOf(broken), "Signed");
}

// Data that reaches into the certificate table is refused even though the bytes are there.
TEST(PackageBounds, DataNeverReachesIntoTheTable) {
  std::string plain = Package();
  StringInputStream in(plain);
  const PackageBounds unsignedBounds = LocatePackage(in);
  // A truncated header (cut inside the PE headers) is no PE image and no crash.
  for (size_t n : {2u, 60u, 70u, 90u, 300u}) {
    StringInputStream cut(plain.substr(0, n));
    EXPECT_EQ(LocatePackage(cut).end, static_cast<int64_t>(n));
  }
  EXPECT_EQ(unsignedBounds.end, static_cast<int64_t>(plain.size()));
  // Signed, then the trailer points the settings block into the table: refused.
  std::string signedFile = Sign(plain, 0);
  const int64_t trailerAt = static_cast<int64_t>(plain.size()) - 16;
  const int64_t intoTable = static_cast<int64_t>(plain.size()) + 8;
  std::memcpy(&signedFile[static_cast<size_t>(trailerAt + 8)], &intoTable, 8);
  NullPlatform p;
  TCompile parsed(p);
  StringInputStream again(signedFile);
  auto fault = CheckPackage(again, parsed);
  ASSERT_TRUE(fault);
}

}  // namespace
}  // namespace sk
