#include "platform/sandbox/SandboxPlatform.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/Encoding.h"
#include "platform/LnkFormat.h"
#include "platform/Platform.texts.h"
#include "platform/sandbox/FolderNames.h"
#include "platform/sandbox/HostStreams.h"
#include "platform/sandbox/IniProfile.h"
#include "platform/sandbox/LinkFreeLookup.h"
#include "platform/sandbox/SandboxRegistry.h"
#include "platform/sandbox/WinPath.h"

namespace fs = std::filesystem;

namespace sk {

using sandbox::FoldCase;
using sandbox::FoldUtf8;
using sandbox::PathError;

namespace {

// Windows error codes the sandbox reports, with the system's text (GBK).
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kSharingViolation = 32;
constexpr int kInvalidName = 123;
constexpr int kCannotAccess = 1920;

const char* Reason(int code) {
  switch (code) {
    case kFileNotFound:
      return platform_text::kFileNotFound;
    case kPathNotFound:
      return platform_text::kPathNotFound;
    case kAccessDenied:
      return platform_text::kAccessDenied;
    case kSharingViolation:
      return platform_text::kSharingViolation;
    case kInvalidName:
      return platform_text::kInvalidName;
    case kCannotAccess:
      return platform_text::kCannotAccess;
    default:
      return "error";
  }
}

constexpr uint32_t kSettableAttributes = attr::ReadOnly | attr::Hidden | attr::System |
                                         attr::Archive | 0x100 /*temporary*/ |
                                         0x2000 /*not content indexed*/;
constexpr uint32_t kProtectedAttributes = attr::ReadOnly | attr::Hidden | attr::System;

fs::path HostName(const std::string& utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Utf8Of(const fs::path& p) {
  std::u8string s = p.u8string();
  return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

std::string StripTrailingBackslashes(std::string s) {
  while (s.size() > 3 && sandbox::EndsWithBackslash(s)) s.pop_back();
  return s;
}

// The machine's own files in ROOT are never links: reading or writing through one could reach
// any file of the host.
void RefuseLink(const fs::path& host) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(host, ec))) {
    throw Error("sandbox: " + Utf8Of(host) + " is a link; the sandbox does not follow links");
  }
}

std::optional<std::string> ReadHostFile(const fs::path& host) {
  std::ifstream in(host, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Writes text to host through a temporary file, so a failure never leaves half a file.
void WriteHostFileAtomically(const fs::path& host, const std::string& text) {
  fs::path tmp = host;
  tmp += ".tmp";
  RefuseLink(host);
  std::error_code removed;
  fs::remove(tmp, removed);  // a stale file or link there is replaced, never written through
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw Error("cannot write " + Utf8Of(tmp));
  }
  std::error_code ec;
  fs::rename(tmp, host, ec);
  if (ec) throw Error("cannot write " + Utf8Of(host) + ": " + ec.message());
}

// One line of actions.log: control characters are shown as escapes so a line stays a line.
std::string LogLine(const std::string& gbk) {
  std::string clean;
  for (char c : gbk) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      clean += buf;
    } else {
      clean += c;
    }
  }
  return GbkToUtf8(clean);
}

class SandboxKey : public RegistryKey {
 public:
  SandboxKey(std::shared_ptr<sandbox::SandboxRegistry> registry,
             std::shared_ptr<sandbox::SandboxRegistry::Key> key, std::shared_ptr<FaultHook> faults)
      : registry_(std::move(registry)), key_(std::move(key)), faults_(std::move(faults)) {}

