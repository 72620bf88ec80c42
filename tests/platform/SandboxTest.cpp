// Behaviour that only the sandbox machine has: its host folder layout, registry.reg,
// actions.log, and the shell-link files as an independent reader sees them.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/ShellLinks.h"
#include "platform/LnkFormat.h"
#include "tests/support/TestMachine.h"

namespace fs = std::filesystem;

namespace sk {
namespace {

std::string HostRead(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Write(Platform& p, const std::string& path, const std::string& data) {
  auto out = p.CreateFile(path);
  out->Write(data.data(), data.size());
  out->Close();
}

class Sandbox : public ::testing::Test {
 protected:
  std::unique_ptr<test::TestMachine> m = test::MakeSandboxMachine();
  SandboxPlatform& p = *m->sandbox();
  fs::path root = p.config().root;
};

TEST_F(Sandbox, HostLayoutKeepsCaseAndUtf8Names) {
  ASSERT_TRUE(p.ForceDirectories("c:\\Data\\\xD6\xD0\xCE\xC4"));  // "中文"
  Write(p, "C:\\DATA\\\xD6\xD0\xCE\xC4\\Name.TXT", "x");
  EXPECT_TRUE(fs::exists(root / "C" / "Data" / u8"中文" / "Name.TXT"));
  EXPECT_TRUE(fs::equivalent(*p.HostPath("c:\\data\\\xD6\xD0\xCE\xC4\\name.txt"),
                             root / "C" / "Data" / u8"中文" / "Name.TXT"));
  EXPECT_EQ(p.ListDirectory("C:\\DATA\\\xD6\xD0\xCE\xC4"), std::vector<std::string>{"Name.TXT"});
  // Relative and drive-rooted names resolve against the current folder C:\Setup.
  Write(p, "rel.txt", "r");
  EXPECT_TRUE(fs::exists(root / "C" / "Setup" / "rel.txt"));
  EXPECT_TRUE(p.FileExists("\\Setup\\..\\Setup\\.\\REL.txt"));
  EXPECT_FALSE(p.FileExists("D:\\x"));  // no such drive
  EXPECT_FALSE(p.ForceDirectories("\\\\server\\share\\x"));
}

TEST_F(Sandbox, InvalidNamesFailWithTheWindowsReason) {
  const std::string reason =
      "\xCE\xC4\xBC\xFE\xC3\xFB";  // starts "文件名、目录名或卷标语法不正确。"
  for (const char* bad : {"C:\\a<b", "C:\\a>b", "C:\\a\"b", "C:\\a|b", "C:\\a?b", "C:\\a*b",
                          "C:\\a\x01z", "C:\\dir:stream",
                          // a GBK lead byte without its trail byte (once dropped with the dot
                          // after it, leaving a byte that paired with the next "\")
                          "C:\\a\xE4.\\b", "C:\\end\x81", "C:\\x\x81\x7F"}) {
    try {
      p.CreateFile(bad);
      ADD_FAILURE() << bad;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
    EXPECT_FALSE(p.CreateDirectory(bad));
  }
  // GBK trail bytes equal to "|" or "\" are parts of characters, not separators or errors.
  EXPECT_NO_THROW(Write(p, "C:\\\x81\x7C\x81\x5C.txt", "ok"));
}

TEST_F(Sandbox, OpenWriteStreamLocksTheFile) {
  auto out = p.CreateFile("C:\\locked.txt");
  EXPECT_THROW(p.OpenRead("C:\\LOCKED.txt"), Error);
  EXPECT_THROW(p.CreateFile("C:\\locked.txt"), Error);
  EXPECT_FALSE(p.DeleteFile("C:\\locked.txt"));
  out->Close();
  EXPECT_NO_THROW(p.OpenRead("C:\\locked.txt"));
  EXPECT_TRUE(p.DeleteFile("C:\\locked.txt"));
}

TEST_F(Sandbox, HiddenAndSystemFilesRefuseOverwriteAttributesPersist) {
  Write(p, "C:\\h.txt", "1");
  ASSERT_TRUE(p.SetFileAttributes("C:\\h.txt", attr::Hidden));
  EXPECT_THROW(p.CreateFile("C:\\h.txt"), Error);
  p.Save();
  SandboxConfig again = p.config();
  SandboxPlatform second(again);
  EXPECT_EQ(second.GetFileAttributes("C:\\H.TXT"), attr::Hidden);
}

TEST_F(Sandbox, RegistryFileRoundTrip) {
  auto key = p.OpenKey(RegRoot::CurrentUser, "Software\\Demo \xB2\xE2\xCA\xD4", true);  // 测试
  key->WriteString("Path", "C:\\Program Files\\\xB2\xE2\"q\"");
  key->WriteString("", "default");
  key->WriteString("Multi", "line1\r\nline2");
  key->WriteString("BadGbk", "\x81");  // not a whole character: kept as UTF-16 bytes
  key->WriteDword("Count", 0xDEADBEEF);
  key->WriteBinary("Blob", std::string("\x00\xAB", 2));
  p.CreateKey(RegRoot::ClassesRoot, ".demo");
  p.CreateKey(RegRoot::LocalMachine, "Software\\Empty");
  p.Save();

  std::string text = HostRead(p.RegistryPath());
  for (const char* line :
       {"Windows Registry Editor Version 5.00\r\n", "[HKEY_CURRENT_USER\\Software\\Demo 测试]\r\n",
        "\"Path\"=\"C:\\\\Program Files\\\\测\\\"q\\\"\"\r\n", "@=\"default\"\r\n",
        "\"Count\"=dword:deadbeef\r\n", "\"Blob\"=hex:00,ab\r\n",
        "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.demo]",
        "[HKEY_LOCAL_MACHINE\\Software\\Empty]\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }

  SandboxPlatform second(p.config());
  auto back = second.OpenKey(RegRoot::CurrentUser, "software\\demo \xB2\xE2\xCA\xD4", false);
  ASSERT_NE(back, nullptr);
  for (const char* name : {"Path", "", "Multi", "Count", "Blob"}) {
    std::optional<RegValue> a = back->ReadValue(name), b = key->ReadValue(name);
    ASSERT_TRUE(a && b) << name;
    EXPECT_EQ(a->type, b->type) << name;
    EXPECT_EQ(a->data, b->data) << name;
  }
  EXPECT_TRUE(second.KeyExists(RegRoot::ClassesRoot, ".DEMO"));
  EXPECT_TRUE(second.KeyExists(RegRoot::LocalMachine, "Software\\Empty"));
}

TEST(SandboxRegistryFile, MalformedFileIsAnErrorNamingTheLine) {
  auto m = test::MakeSandboxMachine();
  SandboxConfig config = m->sandbox()->config();
  struct Case {
    const char* text;
    const char* where;
  } cases[] = {
      {"not a registry file\r\n", "line 1"},
      {"Windows Registry Editor Version 5.00\r\n\r\n\"v\"=\"outside\"\r\n", "line 3"},
      {"Windows Registry Editor Version 5.00\r\n[HKEY_NOWHERE\\x]\r\n", "line 2"},
      {"Windows Registry Editor Version "
       "5.00\r\n[HKEY_CURRENT_USER\\x]\r\n\"v\"=dword:1234567890\r\n",
       "line 3"},
      {"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\x]\r\n\"v\"=hex:0g\r\n",
       "line 3"},
      {"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\x]\r\n\"v=\"x\"\r\n", "line 3"},
  };
  for (const Case& c : cases) {
    std::ofstream(config.root / "registry.reg", std::ios::binary | std::ios::trunc) << c.text;
    try {
      SandboxPlatform broken(config);
      ADD_FAILURE() << c.text;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.where), std::string::npos) << e.what();
    }
  }
  fs::remove(config.root / "registry.reg");
}

TEST_F(Sandbox, ActionsAreLoggedNotRun) {
  p.StartProgram("regsvr32.exe /s \"C:\\App\\a.dll\"", 0);
  p.ShellExecute("open", "C:\\App\\readme.txt", "", "C:\\App", 1);
  p.ShellExecuteAndWait(
      "C:\\Temp\\setup.exe", "/q", 1, [] {}, [] { return false; });
  p.InvokeShellVerbs("C:\\x.lnk", "\xCB\xF8\xB6\xA8");  // "锁定"
  p.RequestReboot();
  p.StartProgram("line\nbreak", 1);
  EXPECT_EQ(HostRead(p.ActionsLogPath()),
            "StartProgram show=0 cmd=regsvr32.exe /s \"C:\\App\\a.dll\"\n"
            "ShellExecute verb=\"open\" dir=\"C:\\App\" show=1 cmd=\"C:\\App\\readme.txt\"\n"
            "ShellExecuteAndWait show=1 cmd=\"C:\\Temp\\setup.exe\" /q\n"
            "InvokeShellVerbs verb=\"锁定\" path=\"C:\\x.lnk\"\n"
            "RequestReboot\n"
            "StartProgram show=1 cmd=line\\x0Abreak\n");
}

TEST_F(Sandbox, RegeditImportsApplyToTheRegistry) {
  p.OpenKey(RegRoot::CurrentUser, "Software\\Old", true)->WriteString("gone", "1");
  p.OpenKey(RegRoot::CurrentUser, "Software\\Keep", true)->WriteString("drop", "1");
  // A REGEDIT4 file in GBK, and a version 5 file in UTF-16 with a BOM.
  Write(p, "C:\\a.reg",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\New]\r\n\"Name\"=\"\xD6\xD0\"\r\n"
        "\"Num\"=dword:0000002a\r\n\"Hex\"=hex:01,\\\r\n  "
        "02\r\n[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
        "[HKEY_CURRENT_USER\\Software\\Keep]\r\n\"drop\"=-\r\n");
  std::u16string v5 =
      u"\uFEFFWindows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Software\\W]\r\n"
      u"\"S\"=hex(1):41,00,00,00\r\n";
  std::string bytes;
  for (char16_t c : v5) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  Write(p, "C:\\b.reg", bytes);
  p.StartProgram("Regedit /s C:\\a.reg", 0);
  p.StartProgram("\"C:\\Windows\\REGEDIT.EXE\" /s \"C:\\b.reg\"", 0);
  auto k = p.OpenKey(RegRoot::CurrentUser, "Software\\New", false);
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->ReadValue("Name")->data, "\xD6\xD0");
  EXPECT_EQ(k->ReadValue("Num")->data, std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(k->ReadValue("Hex")->data, "\x01\x02");
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, "Software\\Old"));
  EXPECT_FALSE(p.OpenKey(RegRoot::CurrentUser, "Software\\Keep", false)->ValueExists("drop"));
  auto w = p.OpenKey(RegRoot::CurrentUser, "Software\\W", false);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->ReadValue("S")->data, "A");
}

