// Support-file staging: registry files (Kind 2), component package files (Kind 3) and page
// files (Kind 4) are extracted from the setup file into the temporary folder, and the model's
// references are pointed at the copies. DeleteStagedFiles removes them again at exit.
//
// Errors: a file that cannot be created or data that does not inflate throws sk::Error naming
// the file; items staged before it are listed in StagedFiles and still deleted at exit.
#pragma once

#include <cstdint>
#include <functional>

#include "package/Compile.h"
#include "platform/Platform.h"

namespace sk {

using StagingProgress = std::function<void(int32_t Position, int32_t Max)>;

void StageSupportFiles(TCompile& model, InputStream& setupFile,
                       const StagingProgress& progress = nullptr);
void DeleteStagedFiles(TCompile& model);

}  // namespace sk
