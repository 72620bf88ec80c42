// Helpers of the CLI suites: a temporary folder, a minimal stub program, and running a command
// in-process with its exit code, stdout and stderr.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
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

// One item of a package made without the builder's checks; names are UTF-8.
struct CraftedItem {
  uint8_t kind;
  std::string source;
  std::string target;
};
// Writes a setup file (FakeStub and a package) whose items carry "data of <source>" as their
// bytes, dated 2023-03-15 12:00.
void WriteCraftedPackage(const std::filesystem::path& setup, const std::vector<CraftedItem>& items);

// Smallest file that passes the stub check: MZ header, PE signature, x86-64 machine.
std::string FakeStub();
std::string ReadAll(const std::filesystem::path& p);

}  // namespace sk::cli::test
