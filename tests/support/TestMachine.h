// A machine for tests that must hold on both platform layers: natively a SandboxPlatform over a
// fresh host temp folder, on Windows the real Win32Platform with a fresh scratch folder under
// the temp folder and a fresh registry key under HKCU\Software\setupkit-tests. Everything the
// machine created is removed when it is destroyed.
//
// root() is a scratch Windows folder with a trailing backslash ("C:\sktest\1a2b...\"), existing
// and empty at the start; regKey() an HKCU sub key path without leading backslash that does not
// exist at the start.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/sandbox/SandboxPlatform.h"

namespace sk::test {

struct TestMachine {
  virtual ~TestMachine() = default;
  virtual Platform& platform() = 0;
  virtual std::string root() = 0;
  virtual std::string regKey() = 0;
  // The sandbox machine, or nullptr on the real system (for sandbox-only assertions).
  virtual SandboxPlatform* sandbox() { return nullptr; }
  bool isSandbox() { return sandbox() != nullptr; }
};

// The machine of the layer this build tests: the sandbox natively, Win32Platform on Windows.
std::unique_ptr<TestMachine> MakeTestMachine();
// Always a sandbox machine (on every build); `configure` may change the config before the
// machine is made (its root is already set to the fresh host folder).
std::unique_ptr<TestMachine> MakeSandboxMachine(
    const std::function<void(SandboxConfig&)>& configure = {});

// True when the Windows build runs under Wine (which, run as root, lets read-only files be
// overwritten and reports the archive bit on every file).
bool UnderWine();

// A name unique to this call within the process run (hex digits).
std::string UniqueName();

}  // namespace sk::test
