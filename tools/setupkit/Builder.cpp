#include "tools/setupkit/Builder.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "package/Container.h"
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
    // One writer per region: a file of one piece is compressed on this thread (handing it to
    // a worker costs more than it saves), a larger one on all the worker threads. The bytes do
    // not depend on the thread count, so this changes nothing in the output.
    const unsigned threads =
        options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    int64_t offset = stubSize, done = 0;
    if (options.progress) options.progress(0, total);
    {
      PackageWriter preamble(sink, offset, 1);
      preamble.WritePreamble();
      offset = preamble.Offset();
    }
    auto& files = plan.model->FileList();
    for (const auto& src : plan.sources) {
      HostInputStream in(src.host);
      if (in.Size() != src.size)
        throw Error(MessagePath(src.host) + ": changed size during the build (" +
                    std::to_string(src.size) + " -> " + std::to_string(in.Size()) + " bytes)");
      PackageWriter writer(sink, offset,
                           src.size > static_cast<int64_t>(kChunkPieceSize) ? threads : 1);
      if (options.progress)
        writer.OnProgress = [&](int64_t bytesIn) {
          options.progress(std::min(done + bytesIn, total), total);
        };
      Region r = writer.AppendRegion(in);
      offset = writer.Offset();
      TCompileFileData& item = *files[src.item];
      item.DataStart = r.start;
      item.DataEnd = r.end;
      done += src.size;
      ++result.files;
    }
    result.bytesIn = done;
    PackageWriter settings(sink, offset, 1);
    settings.Finish(*plan.model);
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
