// setupkit verify FILE: exit 0 when the package is sound, 1 with the first fault; either way a
// second line says whether the file carries a signature.
#include <CLI/CLI.hpp>
#include <iostream>

#include "platform/Encoding.h"
#include "tools/setupkit/CommandLine.h"
#include "tools/setupkit/Commands.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/Verify.h"

namespace sk::cli {

int CmdVerify(const std::vector<std::string>& args) {
  CLI::App app{"Checks every offset, count and chunk of a setup file's package.",
               "setupkit verify"};
  std::string file;
  app.add_option("FILE", file, "setup file with its package")->required();
  app.footer("Exit codes: 0 sound, 1 a fault was found (printed with its file offset), 2 error.");
  if (auto code = ParseCommandLine(app, args)) return *code;

  return Guarded([&] {
    HostInputStream in(HostPath(file));
    VerifyStats stats;
    auto fault = VerifyPackage(in, &stats);
    if (fault) {
      std::cout << file << ": fault at offset " << fault->offset << ": "
                << Printable(fault->message) << "\n"
                << file << ": " << DescribeSignature(stats.bounds) << "\n";
      std::cout.flush();
      return kExitFault;
    }
    std::cout << file << ": OK (" << stats.regions << " regions, settings and file data; "
              << stats.inflatedBytes << " bytes of file data inflated)\n"
              << file << ": " << DescribeSignature(stats.bounds) << "\n";
    std::cout.flush();
    return kExitOk;
  });
}

}  // namespace sk::cli
