// File and folder operations that must behave alike on the sandbox and on Windows.
#include <gtest/gtest.h>
#include <cstdlib>

#include "tests/support/TestMachine.h"

namespace sk {
namespace {

std::string ReadAll(Platform& p, const std::string& path) {
  auto in = p.OpenRead(path);
  std::string data(static_cast<size_t>(in->Size()), '\0');
  size_t got = in->Read(data.data(), data.size());
  data.resize(got);
  return data;
}

void WriteAll(Platform& p, const std::string& path, const std::string& data) {
  auto out = p.CreateFile(path);
  out->Write(data.data(), data.size());
  out->Close();
}

class Files : public ::testing::Test {
 protected:
  std::unique_ptr<test::TestMachine> m = test::MakeTestMachine();
  Platform& p = m->platform();
  std::string root = m->root();
};

TEST_F(Files, CreateReadAndSeek) {
  std::string f = root + "data.bin";
  std::string bytes("a\0b\xFF\x80z", 6);
  WriteAll(p, f, bytes);
  EXPECT_TRUE(p.FileExists(f));
  EXPECT_FALSE(p.DirectoryExists(f));
  EXPECT_EQ(ReadAll(p, f), bytes);
  auto in = p.OpenRead(f);
  in->Seek(4);
  char buf[8];
  EXPECT_EQ(in->Read(buf, sizeof buf), 2u);
  EXPECT_EQ(std::string(buf, 2), "\x80z");
  EXPECT_EQ(in->Read(buf, sizeof buf), 0u);
  EXPECT_THROW(p.CreateFile(f), Error);  // still open for reading
  EXPECT_FALSE(p.DeleteFile(f));
  EXPECT_EQ(ReadAll(p, f), bytes);  // a second reader is fine
  in.reset();
  WriteAll(p, f, "x");  // truncates
  EXPECT_EQ(ReadAll(p, f), "x");
}

TEST_F(Files, FailuresThatThrowNameTheFile) {
  struct Case {
    std::string path;
    bool create;
  } cases[] = {
      {root + "missing.txt", false},          {root + "no\\such\\dir\\f.txt", true},
      {root + "no\\such\\dir\\f.txt", false}, {root + "bad?name.txt", true},
      {root + "bad|name.txt", true},          {root.substr(0, root.size() - 1), true},  // a folder
  };
  for (const Case& c : cases) {
    try {
      if (c.create) {
        p.CreateFile(c.path);
      } else {
        p.OpenRead(c.path);
      }
      ADD_FAILURE() << c.path;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.path), std::string::npos) << e.what();
    }
  }
}

TEST_F(Files, Folders) {
  std::string a = root + "a", deep = root + "x\\y\\z";
  EXPECT_TRUE(p.CreateDirectory(a));
  EXPECT_FALSE(p.CreateDirectory(a));  // exists already
  EXPECT_TRUE(p.DirectoryExists(a));
  EXPECT_TRUE(p.DirectoryExists(a + "\\"));
  EXPECT_FALSE(p.CreateDirectory(deep));  // parent missing
  EXPECT_TRUE(p.ForceDirectories(deep));
  EXPECT_TRUE(p.ForceDirectories(deep));
  EXPECT_TRUE(p.DirectoryExists(deep));
  WriteAll(p, root + "file", "");
  EXPECT_FALSE(p.ForceDirectories(root + "file\\sub"));
  EXPECT_FALSE(p.CreateDirectory(root + "bad*name"));
  EXPECT_EQ(p.ListDirectory(root), (std::vector<std::string>{"a", "file", "x"}));
  EXPECT_TRUE(p.ListDirectory(root + "missing").empty());
}

TEST_F(Files, GbkNamesRoundTrip) {
  // "安装程序\数据.txt": a name with a GBK trail byte 0x5C ("\xB5\x5C" is not a separator).
  std::string dir = root + "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2";
  std::string file = dir + "\\\xCA\xFD\xBE\xDD\x81\x5C.txt";
  ASSERT_TRUE(p.CreateDirectory(dir));
  WriteAll(p, file, "gbk");
  EXPECT_TRUE(p.FileExists(file));
  EXPECT_EQ(ReadAll(p, file), "gbk");
  EXPECT_EQ(p.ListDirectory(dir), (std::vector<std::string>{"\xCA\xFD\xBE\xDD\x81\x5C.txt"}));
}

