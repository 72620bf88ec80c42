// Start-up recovery of Setup.exe, the part without windows: the texts the recovery window and
// the logs show, and the driver's step that claims the product's journal folder and takes back
// a dead run's journal before any page (engine/RunClaim.h).
//
// RecoverAtStartup claims the folder for the model's run (kept in its RunState until the run
// ends) and, when a dead run left something, calls `show` with the work to do: `show` runs it
// (a window around it, a log line before it) and returns its report. Throws what the claim and
// the recovery throw (another run going on, an unusable folder, a damaged journal: the machine
// unchanged), so the setup then stops before anything is installed.
#pragma once

#include <functional>
#include <string>

#include "engine/Journal.h"
#include "package/Compile.h"
#include "ui/Ui.texts.h"

namespace sk {

// The work handed to a window: runs the recovery, reporting each step taken back.
using RecoveryWork = std::function<RecoveryReport(const RecoveryProgress& stepDone)>;
using RecoveryShow = std::function<RecoveryReport(const RecoveryWork& work)>;

// Returns the report (found false when there was nothing to take back).
RecoveryReport RecoverAtStartup(TCompile& model, const RecoveryShow& show);

// What the user is told after a recovery: empty when everything was taken back, otherwise
// kNotTakenBack and one line per change left (registration commands included, at most ten).
std::string RecoveryNotice(const RecoveryReport& report);

}  // namespace sk
