// The command lines that the registration step and the .reg import start, read from the
// sandbox's actions log: system programs by their full path in the Windows or system folder,
// program paths holding a blank in double quotes, in the command lines and the Run value.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/Register.h"
#include "engine/Registry.h"
#include "engine/Texts.h"
#include "tests/support/TestMachine.h"

namespace sk::test {
namespace {

std::string ActionsOf(TestMachine& m) {
  std::ifstream in(m.sandbox()->ActionsLogPath(), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(CommandLines, SystemProgramsByFullPathAndProgramPathsWithBlanksQuoted) {
  struct Case {
    std::string windowsDir, systemDir, path;
    std::string regsvr32, service, runValue, regedit;  // "" for regsvr32/regedit: not started
  };
  const std::string svc = "C:\\Program Files\\My App\\svc host.exe";
  const Case cases[] = {
      {"C:\\Windows", "C:\\Windows\\system32", "C:\\App\\a.dll",
       "C:\\Windows\\system32\\regsvr32.exe /s \"C:\\App\\a.dll\"", "C:\\App\\a.dll -Install",
       "C:\\App\\a.dll", "C:\\Windows\\regedit.exe /s \"C:\\App\\a.dll\""},
      {"C:\\Windows", "C:\\Windows\\system32", svc,
       "C:\\Windows\\system32\\regsvr32.exe /s \"" + svc + "\"", "\"" + svc + "\" -Install",
       "\"" + svc + "\"", "C:\\Windows\\regedit.exe /s \"" + svc + "\""},
      {"D:\\My Windows", "D:\\My Windows\\System32", "C:\\A\\b.dll",
       "\"D:\\My Windows\\System32\\regsvr32.exe\" /s \"C:\\A\\b.dll\"", "C:\\A\\b.dll -Install",
       "C:\\A\\b.dll", "\"D:\\My Windows\\regedit.exe\" /s \"C:\\A\\b.dll\""},
      // Folders unknown: never a search by bare name.
      {"", "", "C:\\A\\b.dll", "", "C:\\A\\b.dll -Install", "C:\\A\\b.dll", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.windowsDir + " | " + c.path);
    auto m = MakeSandboxMachine([&](SandboxConfig& config) {
      config.windowsDir = c.windowsDir;
      config.systemDir = c.systemDir;
      config.drives['D'] = 1 << 30;
      config.applyRegImports = false;
    });
    Platform& p = m->platform();
    RegisterComServer(p, c.path);
    InstallServiceProgram(p, c.path);
    SetAutoRun(p, "b", c.path);
    const bool started = ImportRegFile(p, c.path) != nullptr;
    EXPECT_EQ(started, !c.regedit.empty());

    std::string expected;
    for (const std::string* cmd : {&c.regsvr32, &c.service, &c.regedit})
      if (!cmd->empty()) expected += "StartProgram show=1 cmd=" + *cmd + "\n";
    EXPECT_EQ(ActionsOf(*m), expected);
    auto run = p.OpenKey(RegRoot::LocalMachine, engine_text::kRunKey, false);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->ReadValue("b")->data, c.runValue);
  }
}

TEST(CommandLines, QuotedRegeditStillImportsAndIsKeptForTheExitWait) {
  auto m = MakeSandboxMachine([](SandboxConfig& c) {
    c.windowsDir = "C:\\Win Dir";
    c.applyRegImports = true;
  });
  Platform& p = m->platform();
  auto out = p.CreateFile(m->root() + "a b.reg");
  const std::string text =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Imported]\r\n\"v\"=\"1\"\r\n";
  out->Write(text.data(), text.size());
  out->Close();
  auto process = ImportRegFile(p, m->root() + "a b.reg");
  ASSERT_NE(process, nullptr);
  EXPECT_TRUE(process->Wait(0));
  EXPECT_TRUE(p.KeyExists(RegRoot::CurrentUser, "Software\\Imported"));
}

}  // namespace
}  // namespace sk::test
