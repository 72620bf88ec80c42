// setupkit simulate FILE --root DIR [--os-version CODE] [--events] [--cwd WINPATH]
//                   [--drive LETTER[=FREE]]... [--program-files DIR] [--windows-dir DIR]
//                   [--utc-offset MINUTES]
//
// Runs the install of a setup file on a virtual Windows machine kept in DIR (SandboxPlatform):
// the file is presented as C:\Setup\<its name>, support files are staged when the package asks
// for staging, the install pipeline runs, then the completion actions of the no-options window
// (run the program, open the readme) are requested from the shell, which the sandbox logs to
// DIR/actions.log instead of running. Staged files are deleted at the end, as Setup.exe does.
// --events prints every progress event as one JSON line (UTF-8).
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "engine/Install.h"
#include "package/SettingNames.h"
#include "package/Staging.h"
#include "platform/Encoding.h"
#include "platform/sandbox/SandboxPlatform.h"
#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/SimulatedMachine.h"

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

bool WantsStaging(const TCompile& model) {
  for (const auto& item : model.InfoList())
    if (item->Group == setting::kGeneral && SameTextAscii(item->Name, setting::kShowLoading.name))
      return true;
  return false;
}

// Deletes the staged support files when the simulation ends, however it ends.
struct StagedFilesGuard {
  TCompile& model;
  ~StagedFilesGuard() { DeleteStagedFiles(model); }
};

void PrintEvent(const std::string& file, const std::string& hint, int64_t pos, int64_t max) {
  nlohmann::ordered_json line = {
      {"FileName", GbkToUtf8(file)}, {"HintMsg", GbkToUtf8(hint)}, {"Position", pos}, {"Max", max}};
  std::cout << line.dump() << "\n";
}

void RunFile(Platform& p, const std::string& path) {
  p.ShellExecute("Open", path, "", ExtractFilePath(path), show::Normal);
}

struct Options {
  std::string file, root, osVersion, cwd;
  bool events = false;
  MachineOptions machine;
};

int Simulate(const Options& opt) {
  const std::filesystem::path hostFile = HostPath(opt.file);
  if (!std::filesystem::is_regular_file(hostFile))
    return ReportError("no such setup file: " + opt.file);
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

  SandboxPlatform machine(config);
  PrepareFreshProfile(machine);
  const std::string setupPath = config.executablePath;
  if (!machine.ForceDirectories("C:\\Setup")) return ReportError("cannot create C:\\Setup");
  const std::optional<std::filesystem::path> inside = machine.HostPath(setupPath);
  if (!inside) return ReportError("cannot place the setup file in the machine");
  std::filesystem::copy_file(hostFile, *inside, std::filesystem::copy_options::overwrite_existing);

  TCompile model(machine);
  model.LoadPackage(setupPath);
  StagedFilesGuard guard{model};
  if (WantsStaging(model)) {
    auto in = machine.OpenRead(setupPath);
    StageSupportFiles(model, *in);
  }
  if (opt.events) model.SetOnCompile(PrintEvent);
  InstallPackage(model, setupPath);
  if (model.Options.RunAppChecked == 1) RunFile(machine, model.Options.AppFile);
  if (model.Options.ReadmeChecked == 1) RunFile(machine, model.Options.ReadmeFile);
  machine.Save();
  std::cout.flush();
  if (!opt.events)
    std::cout << "installed \"" << GbkToUtf8(model.ItemName) << "\" into "
              << GbkToUtf8(model.Options.InstallDir) << " (machine " << opt.root << ")\n";
  return kExitOk;
}

}  // namespace

int CmdSimulate(const std::vector<std::string>& args) {
  CLI::App app{"Install a setup file on a virtual Windows machine kept in a folder", "simulate"};
  Options opt;
  app.add_option("FILE", opt.file, "setup file (Setup.exe with its package)")->required();
  app.add_option("--root", opt.root, "host folder of the virtual machine (created if missing)")
      ->required();
  app.add_option("--os-version", opt.osVersion, "OS version code: 1, 2 or major.minor (6.1)");
  app.add_flag("--events", opt.events, "print every progress event as a JSON line");
  app.add_option("--cwd", opt.cwd, "current folder of the setup process (default C:\\Setup)");
  AddMachineOptions(app, opt.machine);
  if (auto code = ParseCommandLine(app, args)) return *code;
  return Guarded([&] { return Simulate(opt); });
}

}  // namespace sk::cli
