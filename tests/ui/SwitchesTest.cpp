// Setup.exe's command line: the words, every switch, and every refusal of the parser.
#include <gtest/gtest.h>

#include "ui/Switches.h"

namespace sk {
namespace {

TEST(CommandLineTail, SkipsTheProgramNameQuotedOrNot) {
  const struct {
    const char* line;
    const char* tail;
  } cases[] = {
      {"Setup.exe", ""},
      {"Setup.exe /S", "/S"},
      {"  C:\\Setup.exe   /S /D=C:\\a b", "/S /D=C:\\a b"},
      {"\"C:\\My Files\\Setup.exe\" /S", "/S"},
      {"\"C:\\My Files\\Setup.exe\"/S", ""},  // glued to the name: part of it
      {"\"C:\\unclosed /S", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandLineTail(c.line), c.tail) << c.line;
}

TEST(ParseSetupSwitches, ReadsEverySwitchInAnyCaseWithEitherPrefix) {
  const SetupSwitches s = ParseSetupSwitches(
      "-s \"/components=Docs, Extras\" /Tasks=!desktop,QUICKLAUNCH /nostartmenu "
      "/GROUP=\"My Group\" \"/LOG=C:\\my logs\\x.log\" /D=C:\\Program Files\\Demo App\\  ");
  ASSERT_TRUE(s.Valid()) << s.error;
  EXPECT_TRUE(s.any);
  EXPECT_TRUE(s.silent);
  EXPECT_FALSE(s.help);
  EXPECT_EQ(s.installDir, "C:\\Program Files\\Demo App");
  EXPECT_EQ(s.components, (std::vector<std::string>{"Docs", "Extras"}));
  EXPECT_EQ(s.desktop, false);
  EXPECT_EQ(s.quickLaunch, true);
  EXPECT_TRUE(s.noStartMenu);
  EXPECT_EQ(s.group, "My Group");
  EXPECT_EQ(s.logFile, "C:\\my logs\\x.log");
  EXPECT_EQ(s.spelled.at("COMPONENTS"), "/components=Docs, Extras");
  EXPECT_EQ(s.spelled.at("S"), "-s");
}

TEST(ParseSetupSwitches, LeavesWhatIsNotGivenUnset) {
  const SetupSwitches none = ParseSetupSwitches("");
  EXPECT_FALSE(none.any);
  EXPECT_TRUE(none.Valid());
  const SetupSwitches s = ParseSetupSwitches("/S /COMPONENTS= /TASKS=desktop");
  ASSERT_TRUE(s.Valid()) << s.error;
  EXPECT_EQ(s.components, std::vector<std::string>{});  // none at all, not "not given"
  EXPECT_EQ(s.desktop, true);
  EXPECT_FALSE(s.quickLaunch.has_value());  // keeps the package's default
  EXPECT_FALSE(s.installDir || s.group || s.logFile || s.noStartMenu);
}

TEST(ParseSetupSwitches, TheInstallFolderTakesTheRestOfTheLine) {
  const SetupSwitches s = ParseSetupSwitches("/LOG=a.log /D=C:\\Apps\\X -S");
  ASSERT_TRUE(s.Valid()) << s.error;
  EXPECT_FALSE(s.silent);  // part of the folder's name
  EXPECT_EQ(s.installDir, "C:\\Apps\\X -S");
  // Quotes are not removed there: a folder name cannot hold them.
  EXPECT_FALSE(ParseSetupSwitches("/D=\"C:\\Apps\\X\"").Valid());
}

TEST(ParseSetupSwitches, RefusesBadWordsNamingThem) {
  const struct {
    const char* line;
    const char* word;  // the word the message names
  } cases[] = {
      {"/X", "/X"},
      {"S", "S"},  // no prefix
      {"/", "/"},
      {"/SILENT", "/SILENT"},
      {"/S=1", "/S=1"},
      {"/NOSTARTMENU=yes", "/NOSTARTMENU=yes"},
      {"/LOG", "/LOG"},
      {"/LOG=", "/LOG="},
      {"/GROUP=  ", "/GROUP="},
      {"/COMPONENTS", "/COMPONENTS"},
      {"/S /s", "/s"},
      {"/TASKS=desktop /TASKS=quicklaunch", "/TASKS=quicklaunch"},
      {"/TASKS=startmenu", "/TASKS=startmenu"},
      {"/TASKS=!", "/TASKS=!"},
      {"/TASKS=desktop,!desktop", "/TASKS=desktop,!desktop"},
      {"/D=Apps", "/D=Apps"},
      {"/D=", "/D="},
      {"/D=C:", "/D=C:"},
      {"/D=C:\\", "/D=C:\\"},
      {"/D=C:Apps", "/D=C:Apps"},
      {"/D=\\Apps", "/D=\\Apps"},
      {"/D=C:\\a\\..\\Windows", "/D=C:\\a\\..\\Windows"},
      {"/D=C:\\a\\.\\b", "/D=C:\\a\\.\\b"},
      {"/D=C:\\a\\\\b", "/D=C:\\a\\\\b"},
      {"/D=C:\\a|b", "/D=C:\\a|b"},
      {"/D=C:\\a:b", "/D=C:\\a:b"},
      {"/D=C:\\a/b", "/D=C:\\a/b"},
      {"/D=C:\\a*", "/D=C:\\a*"},
      {"/D=C:\\nul", "/D=C:\\nul"},
      {"/D=C:\\Apps\\COM1.txt", "/D=C:\\Apps\\COM1.txt"},
      {"/D=\\\\server", "/D=\\\\server"},
      {"/D=\\\\server\\", "/D=\\\\server\\"},
  };
  for (const auto& c : cases) {
    const SetupSwitches s = ParseSetupSwitches(c.line);
    EXPECT_FALSE(s.Valid()) << c.line;
    EXPECT_NE(s.error.find(c.word), std::string::npos) << c.line << " -> " << s.error;
    EXPECT_FALSE(s.installDir.has_value()) << c.line;
  }
}

TEST(ParseSetupSwitches, KeepsTheFirstFaultAndStillSeesSilentAndTheLog) {
  const SetupSwitches s = ParseSetupSwitches("/Q /S /LOG=C:\\x.log /Z");
  EXPECT_FALSE(s.Valid());
  EXPECT_NE(s.error.find("/Q"), std::string::npos);
  EXPECT_EQ(s.error.find("/Z"), std::string::npos);
  EXPECT_TRUE(s.silent);
  EXPECT_EQ(s.logFile, "C:\\x.log");
}

TEST(ParseSetupSwitches, HelpIsRecognised) {
  EXPECT_TRUE(ParseSetupSwitches("/?").help);
  EXPECT_TRUE(ParseSetupSwitches("-? /S").help);
  EXPECT_NE(SetupSwitchesHelp().find("/COMPONENTS="), std::string::npos);
  EXPECT_NE(SetupSwitchesHelp().find("1639"), std::string::npos);
}

TEST(ParseUninstallSwitches, KnowsOnlySilentTheLogAndHelp) {
  const SetupSwitches s = ParseUninstallSwitches("/s \"/LOG=C:\\a b.log\"");
  ASSERT_TRUE(s.Valid()) << s.error;
  EXPECT_TRUE(s.silent);
  EXPECT_EQ(s.logFile, "C:\\a b.log");
  EXPECT_TRUE(ParseUninstallSwitches("/?").help);
  for (const char* line :
       {"/D=C:\\x", "/COMPONENTS=a", "/TASKS=desktop", "/NOSTARTMENU", "/GROUP=x", "/cleanup"})
    EXPECT_FALSE(ParseUninstallSwitches(line).Valid()) << line;
  EXPECT_NE(UninstallSwitchesHelp().find("/LOG="), std::string::npos);
}

TEST(IsAbsoluteFolder, AcceptsDrivePathsAndSharesWithGbkNames) {
  const char* good[] = {
      "C:\\Apps",
      "c:\\Program Files\\Demo App",
      "D:\\a\\b\\",
      "\\\\server\\share",
      "\\\\server\\share\\Apps",
      "C:\\\xB3\xCC\xD0\xF2",     // 程序
      "C:\\\xD2\x7C\xCE\xC4",     // a trail byte 0x7C is no "|"
      "C:\\\xB5\x5C\xB0\xB2\\a",  // a trail byte 0x5C is no "\" (no empty element)
      "C:\\a.b\\v1.0",
  };
  for (const char* path : good) EXPECT_TRUE(IsAbsoluteFolder(path)) << path;
}

TEST(JoinSwitchWords, QuotesWordsWithBlanksButNotTheInstallFolder) {
  const std::string tail =
      JoinSwitchWords({"/S", "/LOG=C:\\my logs\\a.log", "/GROUP=A B", "/D=C:\\Program Files\\X"});
  EXPECT_EQ(tail, "/S \"/LOG=C:\\my logs\\a.log\" \"/GROUP=A B\" /D=C:\\Program Files\\X");
  const SetupSwitches s = ParseSetupSwitches(tail);
  ASSERT_TRUE(s.Valid()) << s.error;
  EXPECT_EQ(s.logFile, "C:\\my logs\\a.log");
  EXPECT_EQ(s.group, "A B");
  EXPECT_EQ(s.installDir, "C:\\Program Files\\X");
}

}  // namespace
}  // namespace sk