// Root names in an imported file are matched without regard to case, long or short.
TEST_F(Sandbox, RegeditImportsTakeRootNamesInAnyCase) {
  struct Case {
    const char* root;
    RegRoot want;
  } cases[] = {
      {"HKEY_CURRENT_USER", RegRoot::CurrentUser},
      {"hkey_current_user", RegRoot::CurrentUser},
      {"HKCU", RegRoot::CurrentUser},
      {"hklm", RegRoot::LocalMachine},
      {"Hkey_Local_Machine", RegRoot::LocalMachine},
      {"hkcr", RegRoot::ClassesRoot},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    const std::string key = "Software\\Case" + std::to_string(++n);
    Write(p, "C:\\case.reg",
          "REGEDIT4\r\n\r\n[" + std::string(c.root) + "\\" + key + "]\r\n\"v\"=\"1\"\r\n");
    p.StartProgram("regedit /s C:\\case.reg", 0);
    EXPECT_TRUE(p.KeyExists(c.want, key));
  }
}

TEST(SandboxConfigTest, FoldersVersionAndTime) {
  auto m = test::MakeSandboxMachine([](SandboxConfig& c) {
    c.specialFolders.erase(0);
    c.specialFolders[26] = "D:\\Roaming\\";
    c.drives['D'] = 1;
    c.utcOffsetMinutes = 480;
  });
  Platform& p = m->platform();
  EXPECT_EQ(p.GetSpecialFolderPath(0), "");
  EXPECT_EQ(p.GetSpecialFolderPath(26), "D:\\Roaming");
  EXPECT_EQ(p.GetSpecialFolderPath(38), "C:\\Program Files");
  EXPECT_EQ(p.GetSpecialFolderPath(99), "");
  EXPECT_EQ(p.CurrentDirectory(), "C:\\Setup");
  EXPECT_EQ(p.ExecutablePath(), "C:\\Setup\\Setup.exe");
  const int64_t hour = 36000000000LL;
  EXPECT_EQ(p.LocalFileTimeToUtc(100 * hour), 92 * hour);
  EXPECT_EQ(p.LocalFileTimeToUtc(hour), std::nullopt);
  EXPECT_EQ(p.LocalFileTimeToUtc(-1), std::nullopt);
}

