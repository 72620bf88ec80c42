// Writes a setup program: the runtime stub followed by the package of a BuildPlan.
//
// The output is written to a new file beside `output` and renamed over it only when complete
// (ReplacingFile), so a failed build leaves no output behind (nor a stale temporary), and a
// link at the output name is replaced, never written through. Identical
// inputs give identical bytes: nothing of the build itself (time, folder, threads) is stored.
// Errors: I/O faults and files that changed size since the manifest was read throw sk::Error.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include "tools/setupkit/Manifest.h"

namespace sk::cli {

struct BuildResult {
  size_t files = 0;        // items with data
  int64_t bytesIn = 0;     // their uncompressed bytes
  int64_t bytesOut = 0;    // bytes appended after the stub
  int64_t outputSize = 0;  // the whole setup program
};

struct BuildOptions {
  unsigned threads = 0;  // 0: all cores
  // Called as data is consumed: bytes done, bytes in total.
  std::function<void(int64_t done, int64_t total)> progress;
};

BuildResult BuildSetup(BuildPlan& plan, const std::filesystem::path& stub,
                       const std::filesystem::path& output, const BuildOptions& options);

}  // namespace sk::cli
