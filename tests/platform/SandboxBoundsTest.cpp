// The sandbox machine on hostile input: links inside its root are never followed, the registry
// keeps Windows' size limits, names registry.reg cannot hold fail instead of corrupting it, and
// deep or long inputs take bounded work.
#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/sandbox/HostStreams.h"
#include "platform/sandbox/IniProfile.h"
#include "platform/sandbox/SandboxRegistry.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"

namespace fs = std::filesystem;

namespace sk {
namespace {

std::string HostRead(const fs::path& p) {
  return test::ReadHostFile(p.string());
}

class SandboxLinks : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "host links need privileges on Windows";
#endif
    outside = root.parent_path() / (root.filename().string() + "-outside");
    fs::create_directories(outside / "dir");
    test::WriteHostFile((outside / "dir" / "victim.txt").string(), "outside");
    test::WriteHostFile((outside / "file.txt").string(), "outside");
  }
  void TearDown() override {
    fs::remove_all(outside);
  }

  // Every way of reaching `path` fails and leaves the outside files as they were.
  void ExpectRefused(SandboxPlatform& p, const std::string& path) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(p.FileExists(path));
    EXPECT_FALSE(p.DirectoryExists(path));
    EXPECT_EQ(p.GetFileAttributes(path), attr::Invalid);
    EXPECT_FALSE(p.DeleteFile(path));
    EXPECT_FALSE(p.SetFileAttributes(path, attr::ReadOnly));
    EXPECT_FALSE(p.CreateDirectory(path + "\\new"));
    EXPECT_FALSE(p.ForceDirectories(path + "\\a\\b"));
    EXPECT_FALSE(p.CopyFileIfAbsent("C:\\Windows\\win.ini", path + "\\copy.txt"));
    EXPECT_TRUE(p.ListDirectory(path).empty());
    for (const std::string& target : {path, path + "\\victim.txt", path + "\\new.txt"}) {
      try {
        p.CreateFile(target);
        ADD_FAILURE() << "created " << target;
      } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("is a link"), std::string::npos) << e.what();
      }
      EXPECT_THROW(p.OpenRead(target), Error);
    }
    EXPECT_EQ(HostRead(outside / "dir" / "victim.txt"), "outside");
    EXPECT_EQ(HostRead(outside / "file.txt"), "outside");
    EXPECT_EQ(std::distance(fs::directory_iterator(outside / "dir"), fs::directory_iterator()), 1);
  }

  std::unique_ptr<test::TestMachine> m = test::MakeSandboxMachine();
  SandboxPlatform& p = *m->sandbox();
  fs::path root = p.config().root;
  fs::path outside;
};

TEST_F(SandboxLinks, LinksInsideTheRootAreNeverFollowed) {
  {
    auto w = p.CreateFile("C:\\Windows\\win.ini");
    w->Close();
  }
  fs::create_directory_symlink(outside / "dir", root / "C" / "Prog");
  fs::create_symlink(outside / "file.txt", root / "C" / "file.txt");
  fs::create_symlink(outside / "missing", root / "C" / "dangling");
  fs::create_directories(root / "C" / "Deep" / "Er");
  fs::create_directory_symlink(outside / "dir", root / "C" / "Deep" / "Er" / "Link");
  for (const char* path : {"C:\\Prog", "C:\\PROG", "c:/prog/", "C:\\file.txt", "C:\\FILE.TXT",
                           "C:\\dangling", "C:\\Deep\\Er\\Link", "C:\\deep\\er\\LINK"}) {
    ExpectRefused(p, path);
  }
  EXPECT_FALSE(p.FileExists("C:\\Prog\\victim.txt"));
  // The folder that holds a link is itself usable; the link is listed but leads nowhere.
  EXPECT_TRUE(p.DirectoryExists("C:\\Deep\\Er"));
  EXPECT_TRUE(p.ForceDirectories("C:\\Deep\\Er\\Own"));
}

TEST_F(SandboxLinks, DriveFolderAndMachineFilesAreNeverLinks) {
  SandboxConfig config = p.config();
  config.drives['D'] = 1 << 20;
  fs::create_directory_symlink(outside / "dir", root / "D");
  SandboxPlatform withD(config);
  ExpectRefused(withD, "D:\\");
  EXPECT_FALSE(withD.FileExists("D:\\victim.txt"));

  fs::create_symlink(outside / "file.txt", p.ActionsLogPath());
  EXPECT_THROW(p.StartProgram("setup.exe", 1), Error);
  EXPECT_EQ(HostRead(outside / "file.txt"), "outside");

  p.Save();
  fs::remove(p.RegistryPath());
  fs::create_symlink(outside / "file.txt", p.RegistryPath());
  EXPECT_THROW(SandboxPlatform again(p.config()), Error);
  EXPECT_EQ(HostRead(outside / "file.txt"), "outside");
  fs::remove(p.RegistryPath());
}

