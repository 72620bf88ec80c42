// Runs the install pipeline on a test machine over a package made with PackageBuilder, and
// reads back what it left: progress events, files, the uninstall log.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/Install.h"
#include "engine/UninstallRecorder.h"
#include "tests/support/PackageBuilder.h"
#include "tests/support/TestMachine.h"

namespace sk {
// Readable records in test failures.
inline void PrintTo(const TUnInsData& r, std::ostream* os) {
  *os << "{" << r.Root << "|" << r.Path << "|" << r.ValueName << "|" << int(r.RemoveFlag) << "|"
      << int(r.Kind) << "}";
}
}  // namespace sk

namespace sk::test {

// 目标计算机\Program Files\ and the "卸载程序" setting.
inline const std::string kPF = "\xC4\xBF\xB1\xEA\xBC\xC6\xCB\xE3\xBB\xFA\\Program Files\\";
inline const std::string& kEnableUnInsName = setting::kEnableUnIns.name;
inline const std::string kMachine = "\xC4\xBF\xB1\xEA\xBC\xC6\xCB\xE3\xBB\xFA\\";

struct Event {
  std::string file, hint;
  int64_t pos, max;
  bool operator==(const Event&) const = default;
};

class InstallRun {
 public:
  // Writes the package into the machine as <root>Setup.exe, loads it and points InstallDir at
  // <root>App. Shortcut and start-menu switches stay as the package sets them.
  InstallRun(PackageBuilder& b, std::unique_ptr<TestMachine> machine);

  Platform& platform() { return machine_->platform(); }
  TestMachine& machine() { return *machine_; }
  TCompile& model() { return *model_; }
  std::string root() { return machine_->root(); }
  std::string installDir() { return model_->Choices().Options.InstallDir; }
  const std::vector<Event>& events() const { return events_; }

  void Install() {
    InstallPackage(
        *model_,
        [this](const std::string& f, const std::string& h, int64_t p, int64_t m) {
          events_.push_back({f, h, p, m});
        },
        setup_);
  }
  std::string Read(const std::string& path);
  void Write(const std::string& path, const std::string& bytes);
  // The uninstall log beside the uninstaller, decoded.
  std::unique_ptr<UninstallRecorder> Log(const std::string& path);
  // The sandbox's actions.log (empty on other machines).
  std::string Actions();

 private:
  std::unique_ptr<TestMachine> machine_;
  std::unique_ptr<TCompile> model_;
  std::string setup_;
  std::vector<Event> events_;
};

}  // namespace sk::test
