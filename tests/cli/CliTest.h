// Helpers of the CLI suites: a temporary folder, a minimal stub program, and running a command
// in-process with its exit code, stdout and stderr.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace sk::cli::test {

struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

// Runs one command function with captured output.
Result RunCommand(int (*cmd)(const std::vector<std::string>&), std::vector<std::string> args);

// A folder below the system temp folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& rel) const;
  // Writes a file (creating folders) and gives it a fixed modification time.
  std::filesystem::path Write(const std::string& rel, const std::string& bytes) const;
  std::string Text(const std::filesystem::path& p) const;  // UTF-8 text of a path

 private:
  std::filesystem::path path_;
};

// Smallest file that passes the stub check: MZ header, PE signature, x86-64 machine.
std::string FakeStub();
std::string ReadAll(const std::filesystem::path& p);

}  // namespace sk::cli::test
