#include "CliTest.h"

#include <chrono>
#include <fstream>
#include <random>

#include "package/Writer.h"
#include "platform/Encoding.h"
#include "tools/setupkit/DefaultMachine.h"
#include "tools/setupkit/HostFiles.h"

namespace sk::cli::test {

namespace fs = std::filesystem;

Result RunCommand(int (*cmd)(const std::vector<std::string>&), std::vector<std::string> args) {
  Result r;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  r.code = cmd(args);
  r.out = testing::internal::GetCapturedStdout();
  r.err = testing::internal::GetCapturedStderr();
  return r;
}

TempDir::TempDir() {
  std::random_device rd;
  path_ = fs::temp_directory_path() /
          ("setupkit-cli-" + std::to_string(rd()) + "-" + std::to_string(rd()));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path TempDir::operator/(const std::string& rel) const {
  return path_ / HostPath(rel);
}

fs::path TempDir::Write(const std::string& rel, const std::string& bytes) const {
  fs::path p = *this / rel;
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  // A fixed time keeps the day counts of repeated builds equal.
  fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::hours(24));
  return p;
}

std::string TempDir::Text(const fs::path& p) const {
  return HostPathText(p);
}

std::string FakeStub() {
  std::string s(128, '\0');
  s[0] = 'M';
  s[1] = 'Z';
  s[60] = 64;
  s.replace(64, 6, std::string("PE\0\0\x64\x86", 6));
  return s;
}

void WriteCraftedPackage(const fs::path& setup, const std::vector<CraftedItem>& items) {
  DefaultMachine machine;
  TCompile model(machine);
  HostOutputStream out(setup);
  std::string stub = FakeStub();
  out.Write(stub.data(), stub.size());
  PackageWriter w(out, static_cast<int64_t>(stub.size()), 1);
  w.WritePreamble();
  for (const CraftedItem& item : items) {
    auto f = std::make_unique<TCompileFileData>();
    f->Kind = item.kind;
    f->SourcePath = *Utf8ToGbk(item.source);
    f->TargetDir = *Utf8ToGbk(item.target);
    std::string data = "data of " + item.source;
    Region r = w.AppendRegion(data);
    f->DataStart = r.start;
    f->DataEnd = r.end;
    f->UncompressedSize = static_cast<int64_t>(data.size());
    f->FileTime = 45000.5;
    model.Package().FileList().push_back(std::move(f));
  }
  model.Package().Size = 0;  // the trailer's Size: the total of the files to install
  for (const auto& f : model.Package().FileList())
    if (f->Kind == kind::File) model.Package().Size += f->UncompressedSize;
  w.Finish(model);
  out.Close();
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace sk::cli::test