  bool WriteString(const std::string& name, const std::string& value) override {
    return Write(name, static_cast<uint32_t>(RegType::String), value);
  }
  bool WriteDword(const std::string& name, uint32_t value) override {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return Write(name, static_cast<uint32_t>(RegType::Dword), bytes);
  }
  bool WriteBinary(const std::string& name, const std::string& bytes) override {
    return Write(name, static_cast<uint32_t>(RegType::Binary), bytes);
  }
  std::optional<RegValue> ReadValue(const std::string& name) override {
    if (key_->deleted) return std::nullopt;
    auto it = key_->values.find(FoldCase(name));
    if (it == key_->values.end()) return std::nullopt;
    RegValue v;
    uint32_t t = it->second.type;
    v.type = (t == 1 || t == 3 || t == 4) ? static_cast<RegType>(t) : RegType::Other;
    v.data = it->second.data;
    return v;
  }
  bool ValueExists(const std::string& name) override {
    return !key_->deleted && key_->values.count(FoldCase(name)) > 0;
  }
  std::optional<StoredRegValue> ReadStored(const std::string& name) override {
    if (key_->deleted) return std::nullopt;
    auto it = key_->values.find(FoldCase(name));
    if (it == key_->values.end()) return std::nullopt;
    return StoredRegValue{it->second.type, it->second.data};
  }
  bool WriteStored(const std::string& name, const StoredRegValue& value) override {
    return Write(name, value.type, value.bytes);
  }
  bool DeleteValue(const std::string& name) override {
    faults_->Change();
    return registry_->DeleteValue(*key_, name);
  }
  std::vector<std::string> ValueNames() override {
    std::vector<std::string> names;
    if (key_->deleted) return names;
    for (const auto& [folded, value] : key_->values) names.push_back(value.name);
    return names;
  }
  std::vector<std::string> SubKeyNames() override {
    std::vector<std::string> names;
    if (key_->deleted) return names;
    for (const auto& [folded, child] : key_->children) names.push_back(child->name);
    return names;
  }

 private:
  bool Write(const std::string& name, uint32_t type, const std::string& data) {
    faults_->Change();
    if (key_->deleted) return false;
    return registry_->SetValue(*key_, name, type, data);
  }
  std::shared_ptr<sandbox::SandboxRegistry> registry_;
  std::shared_ptr<sandbox::SandboxRegistry::Key> key_;
  std::shared_ptr<FaultHook> faults_;
};

// Splits a command line into its first token (quoted or not) and the rest.
std::pair<std::string, std::string> SplitCommand(const std::string& cmd) {
  size_t i = cmd.find_first_not_of(' ');
  if (i == std::string::npos) return {};
  size_t end;
  std::string first;
  if (cmd[i] == '"') {
    end = cmd.find('"', i + 1);
    first = cmd.substr(i + 1, end == std::string::npos ? cmd.npos : end - i - 1);
    end = end == std::string::npos ? cmd.size() : end + 1;
  } else {
    end = cmd.find(' ', i);
    if (end == std::string::npos) end = cmd.size();
    first = cmd.substr(i, end - i);
  }
  return {first, cmd.substr(end)};
}

}  // namespace

struct SandboxPlatform::Resolved {
  PathError error = PathError::None;
  sandbox::WinPath win;
  fs::path host;
  bool parentExists = false;  // every element but the last is an existing folder
  std::string key;            // folded Windows path, for the side tables
  std::string linked;         // PathError::Link: the Windows path of the element that is a link
  fs::file_status status;

  bool ok() const { return error == PathError::None; }
  bool exists() const { return ok() && fs::exists(status); }
  bool isFile() const { return ok() && fs::is_regular_file(status); }
  bool isDir() const { return ok() && fs::is_directory(status); }
};

SandboxPlatform::SandboxPlatform(SandboxConfig config)
    : config_(std::move(config)),
      registry_(std::make_shared<sandbox::SandboxRegistry>()),
      openFiles_(std::make_shared<OpenFiles>()),
      folderNames_(std::make_unique<sandbox::FolderNames>()) {
  if (config_.root.empty()) throw Error("sandbox: no root folder given");
  std::error_code ec;
  fs::create_directories(config_.root, ec);
  for (const auto& [letter, free] : config_.drives) {
    if (!ec) fs::create_directories(config_.root / std::string(1, letter), ec);
  }
  if (ec) throw Error("sandbox: cannot prepare " + Utf8Of(config_.root) + ": " + ec.message());
  noLinks_ = std::make_unique<sandbox::LinkFreeLookup>(config_.root);
  if (!config_.specialFolders.count(38)) config_.specialFolders[38] = config_.programFiles;
  if (config_.createFolders) {
    std::vector<std::string> folders{config_.windowsDir, config_.tempPath,
                                     config_.currentDirectory};
    for (const auto& [id, folder] : config_.specialFolders) folders.push_back(folder);
    for (const std::string& f : folders) {
      if (!f.empty()) ForceDirectories(f);
    }
  }
  RefuseLink(RegistryPath());
  RefuseLink(config_.root / "attributes.txt");
  if (fs::exists(RegistryPath())) {
    std::optional<std::string> text = ReadHostFile(RegistryPath());
    if (!text) throw Error("sandbox: cannot read " + Utf8Of(RegistryPath()));
    registry_->LoadText(*text, Utf8Of(RegistryPath()));
  }
  LoadAttributes();
}