// A hard link inside the root shares its data with a file outside: creating the file replaces
// the link instead of truncating the shared data, and the new date goes to the new file only.
// A FIFO is never opened (the open would wait for a reader).
TEST_F(SandboxLinks, HardLinksAreReplacedAndFifosRefused) {
  const fs::path victim = outside / "file.txt";
  const auto victimTime = fs::last_write_time(victim);
  fs::create_hard_link(victim, root / "C" / "Windows" / "shared.txt");
  EXPECT_FALSE(p.SetFileWriteTime("C:\\Windows\\shared.txt", sandbox::kUnixEpochFileTime));
  EXPECT_EQ(fs::last_write_time(victim), victimTime);
  {
    auto w = p.CreateFile("C:\\Windows\\SHARED.txt");
    w->Write("inside", 6);
    ASSERT_TRUE(w->SetWriteTimeOnClose(sandbox::kUnixEpochFileTime));
    w->Close();
  }
  EXPECT_EQ(HostRead(victim), "outside");
  EXPECT_EQ(fs::last_write_time(victim), victimTime);
  EXPECT_EQ(HostRead(root / "C" / "Windows" / "shared.txt"), "inside");
  EXPECT_EQ(p.GetFileWriteTime("C:\\Windows\\shared.txt"), sandbox::kUnixEpochFileTime);

#ifndef _WIN32
  ASSERT_EQ(::mkfifo((root / "C" / "fifo").c_str(), 0600), 0);
  EXPECT_THROW(p.CreateFile("C:\\fifo"), Error);
  EXPECT_THROW(p.OpenRead("C:\\fifo"), Error);
  EXPECT_FALSE(p.FileExists("C:\\fifo"));
#endif

  // actions.log is appended to: a hard link there is refused like a symbolic one.
  fs::create_hard_link(victim, p.ActionsLogPath());
  EXPECT_THROW(p.StartProgram("setup.exe", 1), Error);
  EXPECT_EQ(HostRead(victim), "outside");
}

// ---- registry limits and names ----

std::string Repeat(const std::string& piece, size_t n, const std::string& sep) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += (i ? sep : "") + piece;
  return s;
}

TEST(SandboxRegistryLimits, KeyNamesDepthAndValueNames) {
  auto m = test::MakeSandboxMachine();
  SandboxPlatform& p = *m->sandbox();
  const std::string han = "\xD6\xD0";  // 中: one character of two bytes
  struct Case {
    std::string subKey;
    bool created;
  } keys[] = {
      {"Software\\" + std::string(255, 'k'), true},
      {"Software\\" + std::string(256, 'k'), false},
      {"Software\\" + Repeat(han, 255, ""), true},
      {"Software\\" + Repeat(han, 256, ""), false},
      {Repeat("d", 512, "\\"), true},
      {Repeat("e", 513, "\\"), false},
      {Repeat("f", 100000, "\\"), false},
  };
  for (const Case& c : keys) {
    SCOPED_TRACE(c.subKey.substr(0, 40));
    EXPECT_EQ(p.CreateKey(RegRoot::CurrentUser, c.subKey), c.created);
    EXPECT_EQ(p.OpenKey(RegRoot::CurrentUser, c.subKey, true) != nullptr, c.created);
    EXPECT_EQ(p.KeyExists(RegRoot::CurrentUser, c.subKey), c.created);
  }
  // Nothing of a refused path was made, not even its first levels.
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, "e"));
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, "f"));
  // HKEY_CLASSES_ROOT lies two levels down (Software\Classes).
  EXPECT_TRUE(p.CreateKey(RegRoot::ClassesRoot, Repeat("c", 510, "\\")));
  EXPECT_FALSE(p.CreateKey(RegRoot::ClassesRoot, Repeat("c", 511, "\\")));

  auto key = p.OpenKey(RegRoot::CurrentUser, "Software\\Names", true);
  EXPECT_TRUE(key->WriteString(std::string(16383, 'v'), "x"));
  EXPECT_FALSE(key->WriteString(std::string(16384, 'v'), "x"));
  EXPECT_FALSE(key->ValueExists(std::string(16384, 'v')));

  // The deepest keys are written and read back (the writer does not recurse).
  p.Save();
  SandboxPlatform again(p.config());
  EXPECT_TRUE(again.KeyExists(RegRoot::CurrentUser, Repeat("d", 512, "\\")));
  EXPECT_TRUE(again.KeyExists(RegRoot::CurrentUser, "Software\\" + Repeat(han, 255, "")));
}

