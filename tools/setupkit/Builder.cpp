#include "tools/setupkit/Builder.h"

#include <algorithm>
#include <vector>

#include "package/Container.h"
#include "package/Writer.h"
#include "tools/setupkit/HostFiles.h"
#include "tools/setupkit/ReplacingFile.h"

namespace sk::cli {

namespace fs = std::filesystem;

namespace {

std::string ChangedSize(const DataSource& src, int64_t now) {
  return MessagePath(src.host) + ": changed size during the build (" + std::to_string(src.size) +
         " -> " + std::to_string(now) + " bytes)";
}

// A data file read as exactly the size the manifest recorded (and the model stores): a file
// that shrinks while it is read is an error, bytes appended meanwhile are not read.
class RecordedSizeStream : public InputStream {
 public:
  explicit RecordedSizeStream(const DataSource& src) : src_(src), in_(src.host) {
    if (in_.Size() != src.size) throw Error(ChangedSize(src, in_.Size()));
  }
  int64_t Size() override { return src_.size; }
  int64_t Position() override { return pos_; }
  void Seek(int64_t) override { throw Error(MessagePath(src_.host) + ": read in order only"); }
  size_t Read(void* buffer, size_t n) override {
    n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), src_.size - pos_));
    size_t got = 0;
    while (got < n) {
      size_t r = in_.Read(static_cast<char*>(buffer) + got, n - got);
      if (r == 0) throw Error(ChangedSize(src_, pos_ + static_cast<int64_t>(got)));
      got += r;
    }
    pos_ += static_cast<int64_t>(got);
    return got;
  }

 private:
  const DataSource& src_;
  HostInputStream in_;
  int64_t pos_ = 0;
};

}  // namespace

BuildResult BuildSetup(BuildPlan& plan, const fs::path& stub, const fs::path& output,
                       const BuildOptions& options) {
  BuildResult result;
  int64_t total = 0;
  for (const auto& s : plan.sources) total += s.size;

  ReplacingFile file(fs::absolute(output));
  {
    HostOutputStream& sink = file.stream();
    int64_t stubSize = 0;
    {
      HostInputStream in(stub);
      std::vector<char> buf(1 << 20);
      while (size_t n = in.Read(buf.data(), buf.size())) {
        sink.Write(buf.data(), n);
        stubSize += static_cast<int64_t>(n);
      }
    }
    // One writer for the whole package: the pieces of consecutive files share its workers, so
    // a folder of many small files uses every core. The bytes do not depend on the thread count.
    PackageWriter writer(sink, stubSize, options.threads);
    writer.WritePreamble();
    if (options.progress) {
      options.progress(0, total);
      writer.OnProgress = [&](int64_t bytesIn) {
        options.progress(std::min(bytesIn, total), total);
      };
    }
    std::vector<PayloadSource> sources;
    sources.reserve(plan.sources.size());
    for (const auto& src : plan.sources)
      sources.emplace_back([&src] { return std::make_unique<RecordedSizeStream>(src); });
    std::vector<Region> regions = writer.AppendRegions(sources);
    auto& files = plan.model->Package().FileList();
    for (size_t i = 0; i < regions.size(); ++i) {
      TCompileFileData& item = *files[plan.sources[i].item];
      item.DataStart = regions[i].start;
      item.DataEnd = regions[i].end;
    }
    result.files = plan.sources.size();
    result.bytesIn = total;
    writer.OnProgress = nullptr;
    writer.Finish(*plan.model);
    sink.Close();
    result.outputSize = sink.Written();
    result.bytesOut = result.outputSize - stubSize;
  }
  std::error_code ec;
  fs::permissions(file.path(),
                  fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ec);  // runnable under Wine's loader too
  file.Commit();
  return result;
}

}  // namespace sk::cli
