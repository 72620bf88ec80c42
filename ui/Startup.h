// Start-up decisions of Setup.exe that need no window: the setting lookup of the driver, the
// message caption, the choice of staging and top-level window, and the page class registry.
//
// Everything here is pure or works on a borrowed TCompile; nothing shows a window, nothing is
// global. The process-wide texts live in a SetupContext owned by the startup driver and passed
// by reference to the windows.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "package/Compile.h"
#include "package/SettingNames.h"

namespace sk {

struct WizardChoices;

// The texts that every window of one run reads (GBK).
struct SetupContext {
  std::string ItemName;        // the project name
  std::string MessageCaption;  // caption of every ShowInfo / AskYesNo box after start-up
  std::string SetupDir;        // folder of the running executable, trailing backslash kept
  std::string MusicFile;       // background music of the wizard; empty: none
  // Choices given on the command line, the choice pages' starting state; null: none.
  const WizardChoices* Preset = nullptr;
  // Set when the wizard's window closes: true when it had reached its end (the install done),
  // false when the user closed it before.
  bool WizardFinished = false;
};

// "“" + itemName + "”安装向导" (the setup wizard of the named project).
std::string MessageCaptionFor(const std::string& itemName);

enum class StagingMode { None, LoadingWindow, Direct };
enum class TopWindow { None, InstallWindow, BackgroundWindow, Wizard };

// What the package asks for, read through the settings' own readers (the first general item of
// each name counts, its name matched with ASCII case folding); absent settings are std::nullopt.
struct StartupInputs {
  std::optional<bool> showLoading;     // "显示加载进度": present stages, on shows the window
  uint8_t showWizard = 1;              // Options.ShowWizard
  bool patched = false;                // Patched
  std::optional<bool> showBackground;  // "显示安装背景窗口": present opens the wizard
  std::optional<std::string> music;    // "背景音乐"
};

struct StartupPlan {
  StagingMode staging = StagingMode::None;
  TopWindow window = TopWindow::None;
  std::string musicCandidate;  // set as MusicFile when the file exists; empty: no music
};

StartupPlan DecideStartup(const StartupInputs& in);
StartupInputs ReadStartupInputs(const TCompile& model);

// A table of factories keyed by class name. Create yields nullptr for a name that is not
// registered or whose factory creates nothing.
template <typename Product, typename... Args>
class ClassRegistry {
 public:
  using Factory = std::function<std::unique_ptr<Product>(Args...)>;

  void Register(const std::string& className, Factory factory) {
    factories_[className] = std::move(factory);
  }
  void Unregister(const std::string& className) { factories_.erase(className); }
  bool IsRegistered(const std::string& className) const { return factories_.count(className) != 0; }
  std::unique_ptr<Product> Create(const std::string& className, Args... args) const {
    auto it = factories_.find(className);
    if (it == factories_.end() || !it->second) return nullptr;
    return it->second(std::forward<Args>(args)...);
  }
  size_t Size() const { return factories_.size(); }

 private:
  std::map<std::string, Factory> factories_;
};

}  // namespace sk
