// Where the package lies inside a setup file.
//
// A publisher may sign Setup.exe after the package was appended: the signing tool pads the file
// with up to 7 zero bytes to an 8-byte boundary, appends a certificate table and points the PE
// security directory at it. The package then ends where that padding begins, not at the end of
// the file, and no package data may reach into the table.
//
// LocatePackage reads the PE headers (when the file is a PE image) and returns:
//   imageEnd - the end of the executable image (its headers and section data); 0 when the file
//              is no PE image. The package area starts there.
//   end      - where the package (its 16-byte trailer last) ends: the file size for an unsigned
//              file; for a signed one the start of the certificate table, less the zero padding
//              in front of it.
// A security directory that does not describe a table ending exactly at the end of the file
// (past the file, inside the image, too short) is not taken as a signature: `end` is then the
// file size and `note` says why. A table at the end whose entries are malformed still bounds
// the package (the directory says where it lies); `note` describes the fault.
//
// Never throws for malformed headers; I/O errors of the stream propagate as sk::Error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace sk {

struct CertificateTable {
  int64_t offset = 0;  // file offset of the first WIN_CERTIFICATE entry
  int64_t size = 0;    // bytes up to the end of the file
  int entries = 0;     // well-formed entries found
};

struct PackageBounds {
  int64_t imageEnd = 0;
  int64_t end = 0;
  std::optional<CertificateTable> certificates;
  std::string note;  // empty, or what was odd about the security directory or its table
};

PackageBounds LocatePackage(InputStream& in);

}  // namespace sk
