// Loads a setup file (runtime stub with its package) from the host into a package model, for
// the commands that read packages (info, list, extract).
//
// The model is evaluated against DefaultMachine (program files C:\Program Files, empty
// registry). The stream stays open for the commands that extract data.
// Errors: a missing or unreadable file, or a malformed package, throws sk::Error.
#pragma once

#include <memory>
#include <string>

#include "package/Compile.h"
#include "tools/setupkit/DefaultMachine.h"
#include "tools/setupkit/HostFiles.h"

namespace sk::cli {

struct LoadedPackage {
  explicit LoadedPackage(const std::string& utf8Path);
  DefaultMachine machine;
  TCompile model{machine};
  HostInputStream stream;
};

}  // namespace sk::cli