TEST_F(Files, TrailBytesAreNotLetters) {
  // "\x81\x41" and "\x81\x61" are two different characters whose trail bytes happen to be the
  // codes of 'A' and 'a': only ASCII letters standing alone fold.
  const std::string upper = root + "\x81\x41.txt", lower = root + "\x81\x61.txt";
  WriteAll(p, upper, "upper");
  EXPECT_FALSE(p.FileExists(lower));
  WriteAll(p, lower, "lower");
  EXPECT_EQ(ReadAll(p, upper), "upper");
  EXPECT_EQ(ReadAll(p, lower), "lower");
  EXPECT_EQ(p.ListDirectory(root).size(), 2u);
  // Attributes and open streams belong to one of them only.
  ASSERT_TRUE(p.SetFileAttributes(upper, attr::ReadOnly));
  EXPECT_EQ(p.GetFileAttributes(lower) & attr::ReadOnly, 0u);
  {
    auto writing = p.CreateFile(lower);
    EXPECT_EQ(ReadAll(p, upper), "upper");
  }
  EXPECT_TRUE(p.DeleteFile(lower));
  EXPECT_TRUE(p.FileExists(upper));
  ASSERT_TRUE(p.SetFileAttributes(upper, attr::Normal));
  EXPECT_TRUE(p.CreateDirectory(root + "\x81\x42"));
  EXPECT_FALSE(p.DirectoryExists(root + "\x81\x62"));
  EXPECT_TRUE(p.CreateDirectory(root + "\x81\x62"));
}

TEST_F(Files, NamesIgnoreCaseAndTrailingDots) {
  WriteAll(p, root + "ReadMe.TXT", "1");
  EXPECT_TRUE(p.FileExists(root + "README.txt"));
  EXPECT_TRUE(p.FileExists(root + "readme.txt."));
  WriteAll(p, root + "readme.txt", "2");  // the same file
  EXPECT_EQ(ReadAll(p, root + "README.TXT"), "2");
  EXPECT_EQ(p.ListDirectory(root), (std::vector<std::string>{"ReadMe.TXT"}));
  EXPECT_TRUE(p.DeleteFile(root + "README.TXT"));
  EXPECT_FALSE(p.FileExists(root + "ReadMe.TXT"));
  EXPECT_FALSE(p.DeleteFile(root + "ReadMe.TXT"));
}

