#include "tools/setupkit/Builder.h"

#include <algorithm>
#include <vector>

#include "package/Writer.h"
#include "tools/setupkit/HostFiles.h"

namespace sk::cli {

namespace fs = std::filesystem;

namespace {

// Removes the temporary output unless the build completed.
class TempFile {
 public:
  explicit TempFile(fs::path p) : path_(std::move(p)) {}
  ~TempFile() {
    if (!kept_) {
      std::error_code ec;
      fs::remove(path_, ec);
    }
  }
  const fs::path& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  fs::path path_;
  bool kept_ = false;
};

}  // namespace

BuildResult BuildSetup(BuildPlan& plan, const fs::path& stub, const fs::path& output,
                       const BuildOptions& options) {
  BuildResult result;
  int64_t total = 0;
  for (const auto& s : plan.sources) total += s.size;

  fs::path out = fs::absolute(output);
  TempFile temp(out.parent_path() / (out.filename().native() + fs::path(".partial").native()));
  {
    HostOutputStream sink(temp.path());
    int64_t stubSize = 0;
    {
      HostInputStream in(stub);
      std::vector<char> buf(1 << 20);
      while (size_t n = in.Read(buf.data(), buf.size())) {
        sink.Write(buf.data(), n);
        stubSize += static_cast<int64_t>(n);
      }
    }
    PackageWriter writer(sink, stubSize, options.threads);
    int64_t doneBefore = 0;
    if (options.progress) {
      options.progress(0, total);
      // The settings block counts as input too; report the data only.
      writer.OnProgress = [&](int64_t bytesIn) {
        options.progress(std::min(bytesIn, total), total);
      };
    }
    writer.WritePreamble();
    auto& files = plan.model->FileList();
    for (const auto& src : plan.sources) {
      HostInputStream in(src.host);
      if (in.Size() != src.size)
        throw Error(MessagePath(src.host) + ": changed size during the build (" +
                    std::to_string(src.size) + " -> " + std::to_string(in.Size()) + " bytes)");
      Region r = writer.AppendRegion(in);
      TCompileFileData& item = *files[src.item];
      item.DataStart = r.start;
      item.DataEnd = r.end;
      doneBefore += src.size;
      ++result.files;
    }
    result.bytesIn = doneBefore;
    writer.Finish(*plan.model);
    sink.Close();
    result.outputSize = sink.Written();
    result.bytesOut = result.outputSize - stubSize;
  }
  std::error_code ec;
  fs::permissions(temp.path(),
                  fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ec);  // runnable under Wine's loader too
  fs::rename(temp.path(), out);
  temp.Keep();
  return result;
}

}  // namespace sk::cli
