// The integrity pass: trailer, settings block and stream, then every data region inflated into
// a counter.
#include "package/Integrity.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "package/ByteSize.h"
#include "package/Container.h"
#include "package/Package.texts.h"
#include "package/Staging.h"

namespace sk {

namespace {

constexpr int64_t kTrailerSize = 16;
// The settings stream is held in memory; a larger one is refused as the load refuses it.
constexpr size_t kMaxSettingsStream = 256 * 1024 * 1024;

std::string N(int64_t v) {
  return std::to_string(v);
}

int64_t ReadInt64At(InputStream& in, int64_t pos) {
  unsigned char b[8];
  in.Seek(pos);
  size_t got = 0;
  while (got < sizeof b) {
    size_t r = in.Read(b + got, sizeof b - got);
    if (r == 0) throw ChunkError(pos, "cannot read the package trailer");
    got += r;
  }
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | b[i];
  return static_cast<int64_t>(v);
}

// A fault found in chunk number `seq` (file order) of item `item`.
struct ChunkFault {
  uint64_t seq = 0;
  size_t item = 0;
  IntegrityFault fault;
};

// Inflates the chunks of the data regions on worker threads while the calling thread reads them
// (one compressed chunk per job; at most two jobs per worker wait). Counts the inflated bytes of
// every item and keeps the first fault in file order. Errors other than ChunkError (out of
// memory) are kept and rethrown by Finish.
class ChunkPool {
 public:
  ChunkPool(size_t items, unsigned threads) : inflated_(items), limit_(2 * threads) {
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Run(); });
  }
  ~ChunkPool() { Join(); }
  ChunkPool(const ChunkPool&) = delete;
  ChunkPool& operator=(const ChunkPool&) = delete;

  // A buffer for the next chunk (recycled from finished jobs).
  ChunkBytes Buffer() {
    std::lock_guard<std::mutex> lock(m_);
    if (free_.empty()) return {};
    ChunkBytes b = std::move(free_.back());
    free_.pop_back();
    return b;
  }
  // Queues chunk number `seq` (file order) of item `item`; waits while the queue is full.
  // Returns false once a fault was found (nothing more needs reading).
  bool Submit(ChunkBytes bytes, int64_t offset, size_t item, uint64_t seq) {
    std::unique_lock<std::mutex> lock(m_);
    space_.wait(lock, [&] { return queue_.size() < limit_ || stopped_; });
    if (stopped_) return false;
    queue_.push_back(Job{std::move(bytes), offset, item, seq});
    ready_.notify_one();
    return true;
  }
  // Waits for every queued job and ends the workers; rethrows an error a worker met.
  void Finish() {
    Join();
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
  }
  int64_t Inflated(size_t item) const { return inflated_[item].load(); }
  int64_t Total() const { return total_.load(); }
  // The first fault in file order among the jobs done.
  const std::optional<ChunkFault>& Fault() const { return fault_; }

 private:
  struct Job {
    ChunkBytes bytes;
    int64_t offset = 0;
    size_t item = 0;
    uint64_t seq = 0;
  };

  void Join() {
    {
      std::lock_guard<std::mutex> lock(m_);
      closing_ = true;
    }
    ready_.notify_all();
    for (std::thread& t : workers_)
      if (t.joinable()) t.join();
  }

  void Run() {
    std::unique_ptr<ChunkCounter> counter;
    try {
      counter = std::make_unique<ChunkCounter>();
    } catch (...) {
      Stop({}, std::current_exception());
      return;
    }
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(m_);
        ready_.wait(lock, [&] { return !queue_.empty() || closing_; });
        if (queue_.empty()) return;
        job = std::move(queue_.front());
        queue_.pop_front();
        space_.notify_one();
      }
      try {
        const int64_t n = counter->Count(job.bytes, job.offset);
        inflated_[job.item] += n;
        total_ += n;
      } catch (const ChunkError& e) {
        Stop(ChunkFault{job.seq, job.item, IntegrityFault{e.Offset(), e.what()}}, nullptr);
      } catch (...) {
        Stop({}, std::current_exception());
      }
      std::lock_guard<std::mutex> lock(m_);
      free_.push_back(std::move(job.bytes));
    }
  }

  void Stop(ChunkFault fault, std::exception_ptr error) {
    std::lock_guard<std::mutex> lock(m_);
    if (error && !error_) error_ = error;
    if (!error && (!fault_ || fault.seq < fault_->seq)) fault_ = std::move(fault);
    stopped_ = true;
    space_.notify_all();
  }

  std::vector<std::atomic<int64_t>> inflated_;
  std::atomic<int64_t> total_{0};
  const size_t limit_;
  std::mutex m_;
  std::condition_variable ready_, space_;
  std::deque<Job> queue_;
  std::vector<ChunkBytes> free_;
  bool stopped_ = false, closing_ = false;
  std::optional<ChunkFault> fault_;
  std::exception_ptr error_;
  std::vector<std::thread> workers_;
};

unsigned WorkerThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : std::min(n, 4u);
}