SandboxPlatform::~SandboxPlatform() {
  try {
    Save();
  } catch (const std::exception&) {
    // A destructor cannot report; callers that care call Save() themselves.
  }
}

void SandboxPlatform::Save() {
  if (registry_->dirty() || !fs::exists(RegistryPath())) {
    WriteHostFileAtomically(RegistryPath(), registry_->ToText());
    registry_->MarkClean();
  }
  if (attributesDirty_) {
    std::string text;
    char buf[16];
    for (const auto& [key, bits] : attributes_) {
      std::snprintf(buf, sizeof buf, "%08x\t", bits);
      text += buf + GbkToUtf8(key) + "\n";
    }
    WriteHostFileAtomically(config_.root / "attributes.txt", text);
    attributesDirty_ = false;
  }
}

void SandboxPlatform::LoadAttributes() {
  std::optional<std::string> text = ReadHostFile(config_.root / "attributes.txt");
  if (!text) return;
  std::istringstream in(*text);
  std::string line;
  while (std::getline(in, line)) {
    size_t tab = line.find('\t');
    if (tab != 8) continue;
    const std::string digits = line.substr(0, 8);  // `end` points into it below
    char* end = nullptr;
    unsigned long bits = std::strtoul(digits.c_str(), &end, 16);
    std::optional<std::string> key = Utf8ToGbk(line.substr(9));
    if (key && end && *end == '\0') attributes_[FoldCase(*key)] = static_cast<uint32_t>(bits);
  }
}

SandboxPlatform::Resolved SandboxPlatform::Resolve(const std::string& path) {
  Resolved r;
  r.error = sandbox::ParseWinPath(path, config_.currentDirectory, r.win);
  if (!r.ok()) return r;
  if (!config_.drives.count(r.win.drive)) {
    r.error = PathError::NotFound;
    return r;
  }
  r.host = config_.root / std::string(1, r.win.drive);
  r.key = FoldCase(r.win.ToString());
  // Host names below ROOT: the drive folder, then one per element (UTF-8).
  const size_t n = r.win.elements.size();
  std::vector<std::string> names;
  names.reserve(n + 1);
  names.emplace_back(1, r.win.drive);
  for (const std::string& element : r.win.elements) names.push_back(GbkToUtf8(element));
  // No element is ever a link: a path that meets one fails, naming the element.
  auto refuse = [&](size_t element) {
    r.error = PathError::Link;
    sandbox::WinPath linked{r.win.drive, {}};
    linked.elements.assign(r.win.elements.begin(),
                           r.win.elements.begin() + static_cast<std::ptrdiff_t>(element));
    r.linked = linked.ToString();
    return r;
  };
  // A path is resolved for every file operation, so the common cases take few calls: a path
  // that exists as spelled takes one lookup, a new name in a folder that exists as spelled two
  // and a look at the folder's listing. Only otherwise is the path walked name by name.
  sandbox::LinkFreeLookup::Result exact = noLinks_->Look(names, n + 1);
  if (exact.link != sandbox::LinkFreeLookup::kNoLink) return refuse(exact.link);
  for (size_t i = 1; i <= n; ++i) r.host /= HostName(names[i]);
  if (fs::exists(exact.status) || n == 0) {
    r.parentExists = true;
    r.status = exact.status;
    return r;
  }
  size_t i = 0;
  bool lastMissing = n == 1;  // whether the last name is known not to exist as spelled
  fs::path folder = config_.root / HostName(names[0]);
  if (n > 1) {
    sandbox::LinkFreeLookup::Result parent = noLinks_->Look(names, n);
    if (parent.link != sandbox::LinkFreeLookup::kNoLink) return refuse(parent.link);
    if (fs::is_directory(parent.status)) {
      folder = r.host.parent_path();
      i = n - 1;
      lastMissing = true;
    }
  }
  bool present = true;
  std::error_code ec;
  fs::file_status status;
  for (; i < n; ++i) {
    fs::path candidate = folder / HostName(names[i + 1]);
    if (present) {
      const bool last = i + 1 == n;
      status = last && lastMissing ? fs::file_status(fs::file_type::not_found)
                                   : fs::symlink_status(candidate, ec);
      if (fs::is_symlink(status)) return refuse(i + 1);
      // Any missing name may be stored in another spelling, as Windows names ignore case.
      if (!fs::exists(status)) {
        if (auto stored = folderNames_->Find(folder, FoldUtf8(names[i + 1]))) {
          candidate = *stored;
          status = fs::symlink_status(candidate, ec);
          if (fs::is_symlink(status)) return refuse(i + 1);
        }
      }
      if (!last) present = fs::is_directory(status);
    }
    folder = std::move(candidate);
  }
  r.host = std::move(folder);
  r.parentExists = present;
  r.status = present ? status : fs::file_status(fs::file_type::not_found);
  return r;
}

