// The shell-link (.lnk) binary format: a portable writer and reader, so links can be made and
// checked where the system's shell-link object is not available (the sandbox machine, tests).
//
// What is written: the 76-byte header (class id 00021401-0000-0000-C000-000000000046, show
// command, icon index, the target's attributes, size and times when known), a LinkInfo with
// the target as local base path (GBK and Unicode) when the target is a drive path, otherwise
// the target as relative path; then the Unicode string data: description, working folder,
// arguments, icon location; no extra data blocks.
//
// BuildShellLink throws sk::Error when a text is longer than the format allows (65535 UTF-16
// units). ParseShellLink reads untrusted bytes: it never reads past them and throws sk::Error
// naming the offset and the reason when they are not a shell link it can read.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace sk {

// Facts about the link target stored in the link header (zero when unknown).
struct LnkTargetData {
  uint32_t attributes = 0;
  uint32_t size = 0;
  int64_t creationTime = 0;  // FILETIME values
  int64_t accessTime = 0;
  int64_t writeTime = 0;
};

std::string BuildShellLink(const ShellLinkInfo& link, const LnkTargetData& target = {});
ShellLinkInfo ParseShellLink(const std::string& bytes);

}  // namespace sk
