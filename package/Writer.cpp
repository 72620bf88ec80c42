// The package writer: preamble, data regions, settings block and trailer. Payloads are cut into
// pieces of kChunkPieceSize bytes; each piece becomes one zlib stream. Pieces are compressed by
// a pool of worker threads over a ring of slots (a bounded window of pieces in flight) and
// written strictly in ring order, so the bytes do not depend on the number of threads.
#include "package/Writer.h"

#include <libdeflate.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include "package/Container.h"
#include "platform/MemoryStream.h"

namespace sk {

namespace {

// The eight bytes before the first region: a tag that marks where the package begins in a
// setup file and the layout version 1. Readers locate everything through the trailer and
// never look at it.
constexpr char kPreamble[8] = {'S', 'K', 'P', 'K', 'G', '\0', '\0', '\1'};

void WriteLe64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>(v >> (8 * i));
}

// A libdeflate compressor at level 6, kept for many pieces; each piece becomes one complete
// zlib stream. Compression takes the whole piece at once, which is what the writer has anyway,
// and is several times faster than zlib's streaming deflater at its default level. The bytes
// depend only on the piece and the library's version, never on the thread that compresses it.
class Deflater {
 public:
  static constexpr int kLevel = 6;

  Deflater() : c_(libdeflate_alloc_compressor(kLevel)) {
    if (!c_) throw Error("deflate: cannot allocate the compressor");
  }
  ~Deflater() { libdeflate_free_compressor(c_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // Room for one framed chunk of a full piece: the Int32 length and the worst-case stream.
  size_t ChunkCapacity() const { return 4 + libdeflate_zlib_compress_bound(c_, kChunkPieceSize); }

  // Frames `n` bytes of `piece` (n <= kChunkPieceSize) as a chunk in `chunk`
  // (ChunkCapacity() bytes); returns its size.
  size_t Frame(const char* piece, size_t n, char* chunk, size_t capacity) {
    const size_t z = libdeflate_zlib_compress(c_, piece, n, chunk + 4, capacity - 4);
    if (z == 0) throw Error("deflate: a piece of " + std::to_string(n) + " bytes did not fit");
    for (int i = 0; i < 4; ++i) chunk[i] = static_cast<char>(static_cast<uint32_t>(z) >> (8 * i));
    return 4 + z;
  }

 private:
  libdeflate_compressor* c_;
};

// Fills `piece` (kChunkPieceSize bytes) from `in`; fewer bytes only at the end of the data.
size_t ReadPiece(InputStream& in, char* piece) {
  size_t got = 0;
  while (got < kChunkPieceSize) {
    size_t n = in.Read(piece + got, kChunkPieceSize - got);
    if (n == 0) break;
    got += n;
  }
  return got;
}

// Reads a caller's stream without owning it.
class BorrowedStream : public InputStream {
 public:
  explicit BorrowedStream(InputStream& in) : in_(in) {}
  int64_t Size() override { return in_.Size(); }
  int64_t Position() override { return in_.Position(); }
  void Seek(int64_t absolute) override { in_.Seek(absolute); }
  size_t Read(void* buffer, size_t n) override { return in_.Read(buffer, n); }

 private:
  InputStream& in_;
};

}  // namespace

// The worker pool and the ring of pieces in flight. Only the writer's thread fills, submits and
// releases slots; workers take submitted slots in order and mark them done. A slot is touched by
// one side at a time: the writer between Release and Submit, a worker between taking and done.
class PackageWriter::Pipeline {
 public:
  struct Slot {
    std::unique_ptr<char[]> piece;  // kChunkPieceSize bytes, allocated on first use
    size_t size = 0;
    std::unique_ptr<char[]> chunk;  // chunkCapacity_ bytes
    size_t chunkSize = 0;
    bool done = false;
    std::exception_ptr error;
  };

  // threads <= 1: no workers, pieces are compressed by Submit on the calling thread.
  explicit Pipeline(unsigned threads)
      : slots_(threads <= 1 ? 1 : 2 * size_t{threads}), chunkCapacity_(Deflater().ChunkCapacity()) {
    if (threads <= 1) {
      inline_.emplace();
      return;
    }
    try {
      for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
    } catch (...) {
      Stop();
      throw;
    }
  }
  ~Pipeline() { Stop(); }

  uint64_t Submitted() const { return submitted_; }
  uint64_t Emitted() const { return emitted_; }
  bool Empty() const { return submitted_ == emitted_; }
  bool Full() const { return submitted_ - emitted_ == slots_.size(); }

  // The free slot for the next piece (the ring must not be Full).
  Slot& Next() {
    Slot& s = slots_[submitted_ % slots_.size()];
    if (!s.piece) {
      s.piece = std::make_unique_for_overwrite<char[]>(kChunkPieceSize);
      s.chunk = std::make_unique_for_overwrite<char[]>(chunkCapacity_);
    }
    return s;
  }

  // Hands the filled Next() slot over for compression.
  void Submit() {
    if (inline_) {
      Slot& s = slots_[submitted_ % slots_.size()];
      s.chunkSize = inline_->Frame(s.piece.get(), s.size, s.chunk.get(), chunkCapacity_);
      s.done = true;
      ++submitted_;
      ++taken_;
      return;
    }
    {
      std::lock_guard lock(mutex_);
      ++submitted_;
    }
    work_.notify_one();
  }

