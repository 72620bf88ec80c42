#include "tests/support/PackageBuilder.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "package/Writer.h"

namespace sk::test {

PackageBuilder::PackageBuilder() : model_(platform_) {}
PackageBuilder::~PackageBuilder() = default;

TCompileData& PackageBuilder::Setting(const std::string& name, const std::string& value,
                                      uint8_t group) {
  auto& item = model_.Package().InfoList().emplace_back(std::make_unique<TCompileData>());
  item->Name = name;
  item->Value = value;
  item->Group = group;
  return *item;
}

TCompileFileData& PackageBuilder::File(const std::string& sourcePath, const std::string& targetDir,
                                       std::string bytes, uint8_t kind) {
  auto& f = model_.Package().FileList().emplace_back(std::make_unique<TCompileFileData>());
  f->SourcePath = sourcePath;
  f->TargetDir = targetDir;
  f->Kind = kind;
  f->FileTime = 45000.5;  // 2023-03-15 12:00
  data_[f.get()] = std::move(bytes);
  return *f;
}

TCompileFileData& PackageBuilder::Folder(const std::string& targetDir, const std::string& name) {
  auto& f = model_.Package().FileList().emplace_back(std::make_unique<TCompileFileData>());
  f->Name = name;
  f->TargetDir = targetDir;
  f->Kind = kind::Folder;
  return *f;
}

TRegInfoData& PackageBuilder::RegValue(const std::string& keyPath, const std::string& valueName,
                                       const std::string& valueData, uint8_t valueType) {
  auto& v = model_.Package().RegList().emplace_back(std::make_unique<TRegInfoData>());
  v->KeyPath = keyPath;
  v->ValueName = valueName;
  v->ValueData = valueData;
  v->ValueType = valueType;
  return *v;
}

TShotCutData& PackageBuilder::Shortcut(const std::string& folder, const std::string& name,
                                       const std::string& target, uint8_t kind) {
  auto& s = model_.Package().ShotCutList().emplace_back(std::make_unique<TShotCutData>());
  s->Folder = folder;
  s->Name = name;
  s->Target = target;
  s->Kind = kind;
  return *s;
}

TCompileCompData& PackageBuilder::Component(const std::string& name, int64_t size) {
  auto& c = model_.Package().CompList().emplace_back(std::make_unique<TCompileCompData>());
  c->Name = name;
  c->Size = size;
  return *c;
}

PackageBuilder& PackageBuilder::Serial(const std::string& serial) {
  model_.Package().Serial = serial;
  return *this;
}

PackageBuilder& PackageBuilder::Size(int64_t size) {
  size_ = size;
  return *this;
}

PackageBuilder& PackageBuilder::WithoutSettings() {
  withSettings_ = false;
  return *this;
}

PackageBuilder& PackageBuilder::Threads(unsigned threads) {
  threads_ = threads;
  return *this;
}

int64_t PackageBuilder::FilesToInstallSize() const {
  int64_t total = 0;
  for (const auto& f : model_.Package().FileList()) {
    auto it = data_.find(f.get());
    if (it != data_.end() && f->Kind == kind::File)
      total += static_cast<int64_t>(it->second.size());
  }
  return total;
}

std::string PackageBuilder::Build(const std::string& stub) {
  std::string out = stub;
  StringOutputStream sink(out);
  PackageWriter writer(sink, static_cast<int64_t>(stub.size()), threads_);
  writer.WritePreamble();
  int64_t kind0 = 0;
  for (auto& f : model_.Package().FileList()) {
    auto it = data_.find(f.get());
    if (it == data_.end()) continue;
    Region r = writer.AppendRegion(it->second);
    f->DataStart = r.start;
    f->DataEnd = r.end;
    f->UncompressedSize = static_cast<int64_t>(it->second.size());
    if (f->Kind == kind::File) kind0 += f->UncompressedSize;
  }
  model_.Package().Size = size_.value_or(kind0);
  if (withSettings_) {
    writer.Finish(model_);
  } else {
    std::string trailer(16, '\0');
    for (int i = 0; i < 8; ++i)
      trailer[i] = static_cast<char>(static_cast<uint64_t>(model_.Package().Size) >> (8 * i));
    out += trailer;
  }
  return out;
}

void PackageBuilder::WriteTo(const std::string& hostPath, const std::string& stub) {
  WriteHostFile(hostPath, Build(stub));
}

void PackageBuilder::WriteWithStubFile(const std::string& stubHostPath,
                                       const std::string& hostPath) {
  WriteHostFile(hostPath, Build(ReadHostFile(stubHostPath)));
}

std::string ReadHostFile(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) throw Error(hostPath + ": cannot open");
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteHostFile(const std::string& hostPath, const std::string& bytes) {
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  if (!out) throw Error(hostPath + ": cannot create");
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw Error(hostPath + ": cannot write");
}

}  // namespace sk::test
