// setupkit simulate FILE --root DIR [--os-version CODE] [--events] [--plan [--json]]
//                   [--cwd WINPATH] [--drive LETTER[=FREE]]... [--program-files DIR]
//                   [--windows-dir DIR] [--utc-offset MINUTES] [choices]
//
// Runs a setup file on a virtual Windows machine kept in DIR (SandboxPlatform): the file is
// presented as C:\Setup\<its name> and the setup session of Setup.exe runs on it without
// windows (ui/Session.h): the same staging, the same choice of window, the install, and the
// completion actions of that window, whose shell requests the sandbox logs to DIR/actions.log
// instead of running them. Message boxes are printed; questions are answered No. Staged files
// are deleted at the end, as Setup.exe does. --events prints every progress event (and every
// message box) as one JSON line (UTF-8). The choice options (tools/setupkit/SimulateChoices.h)
// answer the wizard's choice pages in advance; one the package does not offer ends the run
// before anything is installed, with exit code 2.
//
// setupkit simulate FILE --root DIR [options] -- SWITCHES runs Setup.exe's command line instead
// (ui/Switches.h): the same parser, the same checks against the package and, with /S, the same
// silent run (ui/SilentSetup.h); the exit code is then the one Setup.exe would return
// (engine/ExitCodes.h), and /LOG= writes its log inside the machine; the replacements a silent run
// scheduled for the next restart are printed. --hold WINPATH has another program hold that file
// open for the whole run (a target in use).
//
// --plan runs the same session on a PlanningPlatform over the machine (engine/PlanningPlatform.h)
// and prints the install plan instead of installing: one line per item (--json: one JSON object
// per item, tools/setupkit/PlanJson.h). The machine's folder is left exactly as it was.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <iostream>
#include <nlohmann/json.hpp>

#include "engine/ExitCodes.h"
#include "engine/PlanningPlatform.h"
#include "engine/Texts.h"
#include "platform/Encoding.h"
#include "platform/sandbox/SandboxPlatform.h"
#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/PackageFile.h"
#include "tools/setupkit/PlanJson.h"
#include "tools/setupkit/SimulateChoices.h"
#include "tools/setupkit/SimulatedMachine.h"
#include "tools/setupkit/SwitchHelp.h"
#include "ui/ChoiceSession.h"
#include "ui/SilentSetup.h"
#include "ui/SwitchChoices.h"

