// Checks a whole setup file: the integrity pass of the runtime (trailer, settings block and
// stream, sizes and the trailer's Size, every data region inflated and its length against the
// record; see package/Integrity.h) and, beyond it, what only a publisher cares about: bytes
// after the product identifier and file items of an unknown kind.
//
// Returns the first fault found (what and at which absolute file offset), or std::nullopt for a
// sound package; `stats` also tells where the package lies and whether the file is signed.
// Never throws for faults in the data; I/O errors of the stream propagate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "package/Integrity.h"
#include "platform/Platform.h"

namespace sk::cli {

using Fault = IntegrityFault;  // message: GBK
using VerifyStats = IntegrityStats;

std::optional<Fault> VerifyPackage(InputStream& in, VerifyStats* stats = nullptr);

// One line on the signature: "signed (certificate table at X, N bytes, E entries)", "not
// signed", or why a security directory was not taken as a signature (UTF-8).
std::string DescribeSignature(const PackageBounds& bounds);

}  // namespace sk::cli
