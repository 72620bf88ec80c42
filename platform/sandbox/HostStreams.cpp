#include "platform/sandbox/HostStreams.h"

#include <chrono>
#include <fstream>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>

namespace sk::sandbox {

namespace {

class HostInput : public InputStream {
 public:
  HostInput(std::ifstream in, std::string winPath, int64_t size, std::function<void()> onClose)
      : in_(std::move(in)), path_(std::move(winPath)), size_(size), onClose_(std::move(onClose)) {}
  ~HostInput() override {
    if (onClose_) onClose_();
  }

  int64_t Size() override { return size_; }
  int64_t Position() override { return pos_; }
  void Seek(int64_t absolute) override {
    if (absolute < 0) {
      throw Error("cannot seek in file " + path_ + " to offset " + std::to_string(absolute));
    }
    pos_ = absolute;
  }
  size_t Read(void* buffer, size_t n) override {
    if (n == 0 || pos_ >= size_) return 0;
    if (streamPos_ != pos_) {
      // A seek drops the stream's buffer: only seek when the position moved.
      in_.clear();
      in_.seekg(pos_);
    }
    in_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(n));
    std::streamsize got = in_.gcount();
    if (in_.bad() || (got == 0 && pos_ < size_)) {
      streamPos_ = -1;
      throw Error("cannot read file " + path_ + " at offset " + std::to_string(pos_));
    }
    pos_ += got;
    streamPos_ = in_ ? pos_ : -1;  // after a short read the stream needs clearing
    return static_cast<size_t>(got);
  }

 private:
  std::ifstream in_;
  std::string path_;
  int64_t size_;
  int64_t pos_ = 0;
  int64_t streamPos_ = -1;  // where the stream stands, -1 when unknown
  std::function<void()> onClose_;
};

class HostOutput : public OutputStream {
 public:
  HostOutput(std::ofstream out, std::filesystem::path host, std::string winPath,
             std::function<void()> onClose)
      : out_(std::move(out)),
        host_(std::move(host)),
        path_(std::move(winPath)),
        onClose_(std::move(onClose)) {}
  ~HostOutput() override {
    if (out_.is_open()) out_.close();
    Release();
  }

  void Write(const void* data, size_t n) override {
    if (!out_.is_open()) throw Error("cannot write file " + path_ + ": the file is closed");
    out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
    if (!out_) throw Error("cannot write file " + path_ + ": write failed");
  }
  void Flush() override {
    if (!out_.is_open()) throw Error("cannot write file " + path_ + ": the file is closed");
    if (!out_.flush()) throw Error("cannot write file " + path_ + ": write failed");
  }
  bool SetWriteTimeOnClose(int64_t utcFileTime) override {
    if (utcFileTime < 0) return false;
    closeTime_ = utcFileTime;
    return true;
  }
  void Close() override {
    if (!out_.is_open()) return;
    out_.close();
    Release();
    if (out_.fail()) throw Error("cannot write file " + path_ + ": close failed");
    if (closeTime_) SetHostWriteTime(host_, *closeTime_);
  }

 private:
  void Release() {
    if (onClose_) std::exchange(onClose_, nullptr)();
  }
  std::ofstream out_;
  std::filesystem::path host_;
  std::string path_;
  std::function<void()> onClose_;
  std::optional<int64_t> closeTime_;
};

}  // namespace

std::unique_ptr<InputStream> OpenHostInput(const std::filesystem::path& host,
                                           const std::string& winPath,
                                           std::function<void()> onClose) {
  std::error_code ec;
  auto size = std::filesystem::file_size(host, ec);
  if (ec) return nullptr;
  std::ifstream in(host, std::ios::binary);
  if (!in) return nullptr;
  return std::make_unique<HostInput>(std::move(in), winPath, static_cast<int64_t>(size),
                                     std::move(onClose));
}

bool HasOtherLinks(const std::filesystem::path& host) {
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(host, ec);
  return !ec && std::filesystem::is_regular_file(status) &&
         std::filesystem::hard_link_count(host, ec) > 1 && !ec;
}

std::unique_ptr<OutputStream> CreateHostOutput(const std::filesystem::path& host,
                                               const std::string& winPath,
                                               std::function<void()> onClose) {
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(host, ec);
  // Only a regular file is replaced: opening a FIFO would wait for a reader.
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return nullptr;
  // A file with other hard links shares its data with a name that may lie outside the machine:
  // the name gets a new file instead of having the shared one truncated and written through.
  if (HasOtherLinks(host) && !std::filesystem::remove(host, ec)) return nullptr;
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  if (!out) return nullptr;
  return std::make_unique<HostOutput>(std::move(out), host, winPath, std::move(onClose));
}

bool SetHostWriteTime(const std::filesystem::path& host, int64_t utcFileTime) {
  if (utcFileTime < 0) return false;
  using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;
  // The host clocks count nanoseconds in 64 bits, the file clock from an epoch of its own: they
  // hold about the years 1882 to 2261. A time outside 1900 to 2261 is refused rather than
  // overflowing in the conversion.
  static_assert(std::is_same_v<std::chrono::system_clock::period, std::nano>);
  constexpr int64_t kLatest = std::numeric_limits<int64_t>::max() / 100;
  constexpr int64_t kEarliest = -2208988800LL * 10000000;  // 1900-01-01, in 100 ns from 1970
  const int64_t ticks = utcFileTime - kUnixEpochFileTime;
  if (ticks > kLatest || ticks < kEarliest) return false;
  std::chrono::sys_time<Ticks> sys{Ticks{ticks}};
  std::error_code ec;
  std::filesystem::last_write_time(
      host,
      std::chrono::file_clock::from_sys(
          std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys)),
      ec);
  return !ec;
}

}  // namespace sk::sandbox
