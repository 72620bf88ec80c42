#include "tools/setupkit/ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <random>

namespace sk::cli {

namespace fs = std::filesystem;

namespace {

// ".sk-" and 16 hex digits: short enough beside any name the folder can hold.
fs::path TempName(const fs::path& folder) {
  std::random_device device;
  const unsigned long long n = (static_cast<unsigned long long>(device()) << 32) ^ device();
  char name[32];
  std::snprintf(name, sizeof name, ".sk-%016llx", n);
  return folder / name;
}

}  // namespace

ReplacingFile::ReplacingFile(fs::path target) : target_(std::move(target)) {
  const fs::path folder = target_.parent_path();
  for (int attempt = 0;; ++attempt) {
    temp_ = TempName(folder);
    try {
      out_ = std::make_unique<HostOutputStream>(temp_, HostOutputStream::Mode::New);
      return;
    } catch (const Error&) {
      if (errno != EEXIST || attempt == 8) throw;  // a name taken by chance: draw again
    }
  }
}

ReplacingFile::~ReplacingFile() {
  if (committed_) return;
  out_.reset();  // closes the file before it is removed
  std::error_code ec;
  fs::remove(temp_, ec);
}

void ReplacingFile::Commit() {
  out_->Close();
  std::error_code ec;
  fs::rename(temp_, target_, ec);
  if (ec) throw Error(MessagePath(target_) + ": cannot replace (" + ec.message() + ")");
  committed_ = true;
}

}  // namespace sk::cli
