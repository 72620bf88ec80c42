// Win32-only behaviour of the real platform layer: GBK names through the W APIs whatever the
// process code page is, buffered streams, error texts, file times.
#ifdef _WIN32  // Win32-only suite; the glob of this folder also builds natively
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "tests/platform/win32_fixture.h"

namespace sk {
namespace {

// GBK bytes: 安装测试 (install test), 文件名.txt (file name), 乗 (0x81 0x5C: its trail byte is
// a backslash, so a byte-wise path split would cut it in half), 说明 (notes).
const std::string kChineseDir = "\xB0\xB2\xD7\xB0\xB2\xE2\xCA\xD4";
const std::string kChineseFile = "\xCE\xC4\xBC\xFE\xC3\xFB.txt";
const std::string kTrailBackslash = "\x81\x5C";
const std::string kNotes = "\xCB\xB5\xC3\xF7";

class Win32FilesTest : public Win32TempFolderTest {};

TEST_F(Win32FilesTest, ChineseNamesRoundTripWhateverTheCodePage) {
  // Run once in the zh_CN session (code page 936) and once with SETUPKIT_WINE_LANG=C.UTF-8.
  RecordProperty("acp", static_cast<int>(GetACP()));
  struct Case {
    std::string folder;  // relative to the test folder, created with ForceDirectories
    std::string file;
  };
  const std::vector<Case> cases = {
      {kChineseDir, kChineseFile},
      {kChineseDir + "\\" + kTrailBackslash + "\\" + kNotes, kTrailBackslash + ".dat"},
      {"ascii\\" + kTrailBackslash + kTrailBackslash, kNotes + kTrailBackslash},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder + "\\" + c.file);
    std::string dir = root + "\\" + c.folder;
    ASSERT_TRUE(p.ForceDirectories(dir + "\\"));
    EXPECT_TRUE(p.DirectoryExists(dir));
    std::string path = dir + "\\" + c.file;
    auto out = p.CreateFile(path);
    out->Write(c.file.data(), c.file.size());
    out->Close();
    EXPECT_TRUE(p.FileExists(path));
    EXPECT_FALSE(p.DirectoryExists(path));
    std::vector<std::string> names = p.ListDirectory(dir);
    EXPECT_NE(std::find(names.begin(), names.end(), c.file), names.end());
    auto in = p.OpenRead(path);
    std::string back(c.file.size() + 1, '\0');
    ASSERT_EQ(in->Read(back.data(), back.size()), c.file.size());
    back.resize(c.file.size());
    EXPECT_EQ(back, c.file);
  }
  // Each level was created as one folder, not split inside a double-byte character.
  std::vector<std::string> top = p.ListDirectory(root + "\\ascii");
  EXPECT_EQ(top, std::vector<std::string>{kTrailBackslash + kTrailBackslash});
}

TEST_F(Win32FilesTest, BufferedStreamsKeepEveryByteAcrossBufferEdges) {
  // 2.5 MiB written in uneven pieces (smaller and larger than the 1 MiB write buffer).
  std::vector<char> data(5 * 512 * 1024);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 7919u) >> 3);
  std::string path = root + "\\big.bin";
  {
    auto out = p.CreateFile(path);
    const size_t pieces[] = {1, 4095, 65536, 1024 * 1024, 3, 1024 * 1024 + 17};
    size_t at = 0, k = 0;
    while (at < data.size()) {
      size_t n = std::min(pieces[k++ % std::size(pieces)], data.size() - at);
      out->Write(data.data() + at, n);
      at += n;
    }
    out->Close();
  }
  auto in = p.OpenRead(path);
  ASSERT_EQ(in->Size(), static_cast<int64_t>(data.size()));
  struct Read {
    int64_t seek;  // -1: continue where the last read ended
    size_t n;
  };
  const Read reads[] = {{0, 10},  {-1, 70000}, {5, 3},         {65530, 20},  {-1, 2000000},
                        {100, 1}, {-1, 4},     {2621430, 100}, {1048575, 2}, {0, data.size()}};
  for (const Read& r : reads) {
    if (r.seek >= 0) in->Seek(r.seek);
    int64_t at = in->Position();
    std::vector<char> got(r.n);
    size_t n = in->Read(got.data(), r.n);
    size_t expect = std::min<size_t>(r.n, data.size() - static_cast<size_t>(at));
    SCOPED_TRACE("read " + std::to_string(r.n) + " at " + std::to_string(at));
    ASSERT_EQ(n, expect);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + n, data.begin() + at));
    EXPECT_EQ(in->Position(), at + static_cast<int64_t>(n));
  }
  char c;
  EXPECT_EQ(in->Read(&c, 1), 0u);  // at the end
  EXPECT_THROW(in->Seek(in->Size() + 1), Error);
  EXPECT_THROW(in->Seek(-1), Error);
}

