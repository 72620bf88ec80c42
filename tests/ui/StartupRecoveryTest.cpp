// Start-up recovery of the setup on the sandbox: a run of the product killed at some change is
// taken back by the next start before any window of that run opens (the window sees the
// machine as it was before the killed run), which then installs completely; a damaged journal
// ends the start with nothing changed; a silent run logs the recovery.
#include <gtest/gtest.h>

#include "engine/RunClaim.h"
#include "tests/ui/SandboxSetup.h"
#include "ui/SilentSetup.h"

namespace sk::test {
namespace {

std::string Package(const std::string& version) {
  PackageBuilder b;
  NoWizardProduct(b, version);
  for (int i = 0; i < 6; ++i)
    b.File("Z:\\f" + std::to_string(i) + ".txt", kTarget, "file " + version);
  b.File("Z:\\" + version + ".txt", kTarget, "only in " + version);
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Demo", "Version", version);
  return b.Build();
}

// Remembers the machine when the recovery has run and when the install window opens.
class WatchingWindows : public HeadlessSetupWindows {
 public:
  explicit WatchingWindows(TestMachine& m) : m_(m) {}
  RecoveryReport RunRecoveryWindow(SetupContext& c, const RecoveryWork& work) override {
    ++recoveries;
    return HeadlessSetupWindows::RunRecoveryWindow(c, work);
  }
  void RunInstallWindow(TCompile& model, SetupContext& c) override {
    atWindow = Take(m_);
    // The run's own claim on the product's folder is held while the window is open.
    std::erase_if(atWindow.files,
                  [](const auto& file) { return file.first.starts_with("ProgramData/setupkit"); });
    HeadlessSetupWindows::RunInstallWindow(model, c);
  }
  int recoveries = 0;
  Snapshot atWindow;
  std::vector<std::string> messages;

 private:
  TestMachine& m_;
};

struct Machine : SandboxSetup {
  // Version 1 installed, version 2's setup placed; true when the kill after n changes stopped
  // the install of version 2.
  bool KilledUpgrade(uint64_t n) {
    Place(Package("1.0"));
    HeadlessSetupWindows first;
    Run(first);
    Place(Package("2.0"));
    before = Take(*m);
    m->sandbox()->Faults().Arm(n, FaultHook::Fault::Abort);
    bool aborted = false;
    try {
      HeadlessSetupWindows killed;
      Run(killed);
    } catch (const SandboxAbort&) {
      aborted = true;
    }
    m->sandbox()->Faults().Disarm();
    return aborted;
  }
  Snapshot before;
};

TEST(StartupRecovery, KilledRunIsTakenBackBeforeTheWindowThenInstalled) {
  int killed = 0;
  for (uint64_t n : {4u, 9u, 14u, 20u, 26u, 32u}) {
    SCOPED_TRACE(n);
    Machine run;
    if (!run.KilledUpgrade(n)) continue;
    ++killed;
    WatchingWindows next(*run.m);
    run.Run(next);
    EXPECT_LE(next.recoveries, 1);
    EXPECT_TRUE(run.before == next.atWindow) << Diff(run.before, next.atWindow);
    EXPECT_TRUE(next.Installed);
    EXPECT_EQ(test::ReadHostFile(run.m->sandbox()->HostPath("C:\\App\\f3.txt")->string()),
              "file 2.0");
    EXPECT_FALSE(DeadRunWaiting(run.p, "11111111-2222-3333-4444-555555555555"));
  }
  EXPECT_GE(killed, 3);
}

TEST(StartupRecovery, DamagedJournalEndsTheStartWithNothingChanged) {
  Machine run;
  run.Place(Package("1.0"));
  const std::string folder = RunBackupFolder(run.p, "11111111-2222-3333-4444-555555555555");
  run.p.ForceDirectories(folder);
  run.p.CreateFile(folder + "\\j00000000")->Close();
  run.p.CreateFile(folder + "\\j00000001")->Close();
  const Snapshot before = Take(*run.m);
  WatchingWindows windows(*run.m);
  try {
    run.Run(windows);
    ADD_FAILURE() << "installed over a damaged journal";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(folder), std::string::npos) << e.what();
  }
  EXPECT_EQ(windows.WindowRun, "");
  EXPECT_TRUE(before == Take(*run.m)) << Diff(before, Take(*run.m));
}

TEST(StartupRecovery, SilentRunLogsTheRecovery) {
  Machine run;
  uint64_t n = 12;
  ASSERT_TRUE(run.KilledUpgrade(n));
  const SetupSwitches switches = ParseSetupSwitches("/S");
  RunLog log(run.p, "C:\\setup.log");
  EXPECT_EQ(RunSilentSetup(run.p, switches, log).code, 0);
  log = RunLog();
  const std::string text =
      test::ReadHostFile(run.m->sandbox()->HostPath("C:\\setup.log")->string());
  EXPECT_NE(text.find("recovery: taking back"), std::string::npos) << text;
  EXPECT_NE(text.find("recovery: done"), std::string::npos) << text;
  EXPECT_NE(text.find("exit code: 0"), std::string::npos) << text;
}

}  // namespace
}  // namespace sk::test