TEST(SandboxRegistryNames, NamesTheFileCannotHoldFailAndNeverAddKeys) {
  auto m = test::MakeSandboxMachine();
  SandboxPlatform& p = *m->sandbox();
  auto key = p.OpenKey(RegRoot::CurrentUser, "Software\\Demo", true);
  ASSERT_NE(key, nullptr);
  const std::string inject = "]\r\n[HKEY_LOCAL_MACHINE\\Injected";
  for (const std::string& name : {std::string("a\r\nb"), std::string("line\nbreak"),
                                  std::string("cr\ronly"), inject, std::string("\x81")}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(p.CreateKey(RegRoot::CurrentUser, "Software\\Demo\\" + name));
    EXPECT_FALSE(key->WriteString(name, "v"));
    EXPECT_FALSE(key->WriteDword(name + "\"=dword:1\r\n\"x", 1));
  }
  // What such names may hold elsewhere round-trips: quotes, backslashes, brackets, data with
  // line breaks.
  const std::string odd = "q\"uo\\te]=[x";
  ASSERT_NE(p.OpenKey(RegRoot::CurrentUser, "Software\\Demo\\" + odd, true), nullptr);
  EXPECT_TRUE(key->WriteString(odd, "line1\r\n[HKEY_LOCAL_MACHINE\\Data]\r\n"));
  const std::string zeros("a\0b\0\0", 5);  // zero characters at the end are data too
  EXPECT_TRUE(key->WriteString("Zeros", zeros));
  // Text bytes that form no character are kept as the conversion to UTF-16 makes them, so
  // that they read the same after a restart.
  EXPECT_TRUE(key->WriteString("Lone", "a\xAB"));
  const std::string lone = key->ReadValue("Lone")->data;
  p.Save();

  SandboxPlatform again(p.config());  // loads: the file was not corrupted
  EXPECT_FALSE(again.KeyExists(RegRoot::LocalMachine, "Injected"));
  EXPECT_FALSE(again.KeyExists(RegRoot::LocalMachine, "Data"));
  EXPECT_TRUE(again.KeyExists(RegRoot::CurrentUser, "Software\\Demo\\" + odd));
  auto back = again.OpenKey(RegRoot::CurrentUser, "Software\\Demo", false);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->ReadValue(odd)->data, "line1\r\n[HKEY_LOCAL_MACHINE\\Data]\r\n");
  EXPECT_EQ(back->ReadValue("Zeros")->data, zeros);
  EXPECT_EQ(back->ReadValue("Lone")->data, lone);
}

TEST(SandboxRegistryImport, BadNamesAndLongContinuationsInAnImport) {
  sandbox::SandboxRegistry r;
  // 20,000 continuation lines of one hex value: joined in linear time, every byte kept.
  std::string text =
      "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Big]\r\n\"B\"=hex:";
  for (int i = 0; i < 20000; ++i) text += "01,02,03,\\\r\n  ";
  text += "04\r\n";
  // A key name with a lone CR and a too-deep key are skipped; the file still loads after.
  text += "[HKEY_CURRENT_USER\\Bad\rName]\r\n\"v\"=\"1\"\r\n";
  text += "[HKEY_CURRENT_USER\\" + Repeat("z", 600, "\\") + "]\r\n";
  EXPECT_FALSE(r.ApplyRegFile(text));
  auto big = r.Find(RegRoot::CurrentUser, "Big", false);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->values.at("b").data.size(), 60001u);
  EXPECT_EQ(r.Find(RegRoot::CurrentUser, "Bad\rName", false), nullptr);
  EXPECT_EQ(r.Find(RegRoot::CurrentUser, "z", false), nullptr);
  sandbox::SandboxRegistry loaded;
  loaded.LoadText(r.ToText(), "registry.reg");
  EXPECT_EQ(loaded.ToText(), r.ToText());
}

// A REGEDIT4 hex(1) line holds text in the ANSI code page; bytes that form no character (a
// lone lead byte) are kept as their conversion to UTF-16 makes them, as a program's write is,
// so registry.reg reads back the same.
TEST(SandboxRegistryImport, TextBytesThatFormNoCharacterReadBackTheSame) {
  sandbox::SandboxRegistry r;
  EXPECT_TRUE(
      r.ApplyRegFile("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n"
                     "\"Hex\"=hex(1):61,ab,00\r\n\"Ok\"=hex(1):61,d6,d0,00\r\n"));
  auto key = r.Find(RegRoot::CurrentUser, "T", false);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->values.at("ok").data, "a\xD6\xD0");  // whole characters stay as they are
  const std::string hex = key->values.at("hex").data;
  EXPECT_EQ(hex.substr(0, 1), "a");
  EXPECT_NE(hex, "a\xAB");
  sandbox::SandboxRegistry loaded;
  loaded.LoadText(r.ToText(), "registry.reg");
  EXPECT_EQ(loaded.ToText(), r.ToText());
  EXPECT_EQ(loaded.Find(RegRoot::CurrentUser, "T", false)->values.at("hex").data, hex);
}

TEST(SandboxIni, WholeSectionMatchesSingleReads) {
  const std::string ini =
      "[Other]\r\na=0\r\n[SysDirList]\r\n a.dll = \"quoted\" \r\nB.DLL='single'\r\n;c=x\r\n"
      "noequals\r\nA.DLL=second\r\nb.dll=\r\n[sysdirlist]\r\nlate=1\r\n";
  const auto pairs = sandbox::IniSection(ini, "sysDirList");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"a.dll", "quoted"}, {"B.DLL", "single"}, {"A.DLL", "quoted"}, {"b.dll", "single"}};
  EXPECT_EQ(pairs, expected);
  EXPECT_EQ(sandbox::IniKeys(ini, "SysDirList").size(), pairs.size());
  for (const auto& [k, v] : pairs) EXPECT_EQ(sandbox::IniValue(ini, "SysDirList", k), v) << k;
  EXPECT_TRUE(sandbox::IniSection(ini, "Missing").empty());
}

}  // namespace
}  // namespace sk
