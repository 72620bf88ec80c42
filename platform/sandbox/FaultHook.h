// Fault injection for the sandbox machine: tests of interrupted runs stop a run at a chosen
// change. Every operation of the sandbox that changes the machine (creating, writing, deleting or
// re-dating a file or folder, creating or deleting a key, writing or deleting a value) calls
// Change() first. Once armed with n, the first n changes go through and the next one:
// - Fault::Fail: throws sk::Error (the one change fails; later changes go through again), as a
//   full disk or a denied access would;
// - Fault::Abort: throws SandboxAbort and so does every later change, as if the process had been
//   killed at that moment: whatever the program still tries (an undo included) changes nothing.
// SandboxAbort derives from no standard exception, so only a catch-all sees it. Shared by the
// platform and the keys it hands out; not thread-safe, like the sandbox.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Error.h"

namespace sk {

struct SandboxAbort {};

class FaultHook {
 public:
  enum class Fault { Fail, Abort };

  void Arm(uint64_t changesBefore, Fault fault) {
    armedAt_ = seen_ + changesBefore;
    fault_ = fault;
    dead_ = false;
  }
  void Disarm() {
    armedAt_.reset();
    dead_ = false;
  }
  uint64_t ChangesSeen() const { return seen_; }
  bool Fired() const { return fired_; }

  void Change() {
    if (dead_) throw SandboxAbort{};
    const uint64_t index = seen_++;
    if (!armedAt_ || index != *armedAt_) return;
    fired_ = true;
    if (fault_ == Fault::Abort) {
      dead_ = true;
      throw SandboxAbort{};
    }
    throw Error("injected fault at change " + std::to_string(index + 1));
  }

 private:
  uint64_t seen_ = 0;
  std::optional<uint64_t> armedAt_;
  Fault fault_ = Fault::Fail;
  bool dead_ = false;
  bool fired_ = false;
};

}  // namespace sk