namespace sk::cli {

namespace {

// An OS version code as the version record that yields it: "1" Win32s, "2" the Windows 95
// family, "major.minor" the NT family.
std::optional<OsVersion> VersionFromCode(const std::string& code) {
  if (code == "1") return OsVersion{0, 3, 10, 0};
  if (code == "2") return OsVersion{1, 4, 0, 0};
  unsigned major = 0, minor = 0;
  char tail = 0;
  if (std::sscanf(code.c_str(), "%u.%u%c", &major, &minor, &tail) != 2) return std::nullopt;
  if (code.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
  return OsVersion{2, major, minor, 0};
}

const char* NothingInstalledReason(const HeadlessSetupWindows& w) {
  if (w.WindowRun.empty()) return "the package opens no window (no \"显示安装背景窗口\" setting)";
  return "the wizard has no enabled progress page";
}

// A message box of the run: a JSON line with --events, else "kind [caption] text" (UTF-8).
void PrintMessage(HeadlessSetupWindows::Box box, const std::string& caption,
                  const std::string& text, bool json) {
  const char* kind = box == HeadlessSetupWindows::Box::Question ? "question" : "message";
  if (json) {
    nlohmann::ordered_json line = {
        {"Box", kind}, {"Caption", GbkToUtf8(caption)}, {"Text", GbkToUtf8(text)}};
    std::cout << line.dump() << "\n";
  } else {
    std::cout << kind << " [" << GbkToUtf8(caption) << "] " << GbkToUtf8(text) << "\n";
  }
}

void PrintEvent(const std::string& file, const std::string& hint, int64_t pos, int64_t max) {
  nlohmann::ordered_json line = {
      {"FileName", GbkToUtf8(file)}, {"HintMsg", GbkToUtf8(hint)}, {"Position", pos}, {"Max", max}};
  std::cout << line.dump() << "\n";
}

struct Options {
  std::string file, root, osVersion, cwd;
  bool events = false, plan = false, json = false;
  WizardChoices choices;
  MachineOptions machine;
  std::optional<SetupSwitches> switches;  // the words after "--"
  std::vector<std::string> held;          // Windows paths another program holds (GBK)
};

// What the run of Setup.exe with switches ended with, as a line for the terminal.
std::string ExitLine(int code) {
  for (const exit_code::Row& row : exit_code::kTable)
    if (row.code == code) return "exit code " + std::to_string(code) + ": " + row.meaning;
  return "exit code " + std::to_string(code);
}

int SwitchFault(const std::string& gbkMessage, int code) {
  ReportGbkError(gbkMessage);
  std::cout << ExitLine(code) << "\n";
  return code;
}

// The run of Setup.exe with switches on the prepared machine. Non-silent runs answer the
// wizard's pages with the switches (as starting values that Next accepts).
int RunWithSwitches(Platform& machine, const Options& opt, const TCompileProEvent& onProgress,
                    const std::function<void()>& beforeExitLine) {
  const SetupSwitches& switches = *opt.switches;
  int code = exit_code::kSuccess;
  {
    RunLog log;
    if (switches.logFile) {
      try {
        log = RunLog(machine, *switches.logFile);
      } catch (const Error& e) {
        return SwitchFault(
            BadSwitchMessage(switches.spelled.at("LOG"), switch_text::kLogNotCreated) + "\r\n" +
                e.what(),
            exit_code::kBadSwitches);
      }
    }
    if (switches.silent) {
      const SilentOutcome outcome = RunSilentSetup(
          machine, switches, log, {.packageChecked = true, .onProgress = onProgress});
      if (!outcome.message.empty()) ReportGbkError(outcome.message);
      code = outcome.code;
    } else {
      ChoosingSetupWindows windows(ChoicesFromSwitches(switches));
      windows.OnEvent = onProgress;
      windows.OnMessage = [&](HeadlessSetupWindows::Box box, const std::string& caption,
                              const std::string& text) {
        PrintMessage(box, caption, text, opt.events || opt.json);
      };
      try {
        SetupDriver driver(machine, windows);
        driver.Compile().Run().PackageChecked = true;
        driver.Execute();
      } catch (const ChoiceNotOffered& e) {
        log.Line(NotOfferedMessage(e, switches));
        code = exit_code::kBadSwitches;
        ReportGbkError(NotOfferedMessage(e, switches));
      } catch (const std::exception& e) {
        log.Line(std::string("error: ") + e.what());
        code = exit_code::kInstallFailed;
        ReportGbkError(e.what());
      }
      log.Line("exit code: " + std::to_string(code));
    }
  }
  if (beforeExitLine) beforeExitLine();
  std::cout << ExitLine(code) << "\n";
  return code;
}

void PrintPlan(const InstallPlan& plan, bool json) {
  for (const PlanItem& item : plan) {
    if (json)
      std::cout << PlanItemToJson(item).dump(-1, ' ', false,
                                             nlohmann::ordered_json::error_handler_t::replace)
                << "\n";
    else
      std::cout << GbkToUtf8(DescribePlanItem(item)) << "\n";
  }
}

int Simulate(const Options& opt) {
  const std::filesystem::path hostFile = HostPath(opt.file);
  std::error_code ec;
  const auto status = std::filesystem::status(hostFile, ec);
  if (!std::filesystem::exists(status)) return ReportError("no such setup file: " + opt.file);
  if (!std::filesystem::is_regular_file(status))
    return ReportError(opt.file + ": is not a regular file (a FIFO, socket, device or folder)");
  const std::optional<std::string> gbkName = Utf8ToGbk(HostPathText(hostFile.filename()));
  if (!gbkName) return ReportError("the file name has no GBK form: " + opt.file);

  SandboxConfig config;
  config.root = HostPath(opt.root);
  config.executablePath = "C:\\Setup\\" + *gbkName;
  ApplyMachineOptions(opt.machine, config);
  if (!opt.osVersion.empty()) {
    config.version = VersionFromCode(opt.osVersion);
    if (!config.version) return ReportError("invalid --os-version: " + opt.osVersion);
  }
  if (!opt.cwd.empty()) {
    const std::optional<std::string> cwd = Utf8ToGbk(opt.cwd);
    if (!cwd) return ReportError("the --cwd path has no GBK form: " + opt.cwd);
    config.currentDirectory = StripTrailingBackslash(*cwd);
  }

  try {
    HostInputStream in(hostFile);
    RefuseDamagedPackage(in, opt.file);  // before anything on the machine is changed
  } catch (const Error& e) {
    if (!opt.switches) throw;
    return SwitchFault(e.what(), exit_code::kDamagedPackage);
  }
  SandboxPlatform machine(config);
  // Planning: the session runs on an overlay of the machine, which stays as it is.
  std::optional<PlanningPlatform> overlay;
  if (opt.plan) overlay.emplace(machine);
  Platform& target = overlay ? static_cast<Platform&>(*overlay) : machine;
  PrepareFreshProfile(target);
  for (const std::string& path : opt.held) machine.HoldByOtherProgram(path);
  const std::string setupPath = config.executablePath;
  if (!target.ForceDirectories("C:\\Setup")) return ReportError("cannot create C:\\Setup");
  if (overlay) {
    const int64_t size = HostInputStream(hostFile).Size();
    overlay->Provide(setupPath, size,
                     [hostFile] { return std::make_unique<HostInputStream>(hostFile); });
    overlay->MarkBaseline();
  } else {
    const std::optional<std::filesystem::path> inside = machine.HostPath(setupPath);
    if (!inside) return ReportError("cannot place the setup file in the machine");
    // The copy of an earlier run goes first: the Windows build's library refuses to copy over
    // an existing file even when asked to overwrite it.
    std::error_code gone;
    std::filesystem::remove(*inside, gone);
    std::filesystem::copy_file(hostFile, *inside);
  }
  // The files the install places, so that the plan can name those it keeps as they are.
  TCompileProEvent onProgress;
  if (overlay || opt.events)
    onProgress = [&](const std::string& file, const std::string& hint, int64_t pos, int64_t max) {
      if (opt.events) PrintEvent(file, hint, pos, max);
      if (overlay && !file.empty() && hint == engine_text::kInstallingFile)
        overlay->NoteFilePlaced(file);
    };
  if (opt.switches) {
    const int code = RunWithSwitches(target, opt, onProgress, [&] {
      if (overlay) {
        PrintPlan(overlay->Plan(), opt.json);
        return;
      }
      for (const SandboxPlatform::PendingRename& rename : machine.PendingRenames())
        std::cout << "at the next restart: " << GbkToUtf8(rename.source) << " replaces "
                  << GbkToUtf8(rename.target) << "\n";
    });
    if (!overlay) machine.Save();
    return overlay && code == exit_code::kSuccess ? kExitOk : code;
  }

  ChoosingSetupWindows windows(opt.choices);
  windows.OnEvent = onProgress;
  windows.OnMessage = [&](HeadlessSetupWindows::Box box, const std::string& caption,
                          const std::string& text) {
    PrintMessage(box, caption, text, opt.events || opt.json);
  };
  std::string itemName, installDir;
  {
    // The driver deletes the staged files when it goes, however the run ends.
    SetupDriver driver(target, windows);
    // The run reads a copy of the bytes RefuseDamagedPackage checked above: Setup.exe's own pass
    // over them would find the same, at the cost of inflating the whole package a second time.
    driver.Compile().Run().PackageChecked = true;
    driver.Execute();
    itemName = driver.Compile().Package().ItemName;
    installDir = driver.Compile().Choices().Options.InstallDir;
  }
  if (!overlay) machine.Save();
  std::cout.flush();
  if (windows.WindowRun.empty()) opt.choices.CheckPages({});  // no wizard took the answers
  if (overlay) {
    if (!windows.Installed && !opt.json)
      std::cout << "nothing would be installed: " << NothingInstalledReason(windows) << "\n";
    PrintPlan(overlay->Plan(), opt.json);
  } else if (!opt.events) {
    if (windows.Installed)
      std::cout << "installed \"" << GbkToUtf8(itemName) << "\" into " << GbkToUtf8(installDir)
                << " (machine " << opt.root << ")\n";
    else
      std::cout << "nothing installed: " << NothingInstalledReason(windows) << "\n";
  }
  return kExitOk;
}

}  // namespace

int CmdSimulate(const std::vector<std::string>& allArgs) {
  CLI::App app{"Install a setup file on a virtual Windows machine kept in a folder", "simulate"};
  app.footer("After \"--\", Setup.exe's switches (see 'setupkit help setup-switches').");
  Options opt;
  // The words after "--" are Setup.exe's command line, not options of this command.
  const auto dashes = std::find(allArgs.begin(), allArgs.end(), "--");
  const std::vector<std::string> args(allArgs.begin(), dashes);
  app.add_option("FILE", opt.file, "setup file (Setup.exe with its package)")->required();
  app.add_option("--root", opt.root, "host folder of the virtual machine (created if missing)")
      ->required();
  app.add_option("--os-version", opt.osVersion, "OS version code: 1, 2 or major.minor (6.1)");
  app.add_flag("--events", opt.events, "print every progress event as a JSON line");
  app.add_flag("--plan", opt.plan,
               "print what the install would change, item by item, and change nothing");
  app.add_flag("--json", opt.json, "with --plan: print each item as a JSON line");
  app.add_option("--cwd", opt.cwd, "current folder of the setup process (default C:\\Setup)");
  AddMachineOptions(app, opt.machine);
  std::vector<std::string> held;
  app.add_option("--hold", held,
                 "a Windows path that another program holds open during the run (repeatable)");
  ChoiceArgs choices;
  AddChoiceOptions(app, choices);
  if (auto code = ParseCommandLine(app, args)) return *code;
  return Guarded([&] {
    opt.choices = ToChoices(app, choices);
    for (const std::string& path : held) {
      const std::optional<std::string> gbk = Utf8ToGbk(path);
      if (!gbk) return ReportError("the --hold path has no GBK form: " + path);
      opt.held.push_back(*gbk);
    }
    if (dashes != allArgs.end()) {
      std::vector<std::string> words;
      for (auto it = dashes + 1; it != allArgs.end(); ++it) {
        const std::optional<std::string> gbk = Utf8ToGbk(*it);
        if (!gbk) return ReportError("a switch has no GBK form: " + *it);
        words.push_back(*gbk);
      }
      if (!opt.choices.Empty())
        return ReportError("give the choices either as options or as switches after \"--\"");
      opt.switches = ParseSetupSwitches(JoinSwitchWords(words));
      if (opt.switches->help) {
        std::cout << SetupSwitchesHelpUtf8();
        return kExitOk;
      }
      if (!opt.switches->Valid()) return SwitchFault(opt.switches->error, exit_code::kBadSwitches);
    }
    if (opt.json && !opt.plan) return ReportError("--json goes with --plan");
    return Simulate(opt);
  });
}

}  // namespace sk::cli
