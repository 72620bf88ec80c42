// Checks a whole setup file: the trailer, every chunk of the settings block and of every data
// region (each inflated), the settings stream record by record, every file item's offsets and
// sizes, and the trailer's Size against the files to install.
//
// Returns the first fault found (what and at which absolute file offset), or std::nullopt for a
// sound package. Never throws for faults in the data; I/O errors of the stream propagate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace sk::cli {

struct Fault {
  int64_t offset = 0;
  std::string message;  // GBK
};

struct VerifyStats {
  size_t items = 0;
  size_t regions = 0;
  size_t chunks = 0;
  int64_t inflatedBytes = 0;
};

std::optional<Fault> VerifyPackage(InputStream& in, VerifyStats* stats = nullptr);

}  // namespace sk::cli
