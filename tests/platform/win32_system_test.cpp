// Win32-only behaviour of the real platform layer: registry texts, shell links read back
// through the shell-link object, shell verbs, INI files, system folders, the temp folder limit.
#ifdef _WIN32  // Win32-only suite; the glob of this folder also builds natively
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/SystemHelpers.h"
#include "platform/win32/Win32Platform.h"
#include "tests/platform/win32_fixture.h"

namespace sk {
namespace {

// GBK bytes: 中文值 (Chinese value), 快捷方式 (shortcut), 键 (key), 锁定到任务栏 (pin to taskbar).
const std::string kValue = "\xD6\xD0\xCE\xC4\xD6\xB5";
const std::string kShortcut = "\xBF\xEC\xBD\xDD\xB7\xBD\xCA\xBD";
const std::string kKey = "\xBC\xFC";
const std::string kPin = "\xCB\xF8\xB6\xA8\xB5\xBD\xC8\xCE\xCE\xF1\xC0\xB8";

class Win32SystemTest : public Win32TempFolderTest {
 protected:
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, wkey.c_str());
    Win32TempFolderTest::TearDown();
  }
  const std::wstring wkey =
      L"Software\\setupkit-win32-test-" + std::to_wstring(GetCurrentProcessId());
  const std::string key = win32::Narrow(wkey);
};

TEST_F(Win32SystemTest, RegistryValuesRoundTrip) {
  auto k = p.OpenKey(RegRoot::CurrentUser, "\\" + key + "\\" + kKey, true);  // leading "\"
  ASSERT_TRUE(k);
  const std::string binary("\x00\x01\xFF\x5C", 4);
  ASSERT_TRUE(k->WriteString("s", kValue));
  ASSERT_TRUE(k->WriteString(kKey, ""));
  ASSERT_TRUE(k->WriteDword("d", 0x12345678));
  ASSERT_TRUE(k->WriteBinary("b", binary));
  ASSERT_TRUE(k->WriteString("", "default"));

  // A value of another writer: REG_EXPAND_SZ comes back as text.
  HKEY raw;
  std::wstring sub = wkey + L"\\" + win32::Wide(kKey);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_WRITE, &raw), ERROR_SUCCESS);
  const wchar_t expand[] = L"%SystemRoot%\\x";
  RegSetValueExW(raw, L"e", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand);
  RegCloseKey(raw);

  struct Case {
    std::string name;
    RegType type;
    std::string data;
  };
  const std::vector<Case> cases = {
      {"s", RegType::String, kValue},
      {kKey, RegType::String, ""},
      {"d", RegType::Dword, std::string("\x78\x56\x34\x12", 4)},
      {"b", RegType::Binary, binary},
      {"", RegType::String, "default"},
      {"e", RegType::String, "%SystemRoot%\\x"},
  };
  auto again = p.OpenKey(RegRoot::CurrentUser, key + "\\" + kKey, false);
  ASSERT_TRUE(again);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(again->ValueExists(c.name));
    auto v = again->ReadValue(c.name);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data, c.data);
  }
  EXPECT_FALSE(again->ValueExists("absent"));
  EXPECT_FALSE(again->ReadValue("absent"));
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, key + "\\" + kKey));
  EXPECT_FALSE(p.KeyExists(RegRoot::CurrentUser, key + "\\absent"));
  EXPECT_FALSE(p.OpenKey(RegRoot::CurrentUser, key + "\\absent", false));
  EXPECT_TRUE(p.CreateKey(RegRoot::CurrentUser, key + "\\a\\b"));
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, key + "\\a\\b"));
}

TEST_F(Win32SystemTest, ShellLinkPropertiesAreWhatTheShellObjectReads) {
  std::string target = root + "\\" + kShortcut + ".exe";
  p.CreateFile(target)->Close();
  struct Case {
    ShellLinkInfo link;
  };
  const std::vector<Case> cases = {
      {{target, "/a \"b c\"", kValue + " description", root, root + "\\icon.ico", 0,
        show::Maximized}},
      {{target, "", "", root + "\\", "", 0, show::Normal}},
  };
  int i = 0;
  for (const Case& c : cases) {
    std::string path = root + "\\" + kShortcut + std::to_string(++i) + ".lnk";
    SCOPED_TRACE(path);
    ASSERT_TRUE(p.CreateShellLink(path, c.link));
    EXPECT_TRUE(p.FileExists(path));
    auto back = p.ReadShellLink(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->target, c.link.target);
    EXPECT_EQ(back->arguments, c.link.arguments);
    EXPECT_EQ(back->description, c.link.description);
    EXPECT_EQ(back->workingDir, c.link.workingDir);
    EXPECT_EQ(back->iconPath, c.link.iconPath);
    EXPECT_EQ(back->iconIndex, c.link.iconIndex);
    // Wine's shell-link object does not load the show command back; read it from the link
    // header (a 32-bit value at offset 0x3C of the documented format).
    auto in = p.OpenRead(path);
    int32_t show = 0;
    in->Seek(0x3C);
    ASSERT_EQ(in->Read(&show, 4), 4u);
    EXPECT_EQ(show, c.link.showCommand);
  }
  EXPECT_FALSE(p.CreateShellLink(root + "\\absent\\x.lnk", cases[0].link));
  EXPECT_FALSE(p.ReadShellLink(root + "\\absent.lnk"));
}

