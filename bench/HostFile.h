// A host file opened with stdio, readable and writable through the package streams: the
// plain baseline that the benchmarks compare the library's own file access with.
#pragma once

#include <cstdio>
#include <filesystem>

#include "platform/Platform.h"

namespace sk::bench {

// A host file opened with stdio, as the extraction baseline writes it.
class HostFile : public sk::OutputStream, public sk::InputStream {
 public:
  HostFile(const std::filesystem::path& path, const char* mode)
      : f_(std::fopen(path.c_str(), mode)) {
    if (!f_) throw sk::Error(path.string() + ": cannot open");
  }
  ~HostFile() override {
    if (f_) std::fclose(f_);
  }
  void Write(const void* data, size_t n) override {
    if (std::fwrite(data, 1, n, f_) != n) throw sk::Error("write failed");
  }
  void Close() override {
    std::fclose(f_);
    f_ = nullptr;
  }
  int64_t Size() override {
    const auto here = ftello(f_);
    fseeko(f_, 0, SEEK_END);
    const auto size = ftello(f_);
    fseeko(f_, here, SEEK_SET);
    return size;
  }
  int64_t Position() override { return ftello(f_); }
  void Seek(int64_t at) override { fseeko(f_, at, SEEK_SET); }
  size_t Read(void* buffer, size_t n) override { return std::fread(buffer, 1, n, f_); }

 private:
  FILE* f_;
};

}  // namespace sk::bench