// Trailing blanks and dots of a name are dropped as the system drops them: both spellings name
// one entry, whichever was used to create it.
TEST_F(Files, TrailingBlanksAndDotsNameTheSameEntry) {
  struct Case {
    const char* created;
    const char* lookedUp;
    bool folder;
  } cases[] = {
      {"dir ", "dir", true},      {"Dir2", "dir2 ", true},     {"dir3 .", "DIR3", true},
      {"a.txt ", "a.txt", false}, {"b.txt", "B.TXT  ", false}, {"c.txt. ", "c.txt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.created);
    if (c.folder)
      ASSERT_TRUE(p.CreateDirectory(root + c.created));
    else
      WriteAll(p, root + c.created, c.created);
    EXPECT_EQ(p.DirectoryExists(root + c.lookedUp), c.folder);
    EXPECT_EQ(p.FileExists(root + c.lookedUp), !c.folder);
    if (!c.folder) {
      EXPECT_EQ(ReadAll(p, root + c.lookedUp), c.created);
    }
  }
  EXPECT_EQ(p.ListDirectory(root).size(), std::size(cases));
}

TEST_F(Files, Attributes) {
  std::string f = root + "f.txt";
  WriteAll(p, f, "x");
  EXPECT_EQ(p.GetFileAttributes(f) & ~(attr::Archive | attr::Normal), 0u);
  EXPECT_NE(p.GetFileAttributes(root) & attr::Directory, 0u);
  EXPECT_EQ(p.GetFileAttributes(root + "none"), attr::Invalid);
  // The bits that decide what may be done with a file; the archive bit is the file
  // system's own business (Wine reports it on every file).
  const uint32_t mask = attr::ReadOnly | attr::Hidden | attr::System;
  for (uint32_t set : {attr::ReadOnly, attr::Hidden | attr::System, attr::Normal,
                       attr::ReadOnly | attr::Archive}) {
    ASSERT_TRUE(p.SetFileAttributes(f, set));
    EXPECT_EQ(p.GetFileAttributes(f) & mask, set & mask) << set;
    if (m->isSandbox()) {
      EXPECT_EQ(p.GetFileAttributes(f), set);
    }
  }
  EXPECT_FALSE(p.SetFileAttributes(root + "none", attr::Normal));
}

TEST_F(Files, ReadOnlyFilesRefuseOverwriteAndDelete) {
  std::string f = root + "ro.txt";
  WriteAll(p, f, "keep");
  ASSERT_TRUE(p.SetFileAttributes(f, attr::ReadOnly));
  if (!test::UnderWine()) {  // Wine as root allows it
    EXPECT_THROW(p.CreateFile(f), Error);
  }
  EXPECT_FALSE(p.DeleteFile(f));
  EXPECT_EQ(ReadAll(p, f), "keep");
  ASSERT_TRUE(p.SetFileAttributes(f, attr::Normal));
  EXPECT_TRUE(p.DeleteFile(f));
}

// A time asked for before Close survives the data written after the request, small (kept in a
// buffer until Close) or large (written at once).
TEST_F(Files, WriteTimeSetOnClose) {
  const int64_t t = 132537600000000000LL;  // 2021-01-01 00:00:00 UTC
  for (size_t size : {size_t{5}, size_t{300} * 1024}) {
    const std::string f = root + "timed-" + std::to_string(size);
    auto out = p.CreateFile(f);
    ASSERT_TRUE(out->SetWriteTimeOnClose(t));
    out->Write(std::string(size, 'x').data(), size);
    out->Close();
    EXPECT_EQ(p.GetFileWriteTime(f), t) << size;
    EXPECT_EQ(ReadAll(p, f).size(), size);
  }
  auto out = p.CreateFile(root + "untimed");
  EXPECT_FALSE(out->SetWriteTimeOnClose(-1));
}

TEST_F(Files, WriteTimesAndCopy) {
  std::string a = root + "a.txt", b = root + "b.txt";
  WriteAll(p, a, "content");
  const int64_t t = 132537600000000000LL;  // 2021-01-01 00:00:00 UTC
  ASSERT_TRUE(p.SetFileWriteTime(a, t));
  EXPECT_EQ(p.GetFileWriteTime(a), t);
  EXPECT_EQ(p.GetFileWriteTime(root + "none"), std::nullopt);
  EXPECT_FALSE(p.SetFileWriteTime(root + "none", t));
  ASSERT_TRUE(p.SetFileAttributes(a, attr::ReadOnly));
  EXPECT_TRUE(p.CopyFileIfAbsent(a, b));
  EXPECT_EQ(ReadAll(p, b), "content");
  EXPECT_EQ(p.GetFileWriteTime(b), t);
  EXPECT_NE(p.GetFileAttributes(b) & attr::ReadOnly, 0u);
  EXPECT_FALSE(p.CopyFileIfAbsent(a, b));  // present: untouched
  EXPECT_FALSE(p.CopyFileIfAbsent(root + "none", root + "c.txt"));
  EXPECT_FALSE(p.CopyFileIfAbsent(a, root + "no\\dir\\c.txt"));
  p.SetFileAttributes(a, attr::Normal);
  p.SetFileAttributes(b, attr::Normal);
}

TEST_F(Files, FreeSpaceOfRootsAndPaths) {
  std::string drive = root.substr(0, 3);
  EXPECT_GT(p.GetDiskFreeSpace(drive), 0);
  // "\\" is the root of the current drive. Two readings of a disk that other programs write to
  // differ by what they wrote in between: the same drive reads alike within that.
  const int64_t ofRoot = p.GetDiskFreeSpace("\\");
  const int64_t ofCurrent = p.GetDiskFreeSpace(p.CurrentDirectory().substr(0, 3));
  EXPECT_GT(ofRoot, 0);
  EXPECT_LT(std::llabs(ofRoot - ofCurrent), int64_t{256} << 20) << ofRoot << " " << ofCurrent;
  EXPECT_NE(p.GetFixedDrives().find(static_cast<char>(toupper(drive[0]))), std::string::npos);
}

}  // namespace
}  // namespace sk