TEST_F(Win32SystemTest, ShellVerbsSkipWhatIsNotThere) {
  std::string file = root + "\\" + kShortcut + ".txt";
  p.CreateFile(file)->Close();
  EXPECT_EQ(p.InvokeShellVerbs(root + "\\absent-folder\\x.lnk", kPin), 0);
  EXPECT_EQ(p.InvokeShellVerbs(root + "\\absent.lnk", kPin), 0);
  EXPECT_EQ(p.InvokeShellVerbs(file, ""), 0);  // an empty text matches no verb
  EXPECT_EQ(p.InvokeShellVerbs(file, "no verb has this name"), 0);
}

TEST_F(Win32SystemTest, SystemFoldersAndDrives) {
  for (int id : {csidl::Desktop, csidl::Programs, csidl::AppData, csidl::ProgramFiles}) {
    std::string path = p.GetSpecialFolderPath(id);
    SCOPED_TRACE(id);
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.back(), '\\');
    EXPECT_TRUE(p.DirectoryExists(path));
  }
  EXPECT_EQ(p.GetSpecialFolderPath(0x7F), "");  // no such folder number
  std::string windows = p.GetWindowsDirectory();
  EXPECT_TRUE(p.DirectoryExists(windows));
  EXPECT_NE(windows.back(), '\\');
  auto v = p.GetVersion();
  ASSERT_TRUE(v);
  EXPECT_EQ(v->platformId, 2u);
  EXPECT_GE(v->major, 5u);
  EXPECT_NE(p.GetFixedDrives().find('C'), std::string::npos);
  EXPECT_GT(p.GetDiskFreeSpace("C:\\"), 0);
  EXPECT_EQ(p.GetDiskFreeSpace("\\:\\"), -1);
  EXPECT_TRUE(p.CurrentDirectory().empty() || p.CurrentDirectory().back() != '\\');
  EXPECT_NE(p.ExecutablePath().find(".exe"), std::string::npos);
}

TEST_F(Win32SystemTest, LongTempPathIsReportedNotTruncated) {
  std::wstring longTemp = wroot + L"\\" + std::wstring(150, L'a') + L"\\" + std::wstring(150, L'b');
  ASSERT_TRUE(p.ForceDirectories(win32::Narrow(longTemp)));
  wchar_t saved[32768];
  DWORD had = GetEnvironmentVariableW(L"TMP", saved, 32768);
  SetEnvironmentVariableW(L"TMP", longTemp.c_str());
  std::string reported = p.GetTempPath();
  bool threw = false;
  try {
    GetTempFolder(p);
  } catch (const Error&) {
    threw = true;
  }
  SetEnvironmentVariableW(L"TMP", had ? saved : nullptr);
  // Windows reports the path whole; Wine cannot report it and gives nothing. Never a cut path.
  EXPECT_TRUE(reported.empty() || reported == win32::Narrow(longTemp) + "\\") << reported;
  EXPECT_TRUE(threw);  // the setup's 260-byte rule rejects it
  EXPECT_EQ(GetTempFolder(p).back(), '\\');
}

TEST_F(Win32SystemTest, ShellExecuteAndWaitWaitsForTheProgram) {
  std::string marker = root + "\\done.txt";
  int pumps = 0;
  // cmd.exe writes the marker file just before it ends; the call returns only after that.
  EXPECT_TRUE(p.ShellExecuteAndWait(
      "cmd.exe", "/c echo x> \"" + marker + "\"", show::Hide, [&] { ++pumps; },
      [] { return false; }));
  EXPECT_TRUE(p.FileExists(marker));
  EXPECT_FALSE(p.ShellExecuteAndWait(root + "\\absent.exe", "", show::Hide, nullptr, nullptr));
  EXPECT_TRUE(p.StartProgram("cmd.exe /c exit", show::Hide));
  EXPECT_FALSE(p.StartProgram("\"" + root + "\\absent.exe\"", show::Hide));
}

}  // namespace
}  // namespace sk

#endif  // _WIN32
