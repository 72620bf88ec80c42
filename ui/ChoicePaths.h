// Folder texts of the choice pages: the default install path with its placeholders, the free
// space shown for an install folder, and the drives the install-folder search walks.
//
// All texts are GBK. Nothing here shows a window or throws; queries the system cannot answer
// give -1 or an empty list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sk {

// The default install path as the install-folder page shows it. The text is split at "\" into
// its non-empty elements; a first element "[System ProgramFiles]" stands for the program-files
// folder, "[Run]" for setupDir (the folder of the running setup, its trailing "\" removed), each
// compared with ASCII-only case folding, and the further elements are appended with single "\".
// Any other text is returned unchanged.
std::string ResolveDefaultPath(Platform& platform, const std::string& setupDir,
                               const std::string& text);

// The free bytes on the drive of an install folder: the volume whose root is the folder's first
// letter, a colon and "\". -1 when the folder does not begin with a drive letter and a colon
// (a network path, a relative name) or when the system cannot tell.
int64_t InstallDirFreeSpace(Platform& platform, const std::string& folder);

// The roots ("C:", no backslash) of the system's fixed drives in drive-letter order.
std::vector<std::string> GetFixedDrives(Platform& platform);

}  // namespace sk