void SandboxPlatform::Fail(const char* what, const std::string& path, const Resolved& r) {
  if (r.error != PathError::Link) Fail(what, path, static_cast<int>(r.error));
  throw Error(std::string(what) + " " + path + ": " + Reason(kCannotAccess) + " (" + r.linked +
                  " is a link on the host; the sandbox does not follow links)",
              kCannotAccess, Reason(kCannotAccess));
}

void SandboxPlatform::Fail(const char* what, const std::string& path, int code) {
  throw Error(std::string(what) + " " + path + ": " + Reason(code), static_cast<uint32_t>(code),
              Reason(code));
}

std::optional<fs::path> SandboxPlatform::HostPath(const std::string& winPath) {
  Resolved r = Resolve(winPath);
  if (!r.ok()) return std::nullopt;
  return r.host;
}

std::string SandboxPlatform::ExecutablePath() {
  return config_.executablePath;
}
std::string SandboxPlatform::CurrentDirectory() {
  return StripTrailingBackslashes(config_.currentDirectory);
}
void SandboxPlatform::ProcessMessages() {}

bool SandboxPlatform::FileExists(const std::string& path) {
  return Resolve(path).isFile();
}
bool SandboxPlatform::DirectoryExists(const std::string& path) {
  return Resolve(path).isDir();
}

bool SandboxPlatform::CreateDirectory(const std::string& path) {
  faults_->Change();
  Resolved r = Resolve(path);
  if (!r.ok() || !r.parentExists || r.exists() || r.win.elements.empty()) return false;
  std::error_code ec;
  if (!fs::create_directory(r.host, ec)) return false;
  if (attributes_.erase(r.key)) attributesDirty_ = true;
  return true;
}

bool SandboxPlatform::ForceDirectories(const std::string& path) {
  Resolved r = Resolve(path);
  if (!r.ok()) return false;
  if (r.isDir()) return true;
  sandbox::WinPath prefix{r.win.drive, {}};
  for (const std::string& e : r.win.elements) {
    prefix.elements.push_back(e);
    std::string p = prefix.ToString();
    if (!DirectoryExists(p) && !CreateDirectory(p)) return false;
  }
  return true;
}

std::unique_ptr<InputStream> SandboxPlatform::OpenRead(const std::string& path) {
  Resolved r = Resolve(path);
  if (!r.ok()) Fail("cannot open file", path, r);
  if (r.isDir()) Fail("cannot open file", path, kAccessDenied);
  if (!r.isFile()) Fail("cannot open file", path, r.parentExists ? kFileNotFound : kPathNotFound);
  if (openFiles_->writing.count(r.key) || HeldRefuses(r.key))
    Fail("cannot open file", path, kSharingViolation);
  std::weak_ptr<OpenFiles> open = openFiles_;
  std::string key = r.key;
  std::unique_ptr<InputStream> in = sandbox::OpenHostInput(r.host, path, [open, key] {
    if (auto files = open.lock()) {
      if (--files->reading[key] <= 0) files->reading.erase(key);
    }
  });
  if (!in) Fail("cannot open file", path, kAccessDenied);
  ++openFiles_->reading[r.key];
  return in;
}

