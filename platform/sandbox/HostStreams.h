// Streams on host files for the sandbox machine. Errors throw sk::Error with the Windows path
// the caller used (GBK) and a reason; each stream calls `onClose` exactly once, when it is closed
// (output) or destroyed, so the sandbox can release the file for other openers.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace sk::sandbox {

// Opens host for reading; nullptr when it cannot be opened.
std::unique_ptr<InputStream> OpenHostInput(const std::filesystem::path& host,
                                           const std::string& winPath,
                                           std::function<void()> onClose);
// Creates or truncates host; nullptr when it cannot be created or is not a regular file (a
// FIFO or device). An existing file with other hard links is replaced by a new file, never
// written through, so the file it shared its data with keeps its bytes and date. The stream
// takes a write time for Close (SetWriteTimeOnClose) and sets it on the host file it wrote.
std::unique_ptr<OutputStream> CreateHostOutput(const std::filesystem::path& host,
                                               const std::string& winPath,
                                               std::function<void()> onClose);

// Whether host is a regular file that shares its data with other names (hard links).
bool HasOtherLinks(const std::filesystem::path& host);

// 1970-01-01 in FILETIME ticks (100 ns since 1601-01-01).
inline constexpr int64_t kUnixEpochFileTime = 116444736000000000LL;

// Gives the host file the last-write time utcFileTime (FILETIME ticks, UTC); false when the
// time is negative or cannot be set.
bool SetHostWriteTime(const std::filesystem::path& host, int64_t utcFileTime);

}  // namespace sk::sandbox
