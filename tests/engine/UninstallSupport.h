// Helpers of the uninstall suites on the sandbox machine: a picture of the machine (file tree
// with contents, registry text) to compare before and after, a machine with the Uninstall key,
// a package with the uninstaller switched on, and an uninstall run with the uninstaller's code.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "engine/Uninstaller.h"
#include "platform/SystemHelpers.h"
#include "tests/engine/InstallTestSupport.h"

namespace sk::test {

inline const std::string kProjectName = "\xCF\xEE\xC4\xBF\xC3\xFB\xB3\xC6";  // 项目名称
inline const std::string kDesktop = "\xD7\xC0\xC3\xE6";                      // 桌面
inline const std::string kStartMenu = "\xBF\xAA\xCA\xBC\xB2\xCB\xB5\xA5";    // 开始菜单

// The machine as files (host path relative to the root → contents, then "@" and the last-write
// time for files), its registry text and its attribute table.
struct Snapshot {
  std::map<std::string, std::string> files;
  std::string registry;
  std::string attributes;
  bool operator==(const Snapshot&) const = default;
};

// Writes `bytes` to `path` on `p`, making its folders first.
inline void WriteFile(Platform& p, const std::string& path, const std::string& bytes) {
  p.ForceDirectories(ExtractFilePath(path));
  auto out = p.CreateFile(path);
  out->Write(bytes.data(), bytes.size());
  out->Close();
}

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A file's last-write time in the 100 ns units of the system's file times.
inline int64_t FileTimeTicks(const std::filesystem::path& p) {
  using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;
  const auto sys = std::chrono::file_clock::to_sys(std::filesystem::last_write_time(p));
  return std::chrono::floor<Ticks>(sys.time_since_epoch()).count();
}

inline Snapshot Take(TestMachine& m) {
  namespace fs = std::filesystem;
  SandboxPlatform& sb = *m.sandbox();
  sb.Save();
  Snapshot s;
  const fs::path drive = sb.config().root / "C";
  for (auto it = fs::recursive_directory_iterator(drive); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string rel = fs::relative(it->path(), drive).generic_string();
    s.files[rel] = it->is_directory()
                       ? "<dir>"
                       : Slurp(it->path()) + "@" + std::to_string(FileTimeTicks(it->path()));
  }
  s.registry = Slurp(sb.RegistryPath());
  s.attributes = Slurp(sb.config().root / "attributes.txt");
  return s;
}

// Lines that differ, for readable failures.
inline std::string Diff(const Snapshot& a, const Snapshot& b) {
  std::string out;
  for (const auto& [k, v] : a.files)
    if (!b.files.count(k))
      out += "- " + k + "\n";
    else if (b.files.at(k) != v)
      out += "~ " + k + "\n";
  for (const auto& [k, v] : b.files)
    if (!a.files.count(k)) out += "+ " + k + "\n";
  if (a.registry != b.registry) out += "registry differs:\n" + a.registry + "\n----\n" + b.registry;
  if (a.attributes != b.attributes)
    out += "attributes differ:\n" + a.attributes + "\n----\n" + b.attributes;
  return out;
}

// A machine with the keys every Windows has (the Uninstall key among them).
inline std::unique_ptr<TestMachine> Sandbox() {
  auto m = MakeSandboxMachine();
  m->platform().CreateKey(RegRoot::LocalMachine,
                          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  return m;
}

// A package with the uninstaller switched on and an uninstaller item.
inline void Base(PackageBuilder& b,
                 const std::string& serial = "11111111-2222-3333-4444-555555555555") {
  b.Setting(kEnableUnInsName, text::kEnabled);
  b.Setting(kProjectName, "Demo");
  b.Serial(serial);
  b.File("Z:\\bin\\Uninst.exe", kPF, "UNINST", kind::Uninstaller);
}

// The uninstall with the uninstaller at `uninstaller` (default: Uninst.exe in the install
// folder), as Uninst.exe runs it.
inline UninstallOutcome Uninstall(InstallRun& run, std::string uninstaller = {}) {
  Platform& p = run.platform();
  if (uninstaller.empty()) uninstaller = run.installDir() + "\\Uninst.exe";
  auto log = ReadUninstallLog(p, uninstaller);
  UninstallOutcome out = RunUninstall(p, *log, uninstaller);
  FinishUninstall(p, out);
  return out;
}

}  // namespace sk::test
