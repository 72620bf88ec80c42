// Loads a setup file (runtime stub with its package) from the host into a package model, for
// the commands that read packages (info, list, extract).
//
// The model is evaluated against DefaultMachine (program files C:\Program Files, empty
// registry). The stream stays open for the commands that extract data.
// Before the model is loaded the whole package goes through the integrity pass (every region
// inflated; see package/Integrity.h), so a damaged, cut or inconsistent file is refused here.
// Errors: a missing or unreadable file, or a damaged package, throws sk::Error.
#pragma once

#include <memory>
#include <string>

#include "package/Compile.h"
#include "tools/setupkit/DefaultMachine.h"
#include "tools/setupkit/HostFiles.h"

namespace sk::cli {

// Throws sk::Error naming the file, the fault and its offset when the package of `in` fails the
// integrity pass.
void RefuseDamagedPackage(InputStream& in, const std::string& utf8Path);

struct LoadedPackage {
  explicit LoadedPackage(const std::string& utf8Path);
  DefaultMachine machine;
  TCompile model{machine};
  HostInputStream stream;
};

}  // namespace sk::cli
