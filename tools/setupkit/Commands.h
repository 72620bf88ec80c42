// The subcommands of the setupkit CLI. Each takes the arguments after its own name, prints to
// stdout/stderr (UTF-8) and returns the process exit code: 0 ok, 1 verification failed,
// 2 error (with one line "setupkit: error: <reason>" on stderr).
#pragma once

#include <string>
#include <vector>

namespace sk::cli {

int CmdInfo(const std::vector<std::string>& args);
int CmdBuild(const std::vector<std::string>& args);
int CmdList(const std::vector<std::string>& args);
int CmdExtract(const std::vector<std::string>& args);
int CmdVerify(const std::vector<std::string>& args);
int CmdSimulate(const std::vector<std::string>& args);
int CmdUninstall(const std::vector<std::string>& args);
int CmdInit(const std::vector<std::string>& args);

}  // namespace sk::cli
