// A read-only stream over bytes already in memory, so that in-memory data (a payload handed to
// the package writer, an uninstall log read whole, test packages) goes through the same readers
// as files.
//
// The stream does not copy the bytes: the caller keeps them alive and unchanged while the stream
// is used. Seeking outside the data throws sk::Error; reads past the end return 0.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/Error.h"
#include "platform/Platform.h"

namespace sk {

class MemoryInputStream : public InputStream {
 public:
  explicit MemoryInputStream(std::string_view data) : data_(data) {}
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  int64_t Position() override { return static_cast<int64_t>(pos_); }
  void Seek(int64_t absolute) override {
    if (absolute < 0 || absolute > Size())
      throw Error("seek to " + std::to_string(absolute) + " outside " + std::to_string(Size()) +
                  " bytes");
    pos_ = static_cast<size_t>(absolute);
  }
  size_t Read(void* buffer, size_t n) override {
    const size_t take = n < data_.size() - pos_ ? n : data_.size() - pos_;
    if (take) std::memcpy(buffer, data_.data() + pos_, take);
    pos_ += take;
    return take;
  }

 private:
  std::string_view data_;
  size_t pos_ = 0;
};

}  // namespace sk
