// Uninst.exe started by hand in its self-removal mode ("/cleanup PID FILE FOLDER..."): whatever
// the words name, the copy removes nothing unless the uninstaller it was made for started it
// from its private folder. (That the real hand-over still removes the uninstaller and its
// folder shows E2eTest.UninstallerRemovesTheProductAfterAskingFirst.)
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32Platform.h"
// after the Windows headers
#include "platform/SystemHelpers.h"
#include "tests/e2e/Robot.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"

namespace sk {
namespace {

constexpr int kTimeout = 20000;

std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}

TEST(CleanupE2e, RemovesNothingForAnyoneElse) {
  auto machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  const std::string root = machine->root();
  const std::string victimDir = root + "Victim";
  const std::string victim = victimDir + "\\thesis.doc";
  ASSERT_TRUE(p.ForceDirectories(victimDir));
  test::WriteHostFile(victim, "years of work");
  const std::string testProgram = p.ExecutablePath();
  const std::string pid = std::to_string(GetCurrentProcessId());
  const std::string temp = GetTempFolder(p);
  const std::string privateName = "sk-uninst-" + pid + "-9" + test::UniqueName();

  struct Case {
    const char* what;
    std::string folder;  // where the copy runs from
    std::string words;   // after "/cleanup"
  };
  const Case cases[] = {
      {"a copy outside a private folder", root + "U",
       pid + " " + Quoted(victim) + " " + Quoted(victimDir)},
      {"a file the process does not run from", temp + privateName,
       pid + " " + Quoted(victim) + " " + Quoted(victimDir)},
      {"the running program, which is no uninstaller", temp + privateName,
       pid + " " + Quoted(testProgram)},
      {"a private folder made for another process", temp + "sk-uninst-1" + pid + "-0",
       pid + " " + Quoted(testProgram)},
      {"a process that does not run", temp + "sk-uninst-4000000000-0",
       "4000000000 " + Quoted(victim) + " " + Quoted(victimDir)},
      {"no file", temp + privateName, pid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(p.ForceDirectories(c.folder));
    const std::string copy = c.folder + "\\Uninst.exe";
    test::WriteHostFile(copy, test::ReadHostFile(SK_UNINST_EXE));
    {
      robot::Process helper(copy, c.folder, "/cleanup " + c.words);
      ASSERT_NE(helper.Id(), 0u);
      // It does not wait for this test to end: it refuses at once.
      ASSERT_TRUE(helper.WaitExit(kTimeout));
      EXPECT_EQ(helper.ExitCode(), 2u);
    }
    EXPECT_EQ(test::ReadHostFile(victim), "years of work");
    EXPECT_TRUE(p.FileExists(testProgram));
    EXPECT_TRUE(p.FileExists(copy));
    p.DeleteFile(copy);
    p.RemoveDirectory(c.folder);
  }
  EXPECT_TRUE(p.DirectoryExists(victimDir));
}

}  // namespace
}  // namespace sk
