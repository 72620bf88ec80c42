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
// Creates or truncates host; nullptr when it cannot be created.
std::unique_ptr<OutputStream> CreateHostOutput(const std::filesystem::path& host,
                                               const std::string& winPath,
                                               std::function<void()> onClose);

}  // namespace sk::sandbox
