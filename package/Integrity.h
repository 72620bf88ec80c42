// The integrity pass over a whole setup file, run before anything on the machine is changed.
//
// CheckPackage reads, in this order: where the package lies (LocatePackage: the executable
// image, a certificate table after the package); the trailer; the settings block (offset > 0
// and inside the package area, every chunk inflated) and the settings stream (parsed into
// `parsed`, which must be freshly constructed; no option is evaluated, nothing is read from the
// machine); the sizes (a file item with data or a component package whose size no disk holds:
// negative or past kMaxByteSize, or more than that in all; a fault at the settings offset);
// then, for every file item, the name staging would give it (RelativeStagingPath:
// a registry, page or component file whose name would leave the staging folder is a fault at
// the settings offset) and, except for folders (Kind 1, which carry no data), its region
// (inside the package area, before the settings block); then every region's chunk framing, zlib
// stream and Adler-32 checksum (inflated, nothing written), and the inflated length against the
// item's UncompressedSize; last the trailer's Size, which must equal the total of the Kind-0
// items (a fault at the trailer). It stops at the first fault and returns it with the file
// offset it lies at.
//
// With CheckScope::ExceptInstalledFiles the regions of the files to install (Kind 0) are left
// uninflated (their bounds are still checked, and the trailer's Size against their records): the
// install inflates each of them anyway and checks its chunks and length as it writes it
// (ExtractToFile throws DamagedPackage), so Setup.exe inflates its payload once. A damaged file
// that the choices leave out is then not found, and nothing is installed from it.
//
// Progress is reported in inflated bytes against the sum of the items' UncompressedSize.
// Errors: faults in the data are returned, never thrown; I/O errors of the stream and errors
// thrown by the progress callback propagate.
//
// CheckSetupFile is the form Setup.exe uses: it checks the running executable and throws
// sk::Error with DamagedSetupMessage on a fault.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "package/Compile.h"
#include "package/PackageBounds.h"
#include "platform/Platform.h"

namespace sk {

struct IntegrityFault {
  int64_t offset = 0;
  std::string message;  // what is wrong (ASCII, with GBK names from the package)
};

struct IntegrityStats {
  PackageBounds bounds;
  int64_t declaredSize = 0;  // the trailer's Size
  int64_t settingsOffset = 0;
  std::string settingsStream;  // the inflated settings stream (once it inflated)
  size_t regions = 0;          // regions checked, the settings block included
  int64_t inflatedBytes = 0;   // file data inflated
};

// Called with the bytes inflated so far and the total expected.
using IntegrityProgress = std::function<void(int64_t done, int64_t total)>;

enum class CheckScope : uint8_t { Everything, ExceptInstalledFiles };

std::optional<IntegrityFault> CheckPackage(InputStream& in, TCompile& parsed,
                                           const IntegrityProgress& progress = nullptr,
                                           IntegrityStats* stats = nullptr,
                                           CheckScope scope = CheckScope::Everything);

// "安装文件已损坏或不完整，请重新下载。" followed by the offset (GBK): the setup file is damaged
// or incomplete and should be downloaded again.
std::string DamagedSetupMessage(int64_t offset);

// The package proved damaged while the install inflated a file from it. what() starts with
// DamagedSetupMessage(offset); the install appends what its undo says. Setup.exe ends such a
// run as a damaged package (exit code 1620 with switches), not as a failed install.
class DamagedPackage : public Error {
 public:
  DamagedPackage(int64_t offset, const std::string& message) : Error(message), offset_(offset) {}
  explicit DamagedPackage(int64_t offset) : DamagedPackage(offset, DamagedSetupMessage(offset)) {}
  int64_t Offset() const { return offset_; }

 private:
  int64_t offset_;
};

// Checks the package of the running executable (model.GetPlatform().ExecutablePath()), all but
// the files to install (CheckScope::ExceptInstalledFiles); when no file exists there, there is
// nothing to check (the load reads nothing either). Throws
// sk::Error(DamagedSetupMessage) on a fault. Of `model` only PackageChecked is read and set: a
// package that passed once in the run is not read again.
void CheckSetupFile(TCompile& model, const IntegrityProgress& progress = nullptr);

// LoadPackage of the running executable; when the load fails on a damaged file, the error is
// DamagedSetupMessage instead of the reader's own message.
void LoadSetupFile(TCompile& model);

}  // namespace sk
