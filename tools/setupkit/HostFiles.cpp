#include "tools/setupkit/HostFiles.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/Encoding.h"

namespace sk::cli {

namespace fs = std::filesystem;

fs::path HostPath(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string HostPathText(const fs::path& p) {
  std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

std::string MessagePath(const fs::path& p) {
  std::string utf8 = HostPathText(p);
  if (auto gbk = Utf8ToGbk(utf8)) return *gbk;
  std::string ascii;
  for (unsigned char c : utf8) ascii += c < 0x80 ? static_cast<char>(c) : '?';
  return ascii;
}

namespace {

[[noreturn]] void Fail(const std::string& name, const std::string& what) {
  throw Error(name + ": " + what + " (" + std::strerror(errno) + ")");
}

#ifdef _WIN32

std::FILE* OpenForReading(const fs::path& path, const std::string& name) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw Error(name + ": is a folder, not a file");
  return _wfopen(path.c_str(), L"rb");
}

std::FILE* OpenForWriting(const fs::path& path, HostOutputStream::Mode mode) {
  std::error_code ec;
  if (mode == HostOutputStream::Mode::New && fs::exists(fs::symlink_status(path, ec))) {
    errno = EEXIST;
    return nullptr;
  }
  return _wfopen(path.c_str(), L"wb");
}

#else

// Opens without waiting (a FIFO without a writer would block the open itself), then reads
// only a regular file: a FIFO, socket or device could block any read or never end.
std::FILE* OpenForReading(const fs::path& path, const std::string& name) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool folder = S_ISDIR(st.st_mode);
    ::close(fd);
    throw Error(name + (folder ? ": is a folder, not a file"
                               : ": is not a regular file (a FIFO, socket or device)"));
  }
  const int flags = ::fcntl(fd, F_GETFL);
  std::FILE* f =
      flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? nullptr : ::fdopen(fd, "rb");
  if (!f) ::close(fd);
  return f;
}

std::FILE* OpenForWriting(const fs::path& path, HostOutputStream::Mode mode) {
  if (mode == HostOutputStream::Mode::Replace) return std::fopen(path.c_str(), "wb");
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, "wb");
  if (!f) ::close(fd);
  return f;
}

#endif

int SeekTo(std::FILE* f, int64_t pos, int whence) {
#ifdef _WIN32
  return _fseeki64(f, pos, whence);
#else
  return fseeko(f, static_cast<off_t>(pos), whence);
#endif
}

int64_t Tell(std::FILE* f) {
#ifdef _WIN32
  return _ftelli64(f);
#else
  return static_cast<int64_t>(ftello(f));
#endif
}

}  // namespace

HostInputStream::HostInputStream(const fs::path& path) : name_(MessagePath(path)) {
  errno = 0;
  file_.reset(OpenForReading(path, name_));
  if (!file_) Fail(name_, "cannot open");
  if (SeekTo(file_.get(), 0, SEEK_END) != 0) Fail(name_, "cannot seek");
  size_ = Tell(file_.get());
  if (size_ < 0 || SeekTo(file_.get(), 0, SEEK_SET) != 0) Fail(name_, "cannot seek");
}

int64_t HostInputStream::Position() {
  return Tell(file_.get());
}

void HostInputStream::Seek(int64_t absolute) {
  if (absolute < 0 || absolute > size_)
    throw Error(name_ + ": seek to offset " + std::to_string(absolute) +
                " outside the file (size " + std::to_string(size_) + ")");
  if (SeekTo(file_.get(), absolute, SEEK_SET) != 0) Fail(name_, "cannot seek");
}

size_t HostInputStream::Read(void* buffer, size_t n) {
  size_t got = std::fread(buffer, 1, n, file_.get());
  if (got < n && std::ferror(file_.get())) Fail(name_, "read error");
  return got;
}

HostOutputStream::HostOutputStream(const fs::path& path, Mode mode) : name_(MessagePath(path)) {
  errno = 0;
  file_.reset(OpenForWriting(path, mode));
  if (!file_) Fail(name_, "cannot create");
}

void HostOutputStream::Write(const void* data, size_t n) {
  if (!file_) throw Error(name_ + ": write after close");
  if (n != 0 && std::fwrite(data, 1, n, file_.get()) != n) Fail(name_, "write error");
  written_ += static_cast<int64_t>(n);
}

void HostOutputStream::Flush() {
  if (!file_) throw Error(name_ + ": write after close");
  if (std::fflush(file_.get()) != 0) Fail(name_, "write error");
}

void HostOutputStream::Close() {
  if (!file_) return;
  std::FILE* f = file_.release();
  bool bad = std::fflush(f) != 0 || std::ferror(f);
  if (std::fclose(f) != 0 || bad) Fail(name_, "cannot write");
}

}  // namespace sk::cli
