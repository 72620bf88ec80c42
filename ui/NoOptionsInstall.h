// The no-options install window without its window: installs the package without any wizard
// page, runs the program and readme when the package checks them, and answers the close query
// (refused while the install runs; after a completed install the reboot question when the
// package wants it). Portable: the Win32 window (ui/win32/NoOptionsWindow) and the headless session
// of `setupkit simulate` (ui/Session) both run this logic.
//
// Ownership: borrows the model for its lifetime. Progress events reach `progress` only while
// Run() runs (it is an argument of the install, never stored on the model). An error that ends the
// install is kept (Failure()), never rethrown by Run().
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "package/Compile.h"

namespace sk {

enum class NoOptionsState { Waiting, Installing, Done, Failed };

class NoOptionsInstall {
 public:
  using AskYesNo = std::function<bool(const std::string& question)>;

  explicit NoOptionsInstall(TCompile& model) : model_(model) {}
  NoOptionsInstall(const NoOptionsInstall&) = delete;
  NoOptionsInstall& operator=(const NoOptionsInstall&) = delete;

  // Installs (once: a second call does nothing) and runs the reduced completion actions.
  void Run(const TCompileProEvent& progress);
  // May the window close now? Refused before and during the install. After a completed install
  // the reboot question is asked through `ask` when the package wants it (Yes reboots); after
  // a failed one the window closes without questions.
  bool CloseQuery(const AskYesNo& ask);

  NoOptionsState State() const { return state_; }
  std::exception_ptr Failure() const { return failure_; }

 private:
  TCompile& model_;
  NoOptionsState state_ = NoOptionsState::Waiting;
  std::exception_ptr failure_;
};

}  // namespace sk
