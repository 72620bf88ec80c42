// Shared by the libFuzzer targets: the input as a byte string, and the rule every target
// checks — a reader of untrusted bytes either succeeds or throws sk::Error. Any other
// exception escapes LLVMFuzzerTestOneInput and libFuzzer reports it as a crash, as it does
// sanitizer reports, hangs and runaway memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Error.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace sk::fuzz {

#ifndef _WIN32
// The portable text conversions open an iconv converter for each call. glibc unloads its GBK
// and UTF-16 modules when their last converter closes and loads them again at the next open,
// which cost the registry targets much of their time in dlopen and dlclose. A converter held
// open for the life of the process keeps both modules loaded; the code under test is unchanged.
inline const iconv_t kHeldGbkConverter = iconv_open("UTF-16LE", "GBK");
#endif

inline std::string Bytes(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Runs f; true when it returned, false when it threw sk::Error.
template <class F>
bool Accepts(F&& f) {
  try {
    f();
    return true;
  } catch (const Error&) {
    return false;
  }
}

// A scratch host folder removed when the process ends (libFuzzer ends with exit()).
class ScratchFolder {
 public:
  explicit ScratchFolder(std::filesystem::path path) : path_(std::move(path)) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A property of the reader that does not hold: reported as a crash with its reason.
[[noreturn]] inline void Broken(const char* what) {
  std::fprintf(stderr, "fuzz property broken: %s\n", what);
  std::abort();
}

// The picture targets: the size limit they decode to, and the check of a decoded bitmap.
inline constexpr uint64_t kMaxPixels = 256 * 256;
inline void CheckBitmap(uint64_t width, uint64_t height, size_t bytes) {
  if (bytes != width * height * 4) Broken("bitmap size does not match its dimensions");
  if (width * height == 0 || width * height > kMaxPixels) Broken("picture outside the size limit");
}

}  // namespace sk::fuzz
