// A setup whose file data is damaged, run over an earlier version on the sandbox. The pass before
// the install leaves the files to install to the install, which finds the damage as it inflates
// them: the run is taken back to the machine as it was, says the package is damaged, and a
// silent run ends with 1620.
#include <gtest/gtest.h>

#include "engine/ExitCodes.h"
#include "package/Integrity.h"
#include "tests/ui/SandboxSetup.h"
#include "ui/SilentSetup.h"

namespace sk::test {
namespace {

struct SetupFile {
  std::string bytes;
  int64_t damagedAt = -1;  // the chunk made damaged, or -1
};

// Version `version` of the product; with `damageFile`, that file's data has a flipped byte.
SetupFile Package(const std::string& version, int damageFile = -1) {
  PackageBuilder b;
  NoWizardProduct(b, version);
  for (int i = 0; i < 4; ++i)
    b.File("Z:\\f" + std::to_string(i) + ".bin", kTarget,
           std::string(20000 + i, static_cast<char>('a' + i)) + version);
  b.RegValue(kMachine + "HKEY_CURRENT_USER\\Software\\Demo", "Version", version);
  SetupFile s{b.Build()};
  if (damageFile >= 0) {
    for (const auto& f : b.Model().Package().FileList())
      if (f->SourcePath == "Z:\\f" + std::to_string(damageFile) + ".bin")
        s.damagedAt = f->DataStart;
    s.bytes[static_cast<size_t>(s.damagedAt) + 12] ^= 0x5A;
  }
  return s;
}

TEST(DamagedData, TheInstallIsTakenBackAndTheRunEndsAsDamaged) {
  for (const int damaged : {0, 3}) {
    SCOPED_TRACE("damaged file " + std::to_string(damaged));
    for (const bool silent : {false, true}) {
      SCOPED_TRACE(silent ? "silent" : "no-options window");
      SandboxSetup run;
      run.Place(Package("1.0").bytes);
      HeadlessSetupWindows first;
      run.Run(first);
      const SetupFile two = Package("2.0", damaged);
      ASSERT_GT(two.damagedAt, 0);
      run.Place(two.bytes);
      const Snapshot before = Take(*run.m);
      std::string message;
      if (silent) {
        RunLog log;
        const SilentOutcome outcome = RunSilentSetup(run.p, ParseSetupSwitches("/S"), log);
        EXPECT_EQ(outcome.code, exit_code::kDamagedPackage);
        message = outcome.message;
      } else {
        HeadlessSetupWindows windows;
        SetupDriver driver(run.p, windows);
        try {
          driver.Execute();
          ADD_FAILURE() << "installed from a damaged package";
        } catch (const DamagedPackage& e) {
          EXPECT_EQ(e.Offset(), two.damagedAt);
          message = e.what();
        }
      }
      EXPECT_EQ(message.rfind(DamagedSetupMessage(two.damagedAt), 0), 0u) << message;
      const Snapshot after = Take(*run.m);
      EXPECT_TRUE(before == after) << Diff(before, after);
    }
  }
}

}  // namespace
}  // namespace sk::test