std::unique_ptr<OutputStream> SandboxPlatform::CreateFile(const std::string& path) {
  faults_->Change();
  Resolved r = Resolve(path);
  if (!r.ok()) Fail("cannot create file", path, r);
  if (!r.parentExists) Fail("cannot create file", path, kPathNotFound);
  if (r.exists() && !r.isFile()) Fail("cannot create file", path, kAccessDenied);
  if (r.win.elements.empty()) Fail("cannot create file", path, kAccessDenied);
  if (openFiles_->Busy(r.key) || (r.isFile() && HeldRefuses(r.key)))
    Fail("cannot create file", path, kSharingViolation);
  if (r.isFile() && (StoredAttributes(r) & kProtectedAttributes)) {
    Fail("cannot create file", path, kAccessDenied);
  }
  std::weak_ptr<OpenFiles> open = openFiles_;
  std::string key = r.key;
  auto out = sandbox::CreateHostOutput(r.host, path, [open, key] {
    if (auto files = open.lock()) files->writing.erase(key);
  });
  if (!out) Fail("cannot create file", path, kAccessDenied);
  openFiles_->writing.insert(r.key);
  if (attributes_.erase(r.key)) attributesDirty_ = true;
  return out;
}

std::unique_ptr<FileHold> SandboxPlatform::HoldFile(const std::string& path) {
  {
    Resolved r = Resolve(path);
    if (r.ok() && openFiles_->Busy(r.key)) return nullptr;
  }
  // Creating the file is a change (the fault hook sees it); letting go of it is the system's
  // delete-on-close, which a killed process gets too, so no fault refuses it.
  struct StreamHold : FileHold {
    std::unique_ptr<OutputStream> stream;
    std::filesystem::path host;
    ~StreamHold() override {
      stream.reset();
      std::error_code ec;
      std::filesystem::remove(host, ec);
    }
  };
  auto hold = std::make_unique<StreamHold>();
  hold->stream = CreateFile(path);
  hold->host = Resolve(path).host;
  return hold;
}

bool SandboxPlatform::DeleteFile(const std::string& path) {
  faults_->Change();
  Resolved r = Resolve(path);
  if (!r.isFile() || openFiles_->Busy(r.key) || HeldRefuses(r.key)) return false;
  if (StoredAttributes(r) & attr::ReadOnly) return false;
  std::error_code ec;
  if (!fs::remove(r.host, ec)) return false;
  if (attributes_.erase(r.key)) attributesDirty_ = true;
  return true;
}

void SandboxPlatform::HoldByOtherProgram(const std::string& path, std::optional<int> refusals) {
  held_[Resolve(path).key] = refusals;
}

void SandboxPlatform::ReleaseByOtherProgram(const std::string& path) {
  held_.erase(Resolve(path).key);
}

bool SandboxPlatform::HeldRefuses(const std::string& key) {
  auto it = held_.find(key);
  if (it == held_.end()) return false;
  if (it->second && --*it->second < 0) {
    held_.erase(it);  // the holder has let go
    return false;
  }
  ++heldRefusals_;
  return true;
}

bool SandboxPlatform::ReplaceFileAtRestart(const std::string& source, const std::string& target) {
  faults_->Change();
  if (!FileExists(source)) return false;
  pendingRenames_.push_back({source, target});
  return true;
}

bool SandboxPlatform::CancelReplaceAtRestart(const std::string& source) {
  faults_->Change();
  std::erase_if(pendingRenames_,
                [&](const PendingRename& p) { return FoldCase(p.source) == FoldCase(source); });
  return true;
}

bool SandboxPlatform::RemoveDirectory(const std::string& path) {
  faults_->Change();
  Resolved r = Resolve(path);
  if (!r.isDir() || r.win.elements.empty()) return false;  // drive roots stay
  if (StoredAttributes(r) & attr::ReadOnly) return false;
  std::error_code ec;
  if (!fs::is_empty(r.host, ec) || ec) return false;
  if (!fs::remove(r.host, ec)) return false;
  if (attributes_.erase(r.key)) attributesDirty_ = true;
  return true;
}

