// Host file access for the CLI: UTF-8 path texts to std::filesystem paths and back, and
// sk::InputStream / sk::OutputStream over host files (std::FILE, 64-bit offsets).
//
// Paths: every path text the CLI handles is UTF-8 (manifests, command lines, JSON). On Windows
// the conversion goes through UTF-16, so names outside the ANSI code page still open.
// Errors: opening, reading, seeking and writing throw sk::Error whose message names the file
// and the reason (GBK, as every sk::Error; ASCII file names pass through unchanged).
// Only regular files are read: a FIFO, socket or device is refused when opened (the open
// itself never waits for a writer), so no command can hang on such a name.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace sk::cli {

std::filesystem::path HostPath(const std::string& utf8);
std::string HostPathText(const std::filesystem::path& p);  // UTF-8, generic separators kept

// Owns one std::FILE*; closes it when destroyed.
struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

class HostInputStream : public InputStream {
 public:
  explicit HostInputStream(const std::filesystem::path& path);
  int64_t Size() override { return size_; }
  int64_t Position() override;
  void Seek(int64_t absolute) override;
  size_t Read(void* buffer, size_t n) override;

 private:
  std::string name_;  // for messages (GBK where convertible)
  FilePtr file_;
  int64_t size_ = 0;
};

class HostOutputStream : public OutputStream {
 public:
  // Replace truncates (or creates) the file at path; New creates a file that must not exist
  // yet, never through a link (see ReplacingFile).
  enum class Mode { Replace, New };
  explicit HostOutputStream(const std::filesystem::path& path, Mode mode = Mode::Replace);
  ~HostOutputStream() override = default;
  void Write(const void* data, size_t n) override;
  void Flush() override;
  void Close() override;
  int64_t Written() const { return written_; }

 private:
  std::string name_;
  FilePtr file_;
  int64_t written_ = 0;
};

// A GBK text naming a host path inside an error message (lossy characters become '?').
std::string MessagePath(const std::filesystem::path& p);

}  // namespace sk::cli
