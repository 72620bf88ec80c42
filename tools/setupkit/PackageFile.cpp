#include "tools/setupkit/PackageFile.h"

#include "package/Integrity.h"

namespace sk::cli {

void RefuseDamagedPackage(InputStream& in, const std::string& utf8Path) {
  DefaultMachine machine;
  TCompile scratch(machine);
  if (auto fault = CheckPackage(in, scratch))
    throw Error(MessagePath(HostPath(utf8Path)) +
                ": the package is damaged or incomplete: " + fault->message + " (fault at offset " +
                std::to_string(fault->offset) + "; 'setupkit verify' tells more)");
}

LoadedPackage::LoadedPackage(const std::string& utf8Path) : stream(HostPath(utf8Path)) {
  RefuseDamagedPackage(stream, utf8Path);
  model.LoadPackageFrom(stream);
}

}  // namespace sk::cli
