#include "tools/setupkit/HostFiles.h"

#include <cerrno>
#include <cstring>

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

std::FILE* OpenFile(const fs::path& path, bool write) {
#ifdef _WIN32
  return _wfopen(path.c_str(), write ? L"wb" : L"rb");
#else
  return std::fopen(path.c_str(), write ? "wb" : "rb");
#endif
}

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

[[noreturn]] void Fail(const std::string& name, const std::string& what) {
  throw Error(name + ": " + what + " (" + std::strerror(errno) + ")");
}

}  // namespace

HostInputStream::HostInputStream(const fs::path& path) : name_(MessagePath(path)) {
  errno = 0;
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw Error(name_ + ": is a folder, not a file");
  file_.reset(OpenFile(path, false));
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

HostOutputStream::HostOutputStream(const fs::path& path) : name_(MessagePath(path)) {
  errno = 0;
  file_.reset(OpenFile(path, true));
  if (!file_) Fail(name_, "cannot create");
}

void HostOutputStream::Write(const void* data, size_t n) {
  if (!file_) throw Error(name_ + ": write after close");
  if (n != 0 && std::fwrite(data, 1, n, file_.get()) != n) Fail(name_, "write error");
  written_ += static_cast<int64_t>(n);
}

void HostOutputStream::Close() {
  if (!file_) return;
  std::FILE* f = file_.release();
  bool bad = std::fflush(f) != 0 || std::ferror(f);
  if (std::fclose(f) != 0 || bad) Fail(name_, "cannot write");
}

}  // namespace sk::cli
