// Uninst.exe /S: the product goes without a question, each item's outcome and the exit code are
// logged, and a log it may not act on removes nothing and says why.
#include <gtest/gtest.h>

#include "engine/ExitCodes.h"
#include "tests/engine/UninstallSupport.h"
#include "ui/SilentUninstall.h"

namespace sk::test {
namespace {

std::string LogText(InstallRun& run, const std::string& path) {
  return run.Read(path);
}

TEST(SilentUninstall, RemovesTheProductAndLogsEachItem) {
  PackageBuilder b;
  Base(b);
  b.File("Z:\\a.exe", kPF, "A");
  InstallRun run(b, Sandbox());
  run.Install();
  const std::string uninstaller = run.installDir() + "\\Uninst.exe";
  UninstallRunResult result;
  {
    RunLog log(run.platform(), "C:\\logs\\uninst.log");
    result = SilentUninstall(run.platform(), uninstaller, log);
  }
  EXPECT_EQ(result.code, exit_code::kSuccess) << result.message;
  ASSERT_TRUE(result.outcome);
  EXPECT_FALSE(run.platform().FileExists(run.installDir() + "\\a.exe"));
  const std::string text = LogText(run, "C:\\logs\\uninst.log");
  for (const std::string& line :
       {std::string("uninstall log checked: \"Demo\""), "removed: " + run.installDir() + "\\a.exe",
        std::string("exit code: 0\r\n")})
    EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

TEST(SilentUninstall, ALogItMayNotActOnRemovesNothing) {
  const struct {
    const char* name;
    void (*spoil)(InstallRun&);
  } cases[] = {
      {"missing log",
       [](InstallRun& r) { r.platform().DeleteFile(r.installDir() + "\\Uninst.log"); }},
      {"damaged log", [](InstallRun& r) { r.Write(r.installDir() + "\\Uninst.log", "garbage"); }},
      {"entry gone",
       [](InstallRun& r) {
         r.platform().DeleteKey(RegRoot::LocalMachine,
                                UninstallEntryKey("11111111-2222-3333-4444-555555555555"));
       }},
  };
  for (const auto& c : cases) {
    PackageBuilder b;
    Base(b);
    b.File("Z:\\a.exe", kPF, "A");
    InstallRun run(b, Sandbox());
    run.Install();
    c.spoil(run);
    RunLog log;
    const UninstallRunResult result =
        SilentUninstall(run.platform(), run.installDir() + "\\Uninst.exe", log);
    EXPECT_EQ(result.code, exit_code::kDamagedPackage) << c.name;
    EXPECT_FALSE(result.message.empty()) << c.name;
    EXPECT_FALSE(result.outcome) << c.name;
    EXPECT_TRUE(run.platform().FileExists(run.installDir() + "\\a.exe")) << c.name;
  }
}

TEST(SilentUninstall, AnItemThatCannotGoIsAFailure) {
  UninstallOutcome outcome;
  EXPECT_EQ(RemovalExitCode(outcome), exit_code::kSuccess);
  outcome.report.entries.push_back(
      {TUnInsData{"", "C:\\x", "", 1, unins_kind::File}, RemovalResult::Kept, "in use"});
  EXPECT_EQ(RemovalExitCode(outcome), exit_code::kSuccess);  // kept on purpose
  outcome.report.entries.push_back(
      {TUnInsData{"", "C:\\y", "", 1, unins_kind::File}, RemovalResult::Failed, "in use"});
  EXPECT_EQ(RemovalExitCode(outcome), exit_code::kInstallFailed);
}

}  // namespace
}  // namespace sk::test
