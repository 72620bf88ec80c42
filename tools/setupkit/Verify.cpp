#include "tools/setupkit/Verify.h"

#include "package/Compile.h"
#include "package/Writer.h"
#include "tools/setupkit/DefaultMachine.h"

namespace sk::cli {

namespace {

std::string N(int64_t v) {
  return std::to_string(v);
}

}  // namespace

std::optional<Fault> VerifyPackage(InputStream& in, VerifyStats* out) {
  VerifyStats stats;
  auto done = [&](std::optional<Fault> f) {
    if (out) *out = stats;
    return f;
  };
  DefaultMachine machine;
  TCompile model(machine);
  if (auto fault = CheckPackage(in, model, nullptr, &stats)) return done(fault);

  const int64_t settings = stats.settingsOffset;
  const std::string& stream = stats.settingsStream;
  const std::string again = SerializeSettings(model.Package());
  if (again.size() < stream.size() && stream.compare(0, again.size(), again) == 0)
    return done(Fault{settings,
                      "settings stream: " + N(static_cast<int64_t>(stream.size() - again.size())) +
                          " bytes follow the product identifier"});
  const auto& files = model.Package().FileList();
  for (size_t i = 0; i < files.size(); ++i) {
    const TCompileFileData& f = *files[i];
    if (f.Kind > kind::Uninstaller)
      return done(Fault{settings, "file item " + N(static_cast<int64_t>(i)) + " (" + f.SourcePath +
                                      "): unknown kind " + N(f.Kind)});
  }
  return done(std::nullopt);
}

std::string DescribeSignature(const PackageBounds& bounds) {
  std::string text;
  if (bounds.certificates) {
    const CertificateTable& t = *bounds.certificates;
    text = "signed (certificate table at " + N(t.offset) + ", " + N(t.size) + " bytes, " +
           N(t.entries) + (t.entries == 1 ? " entry" : " entries") + ")";
  } else {
    text = "not signed";
  }
  if (!bounds.note.empty()) text += "; " + bounds.note;
  return text;
}

}  // namespace sk::cli