  // Waits for the oldest piece in flight; throws the error of its compression.
  Slot& Oldest() {
    Slot& s = slots_[emitted_ % slots_.size()];
    if (!inline_) {
      std::unique_lock lock(mutex_);
      done_.wait(lock, [&s] { return s.done; });
    }
    if (s.error) std::rethrow_exception(s.error);
    return s;
  }

  // Frees the oldest slot once its chunk is written.
  void Release() {
    Slot& s = slots_[emitted_ % slots_.size()];
    s.done = false;
    ++emitted_;
  }

  // After a failure: waits until no worker holds a piece, then drops every piece in flight.
  void Settle() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] {
      for (uint64_t i = emitted_; i < submitted_; ++i)
        if (!slots_[i % slots_.size()].done) return false;
      return true;
    });
    for (; emitted_ < submitted_; ++emitted_) {
      Slot& s = slots_[emitted_ % slots_.size()];
      s.done = false;
      s.error = nullptr;
    }
  }

 private:
  void Work() {
    std::optional<Deflater> deflater;
    std::unique_lock lock(mutex_);
    for (;;) {
      work_.wait(lock, [this] { return stop_ || taken_ < submitted_; });
      if (taken_ == submitted_) return;  // stopping with nothing left
      Slot& s = slots_[taken_++ % slots_.size()];
      lock.unlock();
      try {
        if (!deflater) deflater.emplace();
        s.chunkSize = deflater->Frame(s.piece.get(), s.size, s.chunk.get(), chunkCapacity_);
      } catch (...) {
        s.error = std::current_exception();
      }
      lock.lock();
      s.done = true;
      done_.notify_one();  // only the writer's thread waits on done_
    }
  }

  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    work_.notify_all();
    for (auto& t : workers_) t.join();
    workers_.clear();
  }

  std::vector<Slot> slots_;
  size_t chunkCapacity_;
  std::optional<Deflater> inline_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable work_;  // workers: a piece was submitted, or stop
  std::condition_variable done_;  // writer: a piece is compressed
  uint64_t submitted_ = 0;        // pieces handed over (written by the writer under mutex_)
  uint64_t taken_ = 0;            // pieces taken by workers (under mutex_)
  uint64_t emitted_ = 0;          // pieces written and released (writer's thread only)
  bool stop_ = false;
};

PackageWriter::PackageWriter(OutputStream& out, int64_t baseOffset, unsigned threads)
    : out_(out), offset_(baseOffset), threads_(threads) {
  if (threads_ == 0) threads_ = std::max(1u, std::thread::hardware_concurrency());
}

PackageWriter::~PackageWriter() = default;

void PackageWriter::WritePreamble() {
  out_.Write(kPreamble, sizeof kPreamble);
  offset_ += static_cast<int64_t>(sizeof kPreamble);
}

std::vector<Region> PackageWriter::AppendRegions(const std::vector<PayloadSource>& sources) {
  if (!pipeline_) pipeline_ = std::make_unique<Pipeline>(threads_);
  Pipeline& p = *pipeline_;
  const int64_t firstStart = offset_;
  std::vector<Region> regions(sources.size());
  // Regions read to the end, with the number of pieces submitted when they ended: a region is
  // complete (its end is offset_) once that many pieces are written.
  std::deque<std::pair<size_t, uint64_t>> ending;
  auto closeEnded = [&] {
    for (; !ending.empty() && ending.front().second <= p.Emitted(); ending.pop_front())
      regions[ending.front().first].end = offset_;
  };
  auto emitOldest = [&] {
    const Pipeline::Slot& s = p.Oldest();
    out_.Write(s.chunk.get(), s.chunkSize);
    offset_ += static_cast<int64_t>(s.chunkSize);
    const size_t size = s.size;
    p.Release();
    bytesIn_ += static_cast<int64_t>(size);
    if (OnProgress) OnProgress(bytesIn_);
    closeEnded();
  };

  try {
    for (size_t i = 0; i < sources.size(); ++i) {
      std::unique_ptr<InputStream> in = sources[i]();
      if (!in) throw Error("payload " + std::to_string(i) + " could not be opened");
      for (;;) {
        if (p.Full()) emitOldest();
        Pipeline::Slot& s = p.Next();
        s.size = ReadPiece(*in, s.piece.get());
        if (s.size == 0) break;
        p.Submit();
        if (s.size < kChunkPieceSize) break;  // the stream ended inside this piece
      }
      ending.emplace_back(i, p.Submitted());
      closeEnded();
    }
    while (!p.Empty()) emitOldest();
  } catch (...) {
    p.Settle();
    throw;
  }
  int64_t start = firstStart;
  for (auto& r : regions) {
    r.start = start;
    start = r.end;
  }
  return regions;
}

Region PackageWriter::AppendRegion(InputStream& payload) {
  return AppendRegions({[&payload] { return std::make_unique<BorrowedStream>(payload); }})[0];
}

Region PackageWriter::AppendRegion(const std::string& payload) {
  return AppendRegions({[&payload] { return std::make_unique<MemoryInputStream>(payload); }})[0];
}

void PackageWriter::Finish(const TCompile& model) {
  std::string settings = SerializeSettings(model.Package());
  Region block = AppendRegion(settings);
  std::string trailer;
  WriteLe64(trailer, static_cast<uint64_t>(model.Package().Size));
  WriteLe64(trailer, static_cast<uint64_t>(block.start));
  out_.Write(trailer.data(), trailer.size());
  offset_ += static_cast<int64_t>(trailer.size());
}

}  // namespace sk