TEST_F(Win32FilesTest, FailuresNameTheFileAndTheReason) {
  std::string missingDir = root + "\\" + kChineseDir + "-missing\\" + kChineseFile;
  std::string locked = root + "\\locked.txt";
  auto writer = p.CreateFile(locked);  // exclusive: nobody else may open it meanwhile
  struct Case {
    std::string path;
    bool create;
    std::string prefix;
  };
  const std::vector<Case> cases = {
      {missingDir, true, "cannot create file " + missingDir + ": "},
      {missingDir, false, "cannot open file " + missingDir + ": "},
      {locked, false, "cannot open file " + locked + ": "},
      {locked, true, "cannot create file " + locked + ": "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    try {
      if (c.create)
        p.CreateFile(c.path);
      else
        p.OpenRead(c.path);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      std::string msg = e.what();
      EXPECT_EQ(msg.rfind(c.prefix, 0), 0u) << msg;
      EXPECT_GT(msg.size(), c.prefix.size()) << "no reason given";
      // The code and the reason travel with the message, for callers that word it themselves.
      EXPECT_NE(e.code(), 0u);
      EXPECT_FALSE(e.reason().empty());
      EXPECT_TRUE(msg.ends_with(e.reason())) << msg;
    }
  }
}

TEST_F(Win32FilesTest, LongPathNameExpandsShortNames) {
  const std::string base = p.LongPathName(root);  // the temporary folder may be short itself
  const std::string longDir = base + "\\Long Folder Name\\" + kChineseDir + " deeper";
  ASSERT_TRUE(p.ForceDirectories(longDir));
  wchar_t buf[MAX_PATH + 1];
  const DWORD n = GetShortPathNameW(win32::Wide(longDir).c_str(), buf, MAX_PATH + 1);
  ASSERT_GT(n, 0u);
  const std::string shortDir = win32::Narrow(buf, n);
  if (shortDir == longDir) GTEST_SKIP() << "the volume has no short names";
  ASSERT_EQ(shortDir.find("Long Folder Name"), std::string::npos) << shortDir;
  const std::pair<std::string, std::string> cases[] = {
      {shortDir, longDir},
      {shortDir + "\\", longDir + "\\"},
      // Elements that do not exist stay as given after the expanded part.
      {shortDir + "\\missing\\NEW~1.TXT", longDir + "\\missing\\NEW~1.TXT"},
      {root + "\\nothing\\here", base + "\\nothing\\here"},
      {"C:", "C:"},
      {"", ""},
  };
  for (const auto& [given, expected] : cases) EXPECT_EQ(p.LongPathName(given), expected) << given;
}

TEST_F(Win32FilesTest, WriteTimeAndAttributes) {
  std::string path = root + "\\" + kChineseFile;
  p.CreateFile(path)->Close();
  const int64_t t = 132500000000000000;  // 2020-11-15
  ASSERT_TRUE(p.SetFileWriteTime(path, t));
  EXPECT_EQ(p.GetFileWriteTime(path), t);
  ASSERT_TRUE(p.SetFileAttributes(path, attr::ReadOnly | attr::Hidden));
  EXPECT_EQ(p.GetFileAttributes(path) & (attr::ReadOnly | attr::Hidden),
            attr::ReadOnly | attr::Hidden);
  EXPECT_TRUE(p.SetFileWriteTime(path, t + 10000000));  // read-only files too
  EXPECT_EQ(p.GetFileWriteTime(path), t + 10000000);
  EXPECT_TRUE(p.SetFileAttributes(path, attr::Normal));
  EXPECT_EQ(p.GetFileAttributes(root + "\\absent"), attr::Invalid);
  EXPECT_FALSE(p.GetFileWriteTime(root + "\\absent"));

  std::string copy = root + "\\copy-" + kChineseFile;
  EXPECT_TRUE(p.CopyFileIfAbsent(path, copy));
  EXPECT_FALSE(p.CopyFileIfAbsent(path, copy));  // never overwrites
  EXPECT_TRUE(p.DeleteFile(copy));
  EXPECT_FALSE(p.DeleteFile(copy));
}

TEST_F(Win32FilesTest, IniFilesReadTheSameWhateverTheCodePage) {
  std::string ini = root + "\\" + kChineseDir + ".ini";
  // A GBK component setup file, as it is staged: Chinese section, key names and values.
  const std::string text =
      "[Term]\r\nRegRun=\r\n[SysDirList]\r\na.dll=[System Directory]\\\\a.dll\r\n" + kChineseFile +
      " = " + kNotes + "\\" + kTrailBackslash + "\r\n\r\n[" + kChineseDir +
      "]\r\nExeFile=" + kChineseFile + "\r\n";
  auto out = p.CreateFile(ini);
  out->Write(text.data(), text.size());
  out->Close();
  auto TemporaryCopies = [&] {
    size_t n = 0;
    for (const std::string& name : p.ListDirectory(p.GetTempPath()))
      n += name.rfind("ski", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".tmp";
    return n;
  };
  const size_t copiesBefore = TemporaryCopies();
  EXPECT_EQ(p.IniSectionKeys(ini, "SysDirList"), (std::vector<std::string>{"a.dll", kChineseFile}));
  EXPECT_TRUE(p.IniSectionKeys(ini, "Absent").empty());
  struct Case {
    std::string section, key, def, want;
  };
  const std::vector<Case> cases = {
      {kChineseDir, "ExeFile", "", kChineseFile},
      {kChineseDir, "exefile", "", kChineseFile},  // names compare without case
      {"SysDirList", "a.dll", "", "[System Directory]\\\\a.dll"},
      {"SysDirList", kChineseFile, "", kNotes + "\\" + kTrailBackslash},
      {"Term", "RegRun", "d", ""},
      {"RegistryList", "Regtype", "System", "System"},
      {kChineseDir, "Absent", kNotes, kNotes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section + "/" + c.key);
    EXPECT_EQ(p.IniReadString(ini, c.section, c.key, c.def), c.want);
  }
  EXPECT_EQ(p.IniReadString(root + "\\absent.ini", "Option", "ExeFile", "d"), "d");
  EXPECT_EQ(TemporaryCopies(), copiesBefore);  // a UTF-16 copy, when made, is removed
}

// A held file is one live holder's: a second hold (or a writer) is refused while it lives, and
// letting go deletes it; a path that cannot be a file is an error, not a held file.
TEST_F(Win32FilesTest, HeldFileIsOneHoldersAndGoesWithIt) {
  const std::string lock = root + "\\" + kChineseFile;
  {
    std::unique_ptr<FileHold> first = p.HoldFile(lock);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(p.FileExists(lock));
    EXPECT_EQ(p.HoldFile(lock), nullptr);
    EXPECT_THROW(p.CreateFile(lock), Error);
  }
  EXPECT_FALSE(p.FileExists(lock));
  // A lock left by a process that ended is taken again.
  p.CreateFile(lock)->Close();
  EXPECT_NE(p.HoldFile(lock), nullptr);
  ASSERT_TRUE(p.CreateDirectory(root + "\\" + kChineseDir));
  EXPECT_THROW(p.HoldFile(root + "\\" + kChineseDir), Error);
  EXPECT_THROW(p.HoldFile(root + "\\missing\\lock"), Error);
}

}  // namespace
}  // namespace sk

#endif  // _WIN32
