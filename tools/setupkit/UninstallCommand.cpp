// setupkit uninstall --root DIR [machine options] PRODUCT-ID
//
// The machine options (--drive, --program-files, --windows-dir, --utc-offset) describe the
// machine as they did for simulate.
// Removes an installed product from the virtual Windows machine kept in DIR (the machine of
// `setupkit simulate`), with the same removal code as the uninstaller program and without its
// questions: the product's Uninstall entry gives the uninstaller (UninstallString), the log
// beside it lists what the install made; records are removed in reverse order, then the entry,
// the log, the uninstaller and the folders that held it when they are empty. Prints one line
// per item: "removed", "missing" (already gone), "kept" (with the reason), "refused" or
// "failed". Exit 0 when the uninstall ran (even with items that could not be removed, which
// are listed), 2 with "setupkit: error: ..." when the product or its log cannot be found or the
// log is damaged, or when the product's Uninstall entry does not vouch for the log (its digest
// differs, it names another uninstaller, the log is another product's): nothing is removed then.
#include <CLI/CLI.hpp>
#include <iostream>

#include "engine/Journal.h"
#include "engine/RunClaim.h"
#include "engine/Texts.h"
#include "engine/Uninstaller.h"
#include "package/Compile.h"
#include "platform/Encoding.h"
#include "platform/sandbox/SandboxPlatform.h"
#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/SimulatedMachine.h"

namespace sk::cli {

namespace {

// The log of the product's uninstaller, vouched for by its Uninstall entry (see
// ReadUninstallLog) and naming this product; throws Error otherwise.
std::unique_ptr<UninstallRecorder> ProductLog(Platform& machine, const std::string& uninstaller,
                                              const std::string& id) {
  // A run of the product that was killed is taken back first (its journal, see Journal.h).
  {
    const std::unique_ptr<FileHold> claim = ClaimProductRun(machine, id);
    RecoverProductRuns(machine, id);
  }
  std::unique_ptr<UninstallRecorder> log;
  try {
    log = ReadUninstallLog(machine, uninstaller);
  } catch (const UntrustedLogError& e) {
    std::string text = e.what();  // one line on the terminal
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    throw Error(text);
  }
  if (!SameTextAscii(log->UninstallKey(), id))
    throw Error(UninstallLogPath(uninstaller) + ": the log is of another product (" +
                log->UninstallKey() + ")");
  return log;
}

int Uninstall(const std::string& root, const std::string& productId,
              const MachineOptions& machineOptions) {
  const std::optional<std::string> id = Utf8ToGbk(productId);
  if (!id || UninstallEntryKey(*id).empty())
    return ReportError("not a product identifier: " + productId);
  if (!std::filesystem::is_directory(HostPath(root)))
    return ReportError("no machine folder: " + root);

  SandboxConfig config;
  config.root = HostPath(root);
  ApplyMachineOptions(machineOptions, config);
  SandboxPlatform machine(config);
  auto entry = machine.OpenKey(RegRoot::LocalMachine, UninstallEntryKey(*id), false);
  const std::optional<RegValue> command =
      entry ? entry->ReadValue("UninstallString") : std::nullopt;
  entry.reset();
  if (!command || command->type != RegType::String || command->data.empty())
    return ReportError("no installed product " + productId + " on the machine " + root);
  const std::string uninstaller = ProgramOfCommand(command->data);

  std::unique_ptr<UninstallRecorder> log = ProductLog(machine, uninstaller, *id);
  UninstallOutcome outcome = RunUninstall(machine, *log, uninstaller);
  FinishUninstall(machine, outcome);
  machine.Save();

  for (const RemovalEntry& e : outcome.report.entries) {
    std::cout << RemovalResultWord(e.result) << " " << GbkToUtf8(RecordName(e.record));
    if (!e.reason.empty()) std::cout << " (" << GbkToUtf8(e.reason) << ")";
    std::cout << "\n";
  }
  std::cout << "uninstalled \"" << GbkToUtf8(log->ProductName())
            << "\": " << outcome.report.Count(RemovalResult::Removed) << " removed, "
            << outcome.report.Count(RemovalResult::Kept) << " kept, "
            << outcome.report.Count(RemovalResult::Failed) << " failed\n";
  std::cout.flush();
  return kExitOk;
}

}  // namespace

int CmdUninstall(const std::vector<std::string>& args) {
  CLI::App app{"Uninstall a product from a virtual Windows machine kept in a folder", "uninstall"};
  std::string root, productId;
  MachineOptions machineOptions;
  app.add_option("PRODUCT-ID", productId, "the product identifier (its Uninstall entry's name)")
      ->required();
  app.add_option("--root", root, "host folder of the virtual machine (as given to simulate)")
      ->required();
  AddMachineOptions(app, machineOptions);
  if (auto code = ParseCommandLine(app, args)) return *code;
  return Guarded([&] { return Uninstall(root, productId, machineOptions); });
}

}  // namespace sk::cli
