// The state of one setup run that neither the package nor the user's choices hold: the staged
// support files and their private folder, the processes still reading them, and whether the
// package's integrity pass has run. Owned by the startup driver (inside its session model);
// staging fills it, DeleteStagedFiles empties it. The processes are owned here and waited for
// (bounded) before the staged files go.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sk {

struct RunState {
  std::vector<std::string> StagedFiles;
  // The run's own staging folder (with trailing backslash), "" until staging has created it.
  std::string StagingFolder;
  // Processes started on staged files (.reg imports); DeleteStagedFiles waits for them.
  std::vector<std::unique_ptr<ChildProcess>> StagedFileReaders;
  // Set once the package of the running executable has passed the integrity pass of this run
  // (CheckSetupFile sets it), so the pass runs once. A caller that has itself just checked the
  // very bytes the run reads may set it before the run.
  bool PackageChecked = false;
  // The run's claim on its product's journal folder (engine/RunClaim.h), taken at start-up and
  // kept for the run's life, so that a second setup of the product sees this one running.
  std::unique_ptr<FileHold> ProductClaim;
};

}  // namespace sk