// Folders carry no data; the files to install are left to the install when `scope` says so.
bool InflatedByThePass(const TCompileFileData& f, CheckScope scope) {
  return f.Kind != kind::Folder && (scope == CheckScope::Everything || f.Kind != kind::File);
}

std::string ItemName(size_t index, const TCompileFileData& f) {
  return "file item " + N(static_cast<int64_t>(index)) + " (" + f.SourcePath + "): ";
}

// Every region of the items with data: framing read here, chunks inflated by the pool. The first
// fault in file order wins; an item whose data runs past its record stops the reading early.
std::optional<IntegrityFault> CheckRegions(InputStream& in,
                                           const RecordList<TCompileFileData>& files, int64_t total,
                                           const IntegrityProgress& progress, IntegrityStats& stats,
                                           CheckScope scope) {
  ChunkPool pool(files.size(), WorkerThreads());
  std::optional<ChunkFault> framing;  // found on this thread
  uint64_t seq = 0;
  bool stopped = false;
  for (size_t i = 0; i < files.size() && !stopped; ++i) {
    const TCompileFileData& f = *files[i];
    if (!InflatedByThePass(f, scope)) continue;
    try {
      ChunkWalker walker(in, f.DataStart, f.DataEnd);
      for (;;) {
        ChunkBytes chunk = pool.Buffer();
        int64_t offset = 0;
        if (!walker.Next(chunk, offset)) break;
        if (!pool.Submit(std::move(chunk), offset, i, seq++) ||
            pool.Inflated(i) > f.UncompressedSize) {
          stopped = true;  // a fault, or an overrun that the loop below reports
          break;
        }
        if (progress) progress(pool.Total(), total);
      }
    } catch (const ChunkError& e) {
      framing = ChunkFault{seq, i, IntegrityFault{e.Offset(), e.what()}};
      stopped = true;
    }
  }
  pool.Finish();
  std::optional<ChunkFault> chunkFault = pool.Fault();
  if (framing && (!chunkFault || framing->seq < chunkFault->seq)) chunkFault = framing;

  for (size_t i = 0; i < files.size(); ++i) {
    const TCompileFileData& f = *files[i];
    if (!InflatedByThePass(f, scope)) continue;
    const int64_t bytes = pool.Inflated(i);
    if (bytes > f.UncompressedSize)
      return IntegrityFault{f.DataStart, ItemName(i, f) + "data inflates to more than the " +
                                             N(f.UncompressedSize) + " bytes its record says"};
    if (chunkFault && chunkFault->item == i) {
      IntegrityFault fault = chunkFault->fault;
      fault.message = ItemName(i, f) + fault.message;
      return fault;
    }
    if (bytes != f.UncompressedSize)
      return IntegrityFault{f.DataStart, ItemName(i, f) + "data inflates to " + N(bytes) +
                                             " bytes, its record says " + N(f.UncompressedSize)};
    ++stats.regions;
    stats.inflatedBytes += bytes;
  }
  if (progress) progress(pool.Total(), total);
  return std::nullopt;
}

// Sizes no disk holds: a file item with data or a component package whose size is negative or
// past kMaxByteSize, or a main program and component packages that need more than that in all.
std::optional<IntegrityFault> ImpossibleSizeFault(const TCompile& parsed, int64_t declared,
                                                  int64_t settings) {
  const auto& files = parsed.Package().FileList();
  for (size_t i = 0; i < files.size(); ++i) {
    const TCompileFileData& f = *files[i];
    if (f.Kind != kind::Folder && !PossibleByteSize(f.UncompressedSize))  // folders: never read
      return IntegrityFault{settings, ItemName(i, f) + "impossible size " + N(f.UncompressedSize)};
  }
  const auto& comps = parsed.Package().CompList();
  int64_t total = declared;  // a wrong trailer Size itself is found after the data
  for (size_t i = 0; i < comps.size(); ++i) {
    if (!PossibleByteSize(comps[i]->Size))
      return IntegrityFault{settings, "component package " + N(static_cast<int64_t>(i)) + " (" +
                                          comps[i]->Name + "): impossible size " +
                                          N(comps[i]->Size)};
    total = SaturatingAdd(total, comps[i]->Size);
  }
  if (!comps.empty() && PossibleByteSize(declared) && !PossibleByteSize(total))
    return IntegrityFault{settings, "the program and its component packages need " + N(total) +
                                        " bytes in all, more than any disk holds"};
  return std::nullopt;
}

// The rule on the trailer's Size for every reader: it equals the total of the Kind-0 items (what
// the writer stores), which also keeps it a size a disk can hold.
std::optional<IntegrityFault> DeclaredSizeFault(const TCompile& parsed, int64_t declared,
                                                int64_t trailerAt) {
  int64_t kind0 = 0;
  for (const auto& f : parsed.Package().FileList())
    if (f->Kind == kind::File) kind0 = SaturatingAdd(kind0, f->UncompressedSize);
  if (declared == kind0 && PossibleByteSize(declared)) return std::nullopt;
  return IntegrityFault{trailerAt, "trailer Size " + N(declared) +
                                       " differs from the total of the files to install " +
                                       N(kind0)};
}

