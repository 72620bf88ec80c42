#include "platform/sandbox/LinkFreeLookup.h"

#ifdef __linux__
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace fs = std::filesystem;

namespace sk::sandbox {

namespace {

fs::path HostName(const std::string& utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

#ifdef __linux__
fs::file_type TypeOf(mode_t mode) {
  if (S_ISREG(mode)) return fs::file_type::regular;
  if (S_ISDIR(mode)) return fs::file_type::directory;
  if (S_ISLNK(mode)) return fs::file_type::symlink;
  return fs::file_type::unknown;
}
#endif

}  // namespace

LinkFreeLookup::Result LinkFreeLookup::Walk(const std::vector<std::string>& elements,
                                            size_t count) const {
  Result r;
  fs::path p = root_;
  for (size_t i = 0; i < count; ++i) {
    p /= HostName(elements[i]);
    std::error_code ec;
    fs::file_status s = fs::symlink_status(p, ec);
    if (fs::is_symlink(s)) {
      r.link = i;
      r.status = fs::file_status(fs::file_type::not_found);
      return r;
    }
    if (!fs::exists(s) || (i + 1 < count && !fs::is_directory(s))) {
      r.status = fs::file_status(fs::file_type::not_found);
      return r;
    }
    r.status = s;
  }
  if (count == 0) r.status = fs::status(root_);
  return r;
}

#ifdef __linux__

LinkFreeLookup::LinkFreeLookup(const fs::path& root)
    : root_(root), rootFd_(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}

LinkFreeLookup::~LinkFreeLookup() {
  if (rootFd_ >= 0) ::close(rootFd_);
}

LinkFreeLookup::Result LinkFreeLookup::Look(const std::vector<std::string>& elements,
                                            size_t count) {
  if (rootFd_ < 0 || count == 0) return Walk(elements, count);
  std::string rel;
  for (size_t i = 0; i < count; ++i) {
    if (i) rel += '/';
    rel += elements[i];
  }
  open_how how{};
  how.flags = O_PATH | O_NOFOLLOW | O_CLOEXEC;
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
  const long fd = ::syscall(SYS_openat2, rootFd_, rel.c_str(), &how, sizeof how);
  Result r;
  if (fd >= 0) {
    struct stat st {};
    const bool ok = ::fstat(static_cast<int>(fd), &st) == 0;
    ::close(static_cast<int>(fd));
    if (ok && !S_ISLNK(st.st_mode)) {
      r.status = fs::file_status(TypeOf(st.st_mode));
      return r;
    }
    return Walk(elements, count);  // the last element is a link: the walk says which
  }
  switch (errno) {
    case ENOENT:
    case ENOTDIR:
      r.status = fs::file_status(fs::file_type::not_found);
      return r;
    case ENOSYS:
    case EPERM:
    case EINVAL:
    case E2BIG:
      ::close(rootFd_);  // the call is not available here: check element by element from now
      rootFd_ = -1;
      return Walk(elements, count);
    default:  // ELOOP (a link on the way), EXDEV, EACCES, ...: the walk tells what it is
      return Walk(elements, count);
  }
}

#else

LinkFreeLookup::LinkFreeLookup(const fs::path& root) : root_(root) {}
LinkFreeLookup::~LinkFreeLookup() = default;
LinkFreeLookup::Result LinkFreeLookup::Look(const std::vector<std::string>& elements,
                                            size_t count) {
  return Walk(elements, count);
}

#endif

}  // namespace sk::sandbox
