#include "platform/sandbox/FolderNames.h"

#include <algorithm>

#ifdef __linux__
#include <limits.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace fs = std::filesystem;

namespace sk::sandbox {

namespace {

std::string Utf8Of(const fs::path& p) {
  std::u8string s = p.u8string();
  return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

fs::path HostName(const std::string& utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

void AddName(std::map<std::string, std::vector<std::string>>& names, const std::string& name) {
  std::vector<std::string>& same = names[FoldUtf8(name)];
  if (std::find(same.begin(), same.end(), name) == same.end()) same.push_back(name);
}

}  // namespace

std::string FoldUtf8(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return s;
}

FolderNames::Listing FolderNames::Scan(const fs::path& folder) {
  ++scans_;
  Listing names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    AddName(names, Utf8Of(it->path().filename()));
  }
  return names;
}

#ifdef __linux__

namespace {

void RemoveName(std::map<std::string, std::vector<std::string>>& names, const std::string& name) {
  auto it = names.find(FoldUtf8(name));
  if (it == names.end()) return;
  std::erase(it->second, name);
  if (it->second.empty()) names.erase(it);
}

constexpr uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool Identity(const fs::path& folder, uint64_t& dev, uint64_t& ino) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  dev = st.st_dev;
  ino = st.st_ino;
  return true;
}

}  // namespace

FolderNames::FolderNames() : notify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderNames::~FolderNames() {
  if (notify_ >= 0) ::close(notify_);
}

void FolderNames::Reset() {
  if (notify_ >= 0) ::close(notify_);
  folders_.clear();
  byWatch_.clear();
  notify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
}

void FolderNames::Drop(int watch, bool unwatch) {
  auto it = byWatch_.find(watch);
  if (it == byWatch_.end()) return;
  folders_.erase(it->second);
  byWatch_.erase(it);
  if (unwatch) ::inotify_rm_watch(notify_, watch);  // its IN_IGNORED then names no folder
}

void FolderNames::Apply() {
  alignas(inotify_event) char buffer[16384];
  while (notify_ >= 0) {
    ssize_t got = ::read(notify_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;  // EAGAIN: nothing more queued
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      if (e->mask & IN_Q_OVERFLOW) {
        Reset();  // changes were lost: start over
        return;
      }
      if (e->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
        Drop(e->wd, (e->mask & IN_MOVE_SELF) != 0);
        continue;
      }
      auto it = byWatch_.find(e->wd);
      if (it == byWatch_.end() || e->len == 0) continue;
      Listing& names = folders_[it->second].names;
      const std::string name(e->name);  // the kernel pads the name with zero bytes
      if (e->mask & (IN_CREATE | IN_MOVED_TO)) AddName(names, name);
      if (e->mask & (IN_DELETE | IN_MOVED_FROM)) RemoveName(names, name);
    }
    // Events are queued by the call that causes them, so a read that left room for one more
    // event has taken every change made so far: no need to ask again.
    if (static_cast<size_t>(got) + sizeof(inotify_event) + NAME_MAX + 1 <= sizeof buffer) return;
  }
}

std::optional<fs::path> FolderNames::Find(const fs::path& folder, const std::string& foldedName) {
  const Listing* names = nullptr;
  Listing scanned;
  if (notify_ >= 0) {
    Apply();
    uint64_t dev = 0;
    uint64_t ino = 0;
    const bool isDir = Identity(folder, dev, ino);
    auto it = folders_.find(folder.native());
    if (it != folders_.end() && (!isDir || it->second.dev != dev || it->second.ino != ino)) {
      Drop(it->second.watch, true);  // the path now names another folder, or none
      it = folders_.end();
    }
    if (it == folders_.end() && isDir) {
      // Watch first, then list: a change made in between is applied twice, which is harmless.
      const int watch = ::inotify_add_watch(notify_, folder.c_str(), kWatchMask);
      if (watch >= 0 && !byWatch_.count(watch)) {
        it = folders_.emplace(folder.native(), Folder{watch, dev, ino, Scan(folder)}).first;
        byWatch_.emplace(watch, folder.native());
      }
    }
    if (it != folders_.end()) names = &it->second.names;
  }
  if (!names) {
    scanned = Scan(folder);
    names = &scanned;
  }
  auto found = names->find(foldedName);
  if (found == names->end() || found->second.empty()) return std::nullopt;
  return folder / HostName(found->second.front());
}

#else

FolderNames::FolderNames() = default;
FolderNames::~FolderNames() = default;
void FolderNames::Reset() {}
void FolderNames::Drop(int, bool) {}
void FolderNames::Apply() {}

std::optional<fs::path> FolderNames::Find(const fs::path& folder, const std::string& foldedName) {
  Listing names = Scan(folder);
  auto found = names.find(foldedName);
  if (found == names.end() || found->second.empty()) return std::nullopt;
  return folder / HostName(found->second.front());
}

#endif

}  // namespace sk::sandbox
