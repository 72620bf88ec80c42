// Setup.exe killed at random moments of a large silent upgrade (files replacing the older
// install's, registry values, the uninstaller and its entry): the next start takes the dead run
// back before its wizard shows (the prefix as it was before the upgrade: file bytes, dates and
// attributes, the values with their types, the Uninstall entry), and the next silent run then
// installs exactly what an uninterrupted run installs.
//
// The moments are drawn from a seeded generator; the seed is printed, and SK_KILL_SEED replays
// one. The counts of kills that fell before the first change, in the middle of the run and after
// its end are printed too.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "engine/ExitCodes.h"
#include "engine/Journal.h"
#include "engine/Transaction.h"
#include "package/SettingNames.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"

namespace sk {
namespace {

using namespace e2e;

constexpr int kKills = 20;
constexpr int kFiles = 48;
constexpr size_t kFileBytes = 24 << 10;

// Bytes that do not compress, so that writing the files takes the run's time.
std::string Noise(uint32_t seed, size_t n) {
  std::mt19937 gen(seed);
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(gen());
  return bytes;
}

struct KillRun {
  std::unique_ptr<test::TestMachine> machine = test::MakeTestMachine();
  Platform& p = machine->platform();
  std::string root = machine->root();
  std::string app = root + "App";
  std::string key = machine->regKey();
  std::string serial = "sk-kill-" + test::UniqueName();
  std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + serial;
  std::string setup1 = root + "Setup1.exe";
  std::string setup2 = root + "Setup2.exe";

  KillRun() {
    Write(setup1, "1.0");
    Write(setup2, "2.0");
  }
  ~KillRun() {
    Clean();
    robot::DeleteMachineKey(entry);
  }

  // Version 1 has every third file the upgrade replaces and values it changes; version 2
  // adds files and values of its own.
  void Write(const std::string& path, const std::string& version) {
    const bool two = version == "2.0";
    test::PackageBuilder b;
    b.Setting(G("项目名称"), kItem);
    b.Setting(G("显示安装背景窗口"), G("否"));
    b.Setting(G("默认安装路径"), app, 8);
    b.Setting(setting::kEnableUnIns.name, kOn);
    b.Setting(setting::kVersion.name, version);
    b.Serial(serial);
    const std::string target = G("指定目录\\") + app;
    b.FileFolders().push_back(target);
    for (int i = 0; i < kFiles; ++i) {
      if (!two && i >= kFiles * 3 / 4) break;
      const bool replaced = i % 3 == 0;
      auto& f =
          b.File("D:\\src\\f" + std::to_string(i) + ".bin", target,
                 Noise(static_cast<uint32_t>(i + (two && replaced ? 100000 : 0)), kFileBytes));
      if (two && replaced) f.FileTime = 45100.25;
    }
    b.File("D:\\src\\Uninst.exe", target, "MZ uninstaller " + version, kind::Uninstaller);
    const std::string hive = G("目标计算机\\") + "HKEY_CURRENT_USER\\" + key;
    b.RegValue(hive, "Version", version);
    for (int i = 0; i < 10; ++i)
      b.RegValue(hive + "\\v" + std::to_string(i % 3), "n" + std::to_string(i),
                 two ? "two " + std::to_string(i) : "one " + std::to_string(i));
    if (two) b.RegValue(hive + "\\new", "only", "in two");
    b.WriteWithStubFile(SK_SETUP_EXE, path);
  }

  // The product's files, values and Uninstall entry as text: names, bytes (hashed by size and
  // a checksum), dates, attributes, value types.
  // `run`: leave out what every run writes anew (the uninstaller's date, its log, which holds the
  // run's time, and the log's digest in the entry), to compare runs with each other.
  std::string Dump(bool run = false) {
    std::string out;
    std::vector<std::string> names = p.ListDirectory(app);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      const std::string path = app + "\\" + name;
      std::string bytes;
      if (p.FileExists(path)) {
        auto in = p.OpenRead(path);
        bytes.resize(static_cast<size_t>(in->Size()));
        bytes.resize(in->Read(bytes.data(), bytes.size()));
      }
      const bool ownOfTheRun = run && name.rfind("Uninst.", 0) == 0;
      if (ownOfTheRun) bytes = name == "Uninst.log" ? "" : bytes;
      uint64_t sum = 1469598103934665603ull;
      for (unsigned char c : bytes) sum = (sum ^ c) * 1099511628211ull;
      out += "file " + name + " " + std::to_string(bytes.size()) + " " + std::to_string(sum) +
             " @" + std::to_string(ownOfTheRun ? 0 : p.GetFileWriteTime(path).value_or(-1)) +
             " attr " + std::to_string(p.GetFileAttributes(path) & ~attr::Archive) + "\n";
    }
    DumpKey(RegRoot::CurrentUser, key, out, run);
    DumpKey(RegRoot::LocalMachine, entry, out, run);
    return out;
  }
  void DumpKey(RegRoot root, const std::string& path, std::string& out, bool run) {
    auto k = p.OpenKey(root, path, false);
    if (!k) return;
    out += "key " + path + "\n";
    std::vector<std::string> values = k->ValueNames();
    std::sort(values.begin(), values.end());
    for (const std::string& v : values) {
      const auto stored = k->ReadStored(v);
      // The entry's install date is the day of the run, not a state of the machine.
      if (v == "InstallDate" || (run && v == "UninstallLogDigest")) continue;
      out += "  " + v + " = " + std::to_string(stored ? stored->type : 0) + ":" +
             (stored ? stored->bytes : "?") + "\n";
    }
    std::vector<std::string> subs = k->SubKeyNames();
    std::sort(subs.begin(), subs.end());
    for (const std::string& s : subs) DumpKey(root, path + "\\" + s, out, run);
  }

