#include "platform/win32/Win32Streams.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WinText.h"

namespace sk::win32 {
namespace {

constexpr size_t kReadBuffer = 64 * 1024;
// Small writes are gathered up to this size; larger ones go straight to the file. An install
// writes 256 KiB blocks, so a file costs no buffer of its own and no copy.
constexpr size_t kWriteBuffer = 64 * 1024;
constexpr DWORD kMaxChunk = 64u * 1024 * 1024;  // one ReadFile/WriteFile call at most

[[noreturn]] void Fail(const char* what, const std::string& path, DWORD code) {
  const std::string reason = SystemReason(code);
  throw Error(std::string(what) + " " + path + ": " + reason, code, reason);
}

class FileInputStream : public InputStream {
 public:
  FileInputStream(FileHandle h, std::string path) : h_(std::move(h)), path_(std::move(path)) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h_.get(), &size)) Fail("cannot read file", path_, GetLastError());
    size_ = size.QuadPart;
    buffer_.resize(kReadBuffer);
  }

  int64_t Size() override { return size_; }
  int64_t Position() override { return pos_; }

  void Seek(int64_t absolute) override {
    if (absolute < 0 || absolute > size_)
      throw Error("cannot seek in file " + path_ + " to offset " + std::to_string(absolute) +
                  ": beyond the end of its " + std::to_string(size_) + " bytes");
    // Stay inside the buffered window when possible.
    if (absolute >= bufStart_ && absolute <= bufStart_ + static_cast<int64_t>(bufLen_)) {
      bufPos_ = static_cast<size_t>(absolute - bufStart_);
    } else {
      bufStart_ = absolute;
      bufLen_ = bufPos_ = 0;
    }
    pos_ = absolute;
  }

  size_t Read(void* buffer, size_t n) override {
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < n) {
      if (bufPos_ < bufLen_) {
        size_t take = std::min(n - done, bufLen_ - bufPos_);
        std::memcpy(out + done, buffer_.data() + bufPos_, take);
        bufPos_ += take;
        done += take;
        pos_ += static_cast<int64_t>(take);
        continue;
      }
      if (n - done >= buffer_.size()) {  // large read: straight into the caller's memory
        size_t want = n - done;
        size_t got = RawRead(pos_, out + done, want);
        done += got;
        pos_ += static_cast<int64_t>(got);
        bufStart_ = pos_;
        bufLen_ = bufPos_ = 0;
        if (got < want) break;  // end of the file
        continue;
      }
      bufStart_ = pos_;
      bufPos_ = 0;
      bufLen_ = RawRead(pos_, buffer_.data(), buffer_.size());
      if (bufLen_ == 0) break;
    }
    return done;
  }

 private:
  // Reads up to n bytes at offset; fewer only at the end of the file.
  size_t RawRead(int64_t offset, char* out, size_t n) {
    LARGE_INTEGER li;
    li.QuadPart = offset;
    if (!SetFilePointerEx(h_.get(), li, nullptr, FILE_BEGIN))
      Fail("cannot read file", path_, GetLastError());
    size_t done = 0;
    while (done < n) {
      DWORD want = static_cast<DWORD>(std::min<size_t>(n - done, kMaxChunk));
      DWORD got = 0;
      if (!ReadFile(h_.get(), out + done, want, &got, nullptr))
        Fail("cannot read file", path_, GetLastError());
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  FileHandle h_;
  std::string path_;
  int64_t size_ = 0;
  int64_t pos_ = 0;
  std::vector<char> buffer_;
  int64_t bufStart_ = 0;  // file offset of buffer_[0]
  size_t bufLen_ = 0;
  size_t bufPos_ = 0;
};

class FileOutputStream : public OutputStream {
 public:
  FileOutputStream(FileHandle h, std::string path) : h_(std::move(h)), path_(std::move(path)) {}
  ~FileOutputStream() override {
    try {
      Close();
    } catch (const Error&) {
      // The destructor closes silently; Close() reports failures to callers that ask.
    }
  }

  void Write(const void* data, size_t n) override {
    if (!h_) throw Error("cannot write file " + path_ + ": the file is closed");
    const char* p = static_cast<const char*>(data);
    if (buffer_.size() + n > kWriteBuffer) Flush();
    if (n >= kWriteBuffer) {
      RawWrite(p, n);
    } else {
      if (buffer_.capacity() == 0) buffer_.reserve(kWriteBuffer);
      buffer_.insert(buffer_.end(), p, p + n);
    }
  }

  bool SetWriteTimeOnClose(int64_t utcFileTime) override {
    if (utcFileTime < 0) return false;
    closeTime_ = utcFileTime;
    return true;
  }

  void Flush() override {
    if (buffer_.empty()) return;
    RawWrite(buffer_.data(), buffer_.size());
    buffer_.clear();
  }

  void Close() override {
    if (!h_) return;
    try {
      Flush();
    } catch (...) {
      h_.reset();
      throw;
    }
    if (closeTime_) {
      // After the last write, so that nothing moves the time again; a failure leaves the
      // file's own time, as setting it by path would.
      FILETIME ft;
      ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(*closeTime_));
      ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(*closeTime_) >> 32);
      SetFileTime(h_.get(), nullptr, nullptr, &ft);
    }
    HANDLE h = h_.release();  // closed here so that the result is seen
    if (!CloseHandle(h)) Fail("cannot write file", path_, GetLastError());
  }

 private:
  void RawWrite(const char* p, size_t n) {
    while (n > 0) {
      DWORD want = static_cast<DWORD>(std::min<size_t>(n, kMaxChunk));
      DWORD wrote = 0;
      if (!WriteFile(h_.get(), p, want, &wrote, nullptr))
        Fail("cannot write file", path_, GetLastError());
      if (wrote == 0) Fail("cannot write file", path_, ERROR_WRITE_FAULT);
      p += wrote;
      n -= wrote;
    }
  }

  FileHandle h_;
  std::string path_;
  std::vector<char> buffer_;
  std::optional<int64_t> closeTime_;
};

}  // namespace

std::unique_ptr<InputStream> OpenFileForRead(const std::string& path) {
  FileHandle h(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) Fail("cannot open file", path, GetLastError());
  return std::make_unique<FileInputStream>(std::move(h), path);
}

std::unique_ptr<OutputStream> CreateFileForWrite(const std::string& path) {
  FileHandle h(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) Fail("cannot create file", path, GetLastError());
  return std::make_unique<FileOutputStream>(std::move(h), path);
}

namespace {
class HandleHold : public FileHold {
 public:
  explicit HandleHold(FileHandle h) : h_(std::move(h)) {}

 private:
  FileHandle h_;  // opened with delete-on-close: closing it (or the process ending) deletes it
};
}  // namespace

std::unique_ptr<FileHold> HoldFileOpen(const std::string& path) {
  FileHandle h(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE,
                           nullptr));
  if (!h) {
    const DWORD code = GetLastError();
    if (code == ERROR_SHARING_VIOLATION) return nullptr;
    Fail("cannot create file", path, code);
  }
  return std::make_unique<HandleHold>(std::move(h));
}

}  // namespace sk::win32
