// The records of PlanningPlatform's overlay (engine/PlanningPlatform.h), shared by its parts:
// the machine that keeps the run's changes (PlanningPlatform.cpp) and the plan made from them
// (PlanningCompare.cpp). Every record carries the order of its first change (a removal or a
// re-creation moves it to that moment), and `baseline` when it belongs to the machine's starting
// state. Owned by the PlanningPlatform.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/PlanningPlatform.h"
#include "package/Compile.h"

namespace sk {

// The folded identity of a path: ASCII case ignored, no trailing backslash.
inline std::string FoldPath(const std::string& path) {
  return LowerAscii(StripTrailingBackslash(path));
}

struct PlanningPlatform::FileEntry {
  std::string path = {};  // as first spelled
  uint64_t order = 0;
  bool baseline = false;
  bool exists = true;
  bool folder = false;
  uint32_t attributes = attr::Archive;
  std::optional<int64_t> writeTime = {};
  bool dated = false;  // writeTime was given by the run (not the time of the install)
  int64_t size = 0;
  // The bytes: the machine's file `innerSource` (unchanged), `bytes`, `open`, or none kept.
  std::string innerSource = {};
  std::shared_ptr<const std::string> bytes = {};
  std::function<std::unique_ptr<InputStream>()> open = {};
  std::optional<ShellLinkInfo> link = {};
  bool changed = false;  // bytes, attributes or date changed by the run
};

struct PlanningPlatform::KeyEntry {
  RegRoot root = RegRoot::LocalMachine;
  std::string path = {};
  uint64_t order = 0;
  bool baseline = false;
  bool exists = true;
};

struct PlanningPlatform::ValueEntry {
  RegRoot root = RegRoot::LocalMachine;
  std::string keyPath = {};
  std::string name = {};
  uint64_t order = 0;
  bool baseline = false;
  bool exists = true;
  RegValue value = {};
  StoredRegValue stored = {};
};

}  // namespace sk
