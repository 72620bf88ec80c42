// Test support for the pipeline suites (see InstallTestSupport.h).
#include "tests/engine/InstallTestSupport.h"

#include <fstream>
#include <sstream>

namespace sk::test {

InstallRun::InstallRun(PackageBuilder& b, std::unique_ptr<TestMachine> machine)
    : machine_(std::move(machine)) {
  setup_ = root() + "Setup.exe";
  Write(setup_, b.Build());
  model_ = std::make_unique<TCompile>(platform());
  model_->LoadPackage(setup_);
  model_->Choices().Options.InstallDir = root() + "App";
}

std::string InstallRun::Read(const std::string& path) {
  auto in = platform().OpenRead(path);
  std::string data(static_cast<size_t>(in->Size()), '\0');
  data.resize(in->Read(data.data(), data.size()));
  return data;
}

void InstallRun::Write(const std::string& path, const std::string& bytes) {
  auto out = platform().CreateFile(path);
  out->Write(bytes.data(), bytes.size());
  out->Close();
}

std::unique_ptr<UninstallRecorder> InstallRun::Log(const std::string& path) {
  auto log = std::make_unique<UninstallRecorder>(platform());
  log->LoadFromFile(path);
  return log;
}

std::string InstallRun::Actions() {
  if (!machine_->sandbox()) return {};
  std::ifstream in(machine_->sandbox()->ActionsLogPath(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace sk::test
