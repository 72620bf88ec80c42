// Stands in for the simulate command in builds that do not include the engine's simulator.
#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"

namespace sk::cli {

int CmdSimulate(const std::vector<std::string>&) {
  return ReportError("simulate is not available in this build");
}

}  // namespace sk::cli
