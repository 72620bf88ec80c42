#include "tools/setupkit/PackageFile.h"

namespace sk::cli {

LoadedPackage::LoadedPackage(const std::string& utf8Path) : stream(HostPath(utf8Path)) {
  if (stream.Size() < 16)
    throw Error(MessagePath(HostPath(utf8Path)) + ": " + std::to_string(stream.Size()) +
                " bytes, too small to hold a package trailer");
  model.LoadPackageFrom(stream);
}

}  // namespace sk::cli
