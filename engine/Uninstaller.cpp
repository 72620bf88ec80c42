// The uninstall of one product (see Uninstaller.h).
#include "engine/Uninstaller.h"

#include <algorithm>

#include "engine/Sha256.h"
#include "engine/Texts.h"
#include "engine/UninstallTexts.h"
#include "package/Compile.h"

namespace sk {

namespace {

TUnInsData FileRecord(const std::string& path) {
  return {"", path, "", 1, unins_kind::File};
}

// Deletes one file the uninstall owns without a record (the log, the uninstaller).
RemovalEntry DeleteOwnFile(Platform& p, const std::string& path) {
  const TUnInsData r = FileRecord(path);
  if (!p.FileExists(path)) return {r, RemovalResult::Missing, {}};
  if (p.DeleteFile(path)) return {r, RemovalResult::Removed, {}};
  return {r, RemovalResult::Failed, uninstall_text::kCannotRemove};
}

// The recorded folders that hold the uninstaller, innermost first: they can only become empty
// once the uninstaller and its log are gone.
std::vector<std::string> HoldingFolders(Platform& platform, const UninstallRecorder& log,
                                        const std::string& uninstaller) {
  const ProtectedPlaces places(platform);
  std::vector<std::string> folders;
  std::string folder = StripTrailingBackslash(ExtractFilePath(uninstaller));
  for (;;) {
    bool recorded = false;
    for (const TUnInsData& r : log.Records())
      if (r.Kind == unins_kind::Folder && SameTextAscii(StripTrailingBackslash(r.Path), folder))
        recorded = true;
    if (!recorded || !places.Check(folder).empty()) break;
    folders.push_back(folder);
    std::string parent = StripTrailingBackslash(ExtractFilePath(folder));
    if (parent.empty() || parent.size() >= folder.size()) break;
    folder = parent;
  }
  return folders;
}

// One spelling of a path for comparison (see SameFilePath).
std::string PathKey(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');  // "/" is never a GBK trail byte
  return LowerAscii(std::move(path));
}

// The string value `name` of an open key, when it is one.
std::optional<std::string> StringValue(RegistryKey& key, const std::string& name) {
  const std::optional<RegValue> v = key.ReadValue(name);
  if (!v || v->type != RegType::String) return std::nullopt;
  return v->data;
}

// Throws UntrustedLogError unless the product's Uninstall entry names this uninstaller and holds
// `digest`, the SHA-256 of the log file's bytes.
void RequireEntryVouches(Platform& platform, const UninstallRecorder& log,
                         const std::string& digest, const std::string& uninstallerPath,
                         const std::string& logPath) {
  auto refuse = [&](const std::string& why) {
    throw UntrustedLogError(std::string(uninstall_text::kUntrustedLog) + "\r\n" + logPath + ": " +
                            why);
  };
  const std::string keyPath = UninstallEntryKey(log.UninstallKey());
  if (keyPath.empty()) refuse("the log names no product");
  auto key = platform.OpenKey(RegRoot::LocalMachine, keyPath, false);
  if (!key) refuse("no Uninstall entry for the product " + log.UninstallKey());
  const std::optional<std::string> command = StringValue(*key, "UninstallString");
  if (!command || !SameFilePath(ProgramOfCommand(*command), uninstallerPath))
    refuse("the product's Uninstall entry names another uninstaller");
  const std::optional<std::string> stored = StringValue(*key, kLogDigestValue);
  if (!stored) refuse("the product's Uninstall entry holds no log digest");
  if (!SameTextAscii(*stored, digest)) refuse("the log differs from the one the install saved");
}

}  // namespace

bool SameFilePath(const std::string& a, const std::string& b) {
  return PathKey(a) == PathKey(b);
}

std::string ProgramOfCommand(const std::string& command) {
  if (!command.empty() && command[0] == '"') {
    const size_t end = command.find('"', 1);
    return command.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  return command;
}

std::unique_ptr<UninstallRecorder> ReadUninstallLog(Platform& platform,
                                                    const std::string& uninstallerPath) {
  const std::string logPath = UninstallLogPath(uninstallerPath);
  if (!platform.FileExists(logPath)) throw Error(logPath + ": no uninstall log");
  // The bytes that are hashed are the bytes that are parsed: the file is read once.
  const std::string bytes = ReadLogFile(platform, logPath);
  auto log = std::make_unique<UninstallRecorder>(platform);
  log->LoadFromBytes(bytes, logPath);
  RequireEntryVouches(platform, *log, Sha256Hex(bytes), uninstallerPath, logPath);
  return log;
}

std::string UninstallEntryKey(const std::string& uninstallKey) {
  if (uninstallKey.empty() || uninstallKey.find('\\') != std::string::npos ||
      uninstallKey.find('/') != std::string::npos || uninstallKey == "." || uninstallKey == "..")
    return {};
  return engine_text::kUninstallKeyBase + uninstallKey;
}

RemovalEntry RemoveUninstallEntry(Platform& platform, const std::string& uninstallKey,
                                  const std::string& expectedUninstaller) {
  const std::string keyPath = UninstallEntryKey(uninstallKey);
  TUnInsData r{RootText(RegRoot::LocalMachine), keyPath.empty() ? uninstallKey : keyPath, "", 1,
               unins_kind::Registry};
  if (keyPath.empty()) return {r, RemovalResult::Refused, uninstall_text::kBadPath};
  auto key = platform.OpenKey(RegRoot::LocalMachine, keyPath, false);
  if (!key) return {r, RemovalResult::Missing, {}};
  if (!expectedUninstaller.empty()) {
    // An entry that a later install of the product points elsewhere belongs to that install.
    const std::optional<std::string> command = StringValue(*key, "UninstallString");
    if (command && !SameFilePath(ProgramOfCommand(*command), expectedUninstaller))
      return {r, RemovalResult::Kept, uninstall_text::kUnknownRecord};
  }
  for (const std::string& name : key->ValueNames()) key->DeleteValue(name);
  const bool hasSubKeys = !key->SubKeyNames().empty();
  key.reset();
  if (hasSubKeys) return {r, RemovalResult::Kept, uninstall_text::kNotEmpty};
  if (platform.DeleteKey(RegRoot::LocalMachine, keyPath)) return {r, RemovalResult::Removed, {}};
  return {r, RemovalResult::Failed, uninstall_text::kCannotRemove};
}

UninstallOutcome RunUninstall(Platform& platform, const UninstallRecorder& log,
                              const std::string& uninstallerPath, const RemovalProgress& progress) {
  UninstallOutcome out;
  out.report = RemoveRecords(platform, log.Records(), 0, progress);
  out.report.entries.push_back(RemoveUninstallEntry(platform, log.UninstallKey(), uninstallerPath));
  out.report.entries.push_back(DeleteOwnFile(platform, UninstallLogPath(uninstallerPath)));
  out.uninstaller = uninstallerPath;
  out.foldersAfterSelf = HoldingFolders(platform, log, uninstallerPath);
  return out;
}

void FinishUninstall(Platform& platform, UninstallOutcome& outcome) {
  outcome.report.entries.push_back(DeleteOwnFile(platform, outcome.uninstaller));
  for (const std::string& folder : outcome.foldersAfterSelf) {
    const bool removed = platform.RemoveDirectory(folder);
    for (RemovalEntry& e : outcome.report.entries) {
      if (e.record.Kind == unins_kind::Folder && e.result == RemovalResult::Kept &&
          SameTextAscii(StripTrailingBackslash(e.record.Path), folder) && removed) {
        e.result = RemovalResult::Removed;
        e.reason.clear();
      }
    }
    if (!removed) break;
  }
}

std::string UninstallQuestion(const std::string& productName) {
  return uninstall_text::kAskOpen + productName + uninstall_text::kAskClose;
}

std::string UninstallCaption(const std::string& productName) {
  if (productName.empty()) return uninstall_text::kUninstall;
  return uninstall_text::kCaptionOpen + productName + uninstall_text::kCaptionClose;
}

std::string UninstallSummary(const UninstallOutcome& outcome, const std::string& productName) {
  const std::vector<std::string> failed = outcome.report.Names(RemovalResult::Failed);
  if (failed.empty()) return uninstall_text::kDoneOpen + productName + uninstall_text::kDoneClose;
  std::string text = std::string(uninstall_text::kFinished) + "\r\n" + uninstall_text::kNotRemoved;
  constexpr size_t kShown = 15;  // a box taller than the screen helps nobody
  for (size_t i = 0; i < failed.size() && i < kShown; ++i) text += "\r\n" + failed[i];
  if (failed.size() > kShown) text += "\r\n...";
  return text;
}

}  // namespace sk