uint32_t SandboxPlatform::StoredAttributes(const Resolved& r) const {
  auto it = attributes_.find(r.key);
  if (r.isDir()) {
    // A host link to a folder stands for a Windows link or junction.
    std::error_code ec;
    const uint32_t link = fs::is_symlink(fs::symlink_status(r.host, ec)) ? attr::ReparsePoint : 0;
    return attr::Directory | link | (it == attributes_.end() ? 0 : it->second);
  }
  if (it == attributes_.end()) return attr::Archive;
  return it->second == 0 ? attr::Normal : it->second;
}

uint32_t SandboxPlatform::GetFileAttributes(const std::string& path) {
  Resolved r = Resolve(path);
  if (!r.exists()) return attr::Invalid;
  return StoredAttributes(r);
}

bool SandboxPlatform::SetFileAttributes(const std::string& path, uint32_t attributes) {
  faults_->Change();
  Resolved r = Resolve(path);
  if (!r.exists()) return false;
  // A file whose attributes read as those of a file without an entry keeps no entry, so that
  // setting a file's attributes back to what they were leaves the table as it was.
  const uint32_t kept = attributes & kSettableAttributes;
  if (!r.isDir() && kept == attr::Archive)
    attributes_.erase(r.key);
  else
    attributes_[r.key] = kept;
  attributesDirty_ = true;
  return true;
}

std::optional<int64_t> SandboxPlatform::GetFileWriteTime(const std::string& path) {
  Resolved r = Resolve(path);
  if (!r.exists()) return std::nullopt;
  std::error_code ec;
  fs::file_time_type t = fs::last_write_time(r.host, ec);
  if (ec) return std::nullopt;
  auto sys = std::chrono::file_clock::to_sys(t);
  auto ticks = std::chrono::duration_cast<std::chrono::duration<int64_t, std::ratio<1, 10000000>>>(
      sys.time_since_epoch());
  return ticks.count() + sandbox::kUnixEpochFileTime;
}

bool SandboxPlatform::SetFileWriteTime(const std::string& path, int64_t utcFileTime) {
  faults_->Change();
  Resolved r = Resolve(path);
  if (!r.exists()) return false;
  // The date of a file with other hard links is the date of every name it has, perhaps outside
  // the machine: it is not changed.
  if (sandbox::HasOtherLinks(r.host)) return false;
  return sandbox::SetHostWriteTime(r.host, utcFileTime);
}

std::optional<int64_t> SandboxPlatform::LocalFileTimeToUtc(int64_t localFileTime) {
  if (localFileTime < 0) return std::nullopt;
  int64_t utc = localFileTime - int64_t{config_.utcOffsetMinutes} * 60 * 10000000;
  if (utc < 0) return std::nullopt;
  return utc;
}

std::optional<int64_t> SandboxPlatform::LocalNow() {
  if (config_.localNow) return config_.localNow;
  constexpr int64_t kUnixEpochAsFileTime = 116444736000000000;  // 1970-01-01 in 100 ns units
  const auto sinceEpoch = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return kUnixEpochAsFileTime + sinceEpoch.count() * 10 +
         int64_t{config_.utcOffsetMinutes} * 60 * 10000000;
}

bool SandboxPlatform::CopyFileIfAbsent(const std::string& from, const std::string& to) {
  faults_->Change();
  Resolved src = Resolve(from);
  Resolved dst = Resolve(to);
  if (!src.isFile() || openFiles_->writing.count(src.key)) return false;
  if (!dst.ok() || !dst.parentExists || dst.exists() || dst.win.elements.empty()) return false;
  std::error_code ec;
  if (!fs::copy_file(src.host, dst.host, ec)) return false;
  fs::last_write_time(dst.host, fs::last_write_time(src.host, ec), ec);
  auto it = attributes_.find(src.key);
  if (it != attributes_.end()) {
    attributes_[dst.key] = it->second;
  } else if (attributes_.erase(dst.key) == 0) {
    return true;
  }
  attributesDirty_ = true;
  return true;
}