std::optional<IntegrityFault> Check(InputStream& in, TCompile& parsed,
                                    const IntegrityProgress& progress, IntegrityStats& stats,
                                    CheckScope scope) {
  const PackageBounds bounds = LocatePackage(in);
  stats.bounds = bounds;
  if (bounds.end - bounds.imageEnd < kTrailerSize)
    return IntegrityFault{bounds.end,
                          "no room for the 16-byte package trailer after the "
                          "executable image (package area [" +
                              N(bounds.imageEnd) + ", " + N(bounds.end) + "))"};
  const int64_t trailerAt = bounds.end - kTrailerSize;
  stats.declaredSize = ReadInt64At(in, trailerAt);
  const int64_t settings = ReadInt64At(in, trailerAt + 8);
  stats.settingsOffset = settings;
  if (settings <= 0)
    return IntegrityFault{
        trailerAt + 8, "the trailer names no settings block (settings offset " + N(settings) + ")"};
  if (settings < bounds.imageEnd || settings >= trailerAt)
    return IntegrityFault{trailerAt + 8, "settings offset " + N(settings) +
                                             " lies outside the package area [" +
                                             N(bounds.imageEnd) + ", " + N(trailerAt) + ")"};

  std::string stream;
  try {
    ExtractRegion(
        in,
        [&](const char* p, size_t n) {
          if (stream.size() + n > kMaxSettingsStream)
            throw ChunkError(settings, "settings block inflates to more than " +
                                           N(static_cast<int64_t>(kMaxSettingsStream)) + " bytes");
          stream.append(p, n);
        },
        settings, trailerAt);
  } catch (const ChunkError& e) {
    return IntegrityFault{e.Offset(), std::string("settings block: ") + e.what()};
  }
  ++stats.regions;
  stats.settingsStream = std::move(stream);
  try {
    parsed.ParseSettings(stats.settingsStream);
  } catch (const Error& e) {
    return IntegrityFault{settings, e.what()};
  }

  if (auto fault = ImpossibleSizeFault(parsed, stats.declaredSize, settings)) return fault;
  int64_t total = 0;
  for (const auto& f : parsed.Package().FileList())
    if (InflatedByThePass(*f, scope)) total = SaturatingAdd(total, f->UncompressedSize);
  if (progress) progress(0, total);

  const auto& files = parsed.Package().FileList();
  for (size_t i = 0; i < files.size(); ++i) {
    const TCompileFileData& f = *files[i];
    try {
      RelativeStagingPath(f, i);  // a name that staging would refuse
    } catch (const Error& e) {
      return IntegrityFault{settings, e.what()};
    }
    if (f.Kind == kind::Folder) continue;
    if (f.DataStart < bounds.imageEnd || f.DataEnd < f.DataStart || f.DataEnd > settings)
      return IntegrityFault{settings, ItemName(i, f) + "data region [" + N(f.DataStart) + ", " +
                                          N(f.DataEnd) + ") lies outside the package data [" +
                                          N(bounds.imageEnd) + ", " + N(settings) + ")"};
  }
  if (auto fault = CheckRegions(in, files, total, progress, stats, scope)) return fault;
  // After the data: a region that does not match its record is the more telling fault.
  return DeclaredSizeFault(parsed, stats.declaredSize, trailerAt);
}

}  // namespace

std::optional<IntegrityFault> CheckPackage(InputStream& in, TCompile& parsed,
                                           const IntegrityProgress& progress, IntegrityStats* stats,
                                           CheckScope scope) {
  IntegrityStats local;
  std::optional<IntegrityFault> fault;
  try {
    fault = Check(in, parsed, progress, local, scope);
  } catch (const ChunkError& e) {  // the trailer could not be read
    fault = IntegrityFault{e.Offset(), e.what()};
  }
  if (stats) *stats = std::move(local);
  return fault;
}

std::string DamagedSetupMessage(int64_t offset) {
  return package_text::kDamagedSetup + std::to_string(offset);
}

void CheckSetupFile(TCompile& model, const IntegrityProgress& progress) {
  if (model.Run().PackageChecked) return;
  Platform& platform = model.GetPlatform();
  const std::string path = platform.ExecutablePath();
  if (!platform.FileExists(path)) return;
  auto in = platform.OpenRead(path);
  TCompile scratch(platform);
  if (auto fault = CheckPackage(*in, scratch, progress, nullptr, CheckScope::ExceptInstalledFiles))
    throw Error(DamagedSetupMessage(fault->offset));
  model.Run().PackageChecked = true;
}

void LoadSetupFile(TCompile& model) {
  try {
    model.LoadPackage(model.GetPlatform().ExecutablePath());
  } catch (const Error&) {
    CheckSetupFile(model);  // throws the damaged-file message when the package is damaged
    throw;
  }
}

}  // namespace sk