// An independent reader of the link format: lnkinfo (libyal) prints what it reads.
TEST_F(Sandbox, LinksReadByLnkinfo) {
  if (std::system("command -v lnkinfo >/dev/null 2>&1") != 0) GTEST_SKIP() << "no lnkinfo";
  ASSERT_TRUE(p.ForceDirectories("C:\\App"));
  Write(p, "C:\\App\\\xB3\xCC\xD0\xF2.exe", "MZ");
  CreateShellLink(p, "C:\\App", "App.lnk", "C:\\App\\\xB3\xCC\xD0\xF2.exe", "-x \"a b\"",
                  "\xC3\xE8\xCA\xF6", "C:\\App\\app.ico");
  fs::path host = *p.HostPath("C:\\App\\App.lnk");
  std::string out;
  std::array<char, 512> buf{};
  std::string cmd = "lnkinfo '" + host.string() + "' 2>&1";
  if (FILE* f = popen(cmd.c_str(), "r")) {
    while (size_t n = fread(buf.data(), 1, buf.size(), f)) out.append(buf.data(), n);
    pclose(f);
  }
  for (const char* field :
       {"Local path\t\t\t: C:\\App\\程序.exe\n", "Command line arguments\t\t: -x \"a b\"\n",
        "Working directory\t\t: C:\\App\\\n", "Description\t\t\t: 描述\n",
        "Icon location\t\t\t: C:\\App\\app.ico\n", "Icon index\t\t\t: 0\n",
        "File size\t\t\t: 2 bytes\n"}) {
    EXPECT_NE(out.find(field), std::string::npos) << field << "\n" << out;
  }
  // This lnkinfo release prints the file-size field as the show command, so the show command
  // is checked at its offset in the header.
  std::string bytes = HostRead(host);
  ASSERT_GE(bytes.size(), 0x4Cu);
  EXPECT_EQ(bytes.substr(60, 4), std::string("\x01\0\0\0", 4));
}

TEST(LnkFormatParse, DamagedBytesAreErrorsNotCrashes) {
  ShellLinkInfo link{"C:\\a\\b.exe", "args", "desc", "C:\\a\\", "C:\\i.ico", 3, show::Maximized};
  std::string good = BuildShellLink(link);
  ShellLinkInfo back = ParseShellLink(good);
  EXPECT_EQ(back.target, link.target);
  EXPECT_EQ(back.iconIndex, 3);
  EXPECT_EQ(back.showCommand, show::Maximized);
  // Every truncation, and single-byte damage in the offsets and counts, fails cleanly.
  for (size_t n = 0; n < good.size() - 4; ++n) {
    EXPECT_THROW(ParseShellLink(good.substr(0, n)), Error) << n;
  }
  for (size_t at = 0x4C; at < good.size(); ++at) {
    std::string bad = good;
    bad[at] = static_cast<char>(0xFF);
    try {
      ParseShellLink(bad);
    } catch (const Error&) {
    }
  }
  // A relative (non-drive) target is kept as the relative path.
  ShellLinkInfo relative;
  relative.target = "app.exe";
  EXPECT_EQ(ParseShellLink(BuildShellLink(relative)).target, "app.exe");
}

}  // namespace
}  // namespace sk