std::vector<std::string> SandboxPlatform::ListDirectory(const std::string& path) {
  Resolved r = Resolve(path);
  std::vector<std::string> names;
  if (!r.isDir()) return names;
  std::error_code ec;
  for (fs::directory_iterator it(r.host, ec), end; !ec && it != end; it.increment(ec)) {
    // Host names without a GBK form cannot be named by the setup and are left out.
    if (auto gbk = Utf8ToGbk(Utf8Of(it->path().filename()))) names.push_back(*gbk);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return FoldCase(a) < FoldCase(b); });
  return names;
}

int64_t SandboxPlatform::GetDiskFreeSpace(const std::string& root) {
  Resolved r = Resolve(root);
  if (!r.isDir()) return -1;
  return config_.drives.at(r.win.drive);
}

std::string SandboxPlatform::GetFixedDrives() {
  std::string letters;
  for (const auto& [letter, free] : config_.drives) letters += letter;
  return letters;
}

std::string SandboxPlatform::GetSpecialFolderPath(int csidl) {
  auto it = config_.specialFolders.find(csidl);
  if (it == config_.specialFolders.end() || it->second.empty()) return {};
  if (!DirectoryExists(it->second)) return {};
  return StripTrailingBackslashes(it->second);
}

std::string SandboxPlatform::GetTempPath() {
  return config_.tempPath;
}
std::string SandboxPlatform::GetWindowsDirectory() {
  return config_.windowsDir;
}
std::string SandboxPlatform::GetSystemDirectory() {
  return config_.systemDir;
}
std::optional<OsVersion> SandboxPlatform::GetVersion() {
  return config_.version;
}

std::unique_ptr<RegistryKey> SandboxPlatform::OpenKey(RegRoot root, const std::string& subKey,
                                                      bool create) {
  if (create && !KeyExists(root, subKey)) faults_->Change();
  auto key = registry_->Find(root, subKey, create);
  if (!key) return nullptr;
  return std::make_unique<SandboxKey>(registry_, key, faults_);
}

bool SandboxPlatform::KeyExists(RegRoot root, const std::string& subKey) {
  return registry_->Find(root, subKey, false) != nullptr;
}

bool SandboxPlatform::CreateKey(RegRoot root, const std::string& subKey) {
  faults_->Change();
  return registry_->Find(root, subKey, true) != nullptr;
}

bool SandboxPlatform::DeleteKey(RegRoot root, const std::string& subKey) {
  faults_->Change();
  if (subKey.find_first_not_of('\\') == std::string::npos) return false;  // roots stay
  auto key = registry_->Find(root, subKey, false);
  if (!key || !key->children.empty()) return false;
  registry_->DeleteKey(root, subKey);
  return true;
}

void SandboxPlatform::LogAction(const std::string& gbkLine) {
  RefuseLink(ActionsLogPath());
  if (sandbox::HasOtherLinks(ActionsLogPath())) {
    throw Error("sandbox: " + Utf8Of(ActionsLogPath()) +
                " has other hard links; the sandbox does not append through them");
  }
  std::ofstream log(ActionsLogPath(), std::ios::binary | std::ios::app);
  log << LogLine(gbkLine) << '\n';
}

void SandboxPlatform::MaybeApplyRegImport(const std::string& commandLine) {
  if (!config_.applyRegImports) return;
  auto [program, rest] = SplitCommand(commandLine);
  std::vector<std::string> parts = sandbox::SplitGbk(program, '\\');
  std::string base = FoldCase(parts.back());
  if (base != "regedit" && base != "regedit.exe") return;
  // Options come before the file name; the file name may be quoted.
  while (true) {
    auto [token, after] = SplitCommand(rest);
    if (token.empty()) return;
    if (token[0] == '/' || token[0] == '-') {
      rest = after;
      continue;
    }
    if (std::optional<std::string> bytes = ReadWholeFile(token)) {
      registry_->ApplyRegFile(*bytes);
    }
    return;
  }
}

bool SandboxPlatform::StartProgram(const std::string& commandLine, int showCommand) {
  return StartProcess(commandLine, showCommand) != nullptr;
}

std::unique_ptr<ChildProcess> SandboxPlatform::StartProcess(const std::string& commandLine,
                                                            int showCommand) {
  // Nothing runs: the "process" is over as soon as it has been logged.
  struct Ended : ChildProcess {
    bool Wait(uint32_t) override { return true; }
  };
  LogAction("StartProgram show=" + std::to_string(showCommand) + " cmd=" + commandLine);
  MaybeApplyRegImport(commandLine);
  return std::make_unique<Ended>();
}

