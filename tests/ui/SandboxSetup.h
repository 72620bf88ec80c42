// A setup on the sandbox machine for the driver-level tests: the product's package is written as
// the running executable (Place), and the driver runs it with the given windows (Run). The
// machine has the Uninstall key, as Windows does.
#pragma once

#include <memory>
#include <string>

#include "tests/engine/UninstallSupport.h"
#include "ui/Session.h"

namespace sk::test {

inline const std::string kNo = "\xB7\xF1";                                       // 否
inline const std::string kTarget = "\xD6\xB8\xB6\xA8\xC4\xBF\xC2\xBC\\C:\\App";  // 指定目录\C:\App
inline const std::string kDefaultFolder =
    "\xC4\xAC\xC8\xCF\xB0\xB2\xD7\xB0\xC2\xB7\xBE\xB6";  // 默认安装路径

// Version `version` of a product without the wizard that installs into C:\App (files to add).
inline void NoWizardProduct(PackageBuilder& b, const std::string& version) {
  Base(b);
  b.Setting(setting::kShowWizard.name, kNo);
  b.Setting(setting::kVersion.name, version);
  b.Setting(kDefaultFolder, "C:\\App", 8);
  b.FileFolders().push_back(kTarget);
}

struct SandboxSetup {
  std::unique_ptr<TestMachine> m = Sandbox();
  Platform& p = m->platform();

  void Place(const std::string& bytes) {
    auto out = p.CreateFile(p.ExecutablePath());
    out->Write(bytes.data(), bytes.size());
    out->Close();
  }
  void Run(HeadlessSetupWindows& windows) {
    SetupDriver driver(p, windows);
    driver.Execute();
  }
};

}  // namespace sk::test
