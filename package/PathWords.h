// The words that may begin a default install path in a package: "[System ProgramFiles]" for the
// program-files folder and "[Run]" for the folder of the running setup. This is the one place
// they are resolved; the option evaluation at load time and the install-folder page both call it.
//
// The text is split at "\" into its non-empty elements; when the first one is a word the caller
// knows (compared with ASCII-only case folding), it is replaced and the further elements are
// appended with single "\". Any other text comes back unchanged. Pure apart from asking the
// platform for the program-files folder; the text is untrusted and may be long.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace sk {

// `runFolder`: the folder "[Run]" stands for (its trailing "\" is removed); std::nullopt where
// the caller does not resolve "[Run]", which then stays as it is.
std::string ExpandPathWord(Platform& platform, const std::string& text,
                           const std::optional<std::string>& runFolder);

}  // namespace sk