bool SandboxPlatform::ShellExecute(const std::string& verb, const std::string& file,
                                   const std::string& params, const std::string& dir,
                                   int showCommand) {
  LogAction("ShellExecute verb=\"" + verb + "\" dir=\"" + dir +
            "\" show=" + std::to_string(showCommand) + " cmd=\"" + file + "\"" +
            (params.empty() ? "" : " " + params));
  return true;
}

bool SandboxPlatform::ShellExecuteAndWait(const std::string& file, const std::string& params,
                                          int showCommand, const std::function<void()>& pump,
                                          const std::function<bool()>& stop) {
  LogAction("ShellExecuteAndWait show=" + std::to_string(showCommand) + " cmd=\"" + file + "\"" +
            (params.empty() ? "" : " " + params));
  return true;  // the program "ends" at once
}

bool SandboxPlatform::CreateShellLink(const std::string& linkPath, const ShellLinkInfo& link) {
  Resolved target = Resolve(link.target);
  LnkTargetData data;
  if (target.exists()) {
    data.attributes = StoredAttributes(target);
    std::error_code ec;
    if (target.isFile()) {
      auto size = fs::file_size(target.host, ec);
      data.size = ec ? 0 : static_cast<uint32_t>(std::min<uintmax_t>(size, UINT32_MAX));
    }
    data.writeTime = GetFileWriteTime(link.target).value_or(0);
  }
  try {
    std::string bytes = BuildShellLink(link, data);
    std::unique_ptr<OutputStream> out = CreateFile(linkPath);
    out->Write(bytes.data(), bytes.size());
    out->Close();
    return true;
  } catch (const Error&) {
    return false;
  }
}

std::optional<ShellLinkInfo> SandboxPlatform::ReadShellLink(const std::string& linkPath) {
  std::optional<std::string> bytes = ReadWholeFile(linkPath);
  if (!bytes) return std::nullopt;
  try {
    return ParseShellLink(*bytes);
  } catch (const Error&) {
    return std::nullopt;
  }
}

int SandboxPlatform::InvokeShellVerbs(const std::string& path, const std::string& verbText) {
  LogAction("InvokeShellVerbs verb=\"" + verbText + "\" path=\"" + path + "\"");
  return FileExists(path) ? 1 : 0;
}

std::optional<std::string> SandboxPlatform::ReadWholeFile(const std::string& path) {
  Resolved r = Resolve(path);
  if (!r.isFile() || openFiles_->writing.count(r.key)) return std::nullopt;
  return ReadHostFile(r.host);
}

std::vector<std::string> SandboxPlatform::IniSectionKeys(const std::string& iniPath,
                                                         const std::string& section) {
  std::optional<std::string> text = ReadWholeFile(iniPath);
  return text ? sandbox::IniKeys(*text, section) : std::vector<std::string>{};
}

std::vector<std::pair<std::string, std::string>> SandboxPlatform::IniSectionValues(
    const std::string& iniPath, const std::string& section) {
  std::optional<std::string> text = ReadWholeFile(iniPath);
  return text ? sandbox::IniSection(*text, section)
              : std::vector<std::pair<std::string, std::string>>{};
}

std::string SandboxPlatform::IniReadString(const std::string& iniPath, const std::string& section,
                                           const std::string& key, const std::string& def) {
  std::optional<std::string> text = ReadWholeFile(iniPath);
  if (text) {
    if (std::optional<std::string> v = sandbox::IniValue(*text, section, key)) return *v;
  }
  std::string d = def;  // the default loses its trailing blanks, as with the profile calls
  while (!d.empty() && d.back() == ' ') d.pop_back();
  return d;
}

bool SandboxPlatform::RandomBytes(void* buffer, size_t n) {
  std::random_device device;
  auto* out = static_cast<unsigned char*>(buffer);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(device());
  return true;
}

bool SandboxPlatform::EnableShutdownPrivilege() {
  return true;
}

bool SandboxPlatform::RequestReboot() {
  LogAction("RequestReboot");
  return true;
}

}  // namespace sk