  // Nothing of the product: the state before version 1.
  void Clean() {
    for (const std::string& name : p.ListDirectory(app)) {
      p.SetFileAttributes(app + "\\" + name, attr::Normal);
      p.DeleteFile(app + "\\" + name);
    }
    p.RemoveDirectory(app);
    DeleteTree(RegRoot::CurrentUser, key);
    DeleteTree(RegRoot::LocalMachine, entry);
  }
  void DeleteTree(RegRoot root, const std::string& path) {
    if (auto k = p.OpenKey(root, path, false))
      for (const std::string& s : k->SubKeyNames()) DeleteTree(root, path + "\\" + s);
    p.DeleteKey(root, path);
  }

  bool Ended() { return p.FileExists(RunBackupFolder(p, serial) + "\\" + kRunEndedMark); }

  unsigned Silent(const std::string& setup) {
    robot::Process run(setup, root, "/S");
    if (!run.WaitExit(kTimeout)) return ~0u;
    return run.ExitCode();
  }
  // Entries a run left in the product's journal folder (its lock aside).
  size_t JournalEntries() {
    size_t n = 0;
    for (const std::string& name : p.ListDirectory(RunBackupFolder(p, serial))) n += name != "lock";
    for (const std::string& name : p.ListDirectory(LegacyRunBackupFolder(p, serial)))
      n += name != "lock";
    return n;
  }
};

TEST(KillE2e, KilledUpgradeIsTakenBackAtTheNextStartThenInstalls) {
  const char* fixed = std::getenv("SK_KILL_SEED");
  const uint32_t seed = fixed ? static_cast<uint32_t>(std::strtoul(fixed, nullptr, 10))
                              : static_cast<uint32_t>(std::random_device{}());
  std::printf("kill test seed: %u (SK_KILL_SEED replays it)\n", seed);
  std::mt19937 gen(seed);

  KillRun run;
  ASSERT_EQ(run.Silent(run.setup1), unsigned{exit_code::kSuccess});
  const std::string firstBefore = run.Dump(true);
  // The reference: the upgrade uninterrupted, and how long it takes.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(run.Silent(run.setup2), unsigned{exit_code::kSuccess});
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  const std::string reference = run.Dump(true);
  ASSERT_NE(firstBefore, reference);
  std::printf("uninterrupted upgrade: %lld ms\n", static_cast<long long>(took));

  int beforeFirst = 0, midRun = 0, afterEnd = 0;
  bool shot = false;
  std::uniform_int_distribution<long long> moment(0, took);
  for (int kill = 0; kill < kKills; ++kill) {
    const long long ms = moment(gen);
    SCOPED_TRACE("kill " + std::to_string(kill) + " at " + std::to_string(ms) + " ms");
    run.Clean();
    ASSERT_EQ(run.Silent(run.setup1), unsigned{exit_code::kSuccess});
    ASSERT_EQ(run.Dump(true), firstBefore);
    const std::string before = run.Dump();
    {
      robot::Process setup(run.setup2, run.root, "/S");
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      setup.Kill();
    }
    const std::string killed = run.Dump();
    // A run killed once it had marked its end (or had removed its journal) stays installed.
    const bool ended = run.JournalEntries() == 0 || run.Ended();
    const bool installed = ended && run.Dump(true) == reference;
    if (installed)
      ++afterEnd;
    else if (run.JournalEntries() == 0 && killed == before)
      ++beforeFirst;
    else
      ++midRun;

    // The wizard's start takes the dead run back before its first page.
    {
      robot::Process wizard(run.setup2, run.root);
      robot::HWND window = nullptr;
      robot::WaitUntil(
          [&] {
            if (!shot) {
              robot::HWND r = robot::WaitWindow(wizard.Id(), "TfrmRecovery", "", 0);
              if (r && robot::IsVisible(r)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(250));  // painted
                Shot(r, "setup-recovery");
                shot = true;
              }
            }
            window = robot::WaitWindow(wizard.Id(), "TfrmParent", "", 0);
            return window != nullptr;
          },
          kTimeout, 20);
      ASSERT_NE(window, nullptr);
      if (installed)
        EXPECT_EQ(run.Dump(true), reference);
      else
        EXPECT_EQ(run.Dump(), before);
      EXPECT_EQ(run.JournalEntries(), 0u);
      robot::PostClose(window);
      robot::HWND box = WaitNextMessageBox(wizard.Id(), nullptr);
      ASSERT_NE(box, nullptr);
      robot::PressDialogButton(box, robot::kIdYes);
      ASSERT_TRUE(wizard.WaitExit(kTimeout));
    }
    ASSERT_EQ(run.Silent(run.setup2), unsigned{exit_code::kSuccess});
    EXPECT_EQ(run.Dump(true), reference);
  }
  std::printf("kills: %d before the first change, %d in the middle of the run, %d after its end\n",
              beforeFirst, midRun, afterEnd);
}

}  // namespace
}  // namespace sk
