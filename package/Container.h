// The byte layer of the package appended to Setup.exe: chunk runs, length-prefixed strings
// (TElement) and comma text.
//
// Layout (from the end of the file): 16-byte trailer = Int64 Size, Int64 settings offset.
// A region [start, end) is a run of chunks: Int32 length L, then L bytes of one zlib stream.
//
// Errors: every reader here works on untrusted bytes and throws sk::Error with a message that
// says what is wrong and at which offset; none reads past its data, allocates from an
// unchecked count, or loops without progress.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace sk {

// Writers cut payloads into pieces of this size before compressing each on its own.
constexpr size_t kChunkPieceSize = 3145728;
// A reader refuses a chunk whose compressed length exceeds this (a writer never produces
// more than a few bytes over the piece size).
constexpr int32_t kMaxCompressedChunk = 64 * 1024 * 1024;
// A reader refuses a chunk that inflates to more than this (guards against inflation bombs).
constexpr size_t kMaxInflatedChunk = 256 * 1024 * 1024;

// The error of a malformed chunk run: Offset() is the file offset of the chunk at fault (the
// region's start when the region itself lies outside the file).
class ChunkError : public Error {
 public:
  ChunkError(int64_t offset, const std::string& message) : Error(message), offset_(offset) {}
  int64_t Offset() const { return offset_; }

 private:
  int64_t offset_;
};

// Allocates like std::allocator but leaves a new element of a trivial type as the memory holds
// it when no value is given: a buffer that is read into right after it grows is not cleared
// first (for chunks of up to 3 MiB per file that clearing showed in profiles).
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <class U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept(noexcept(U())) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// The compressed bytes of one chunk, as ChunkWalker reads them.
using ChunkBytes = std::vector<unsigned char, UninitialisedAllocator<unsigned char>>;

// Receives inflated bytes chunk by chunk.
using ByteSink = std::function<void(const char* data, size_t n)>;

// Inflates the chunk run [start, end) of `in` into `sink`, one chunk in memory at a time.
// Throws ChunkError when a chunk length is negative or too large, a chunk runs past `end` or the
// file, or a chunk is not exactly one complete zlib stream.
void ExtractRegion(InputStream& in, const ByteSink& sink, int64_t start, int64_t end);
void ExtractRegion(InputStream& in, OutputStream& out, int64_t start, int64_t end);

// ExtractRegion for a run over many regions: the chunk buffer, the inflater and its output
// block are made at the first chunk and kept from one region to the next, so a file costs no
// allocations of its own (buffers this large are fresh pages from the system each time, which
// showed per file under Wine). Not for use from two threads at once.
class RegionExtractor {
 public:
  RegionExtractor();
  ~RegionExtractor();
  RegionExtractor(const RegionExtractor&) = delete;
  RegionExtractor& operator=(const RegionExtractor&) = delete;
  // As ExtractRegion.
  void Extract(InputStream& in, const ByteSink& sink, int64_t start, int64_t end);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
std::string ExtractRegionToString(InputStream& in, int64_t start, int64_t end);

// Steps through the chunk run [start, end) of `in`, checking each chunk's framing (its length
// positive, at most kMaxCompressedChunk, inside the region) and reading its bytes. The
// constructor throws ChunkError when the region lies outside the file; Next returns false at
// the end of the region and throws ChunkError on bad framing or a short read. The stream must
// not be moved by anyone else while walking.
class ChunkWalker {
 public:
  ChunkWalker(InputStream& in, int64_t start, int64_t end);
  bool Next(ChunkBytes& chunk, int64_t& chunkOffset);

 private:
  InputStream& in_;
  int64_t pos_;
  int64_t end_;
};

// Inflates one chunk read by ChunkWalker into nothing and returns its inflated length: the
// check of its zlib stream and Adler-32 checksum. Throws ChunkError as ExtractRegion does. One
// per thread; reusable.
class ChunkCounter {
 public:
  ChunkCounter();
  ~ChunkCounter();
  ChunkCounter(const ChunkCounter&) = delete;
  ChunkCounter& operator=(const ChunkCounter&) = delete;
  int64_t Count(const ChunkBytes& chunk, int64_t chunkOffset);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A read cursor over an in-memory stream of bytes (the inflated settings stream, a log body).
class MemoryReader {
 public:
  MemoryReader(const std::string& data, std::string what) : data_(data), what_(std::move(what)) {}
  int32_t ReadInt32();
  int64_t ReadInt64();
  uint8_t ReadByte();
  double ReadDouble();
  size_t Position() const { return pos_; }
  size_t Remaining() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ == data_.size(); }
  // Throws Error "<what>: <message> at offset <pos>" (FailAt: at offset `at`).
  [[noreturn]] void Fail(const std::string& message) const { FailAt(pos_, message); }
  [[noreturn]] void FailAt(size_t at, const std::string& message) const;
  void ReadBytes(void* out, size_t n);
  std::string ReadBytes(size_t n);

 private:
  const std::string& data_;
  std::string what_;
  size_t pos_ = 0;
};

// Appends little-endian values to a byte string.
class MemoryWriter {
 public:
  void WriteInt32(int32_t v);
  void WriteInt64(int64_t v);
  void WriteByte(uint8_t v);
  void WriteDouble(double v);
  void WriteBytes(const void* p, size_t n) { data_.append(static_cast<const char*>(p), n); }
  std::string& Data() { return data_; }
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
};

// The String element: Int32 byte count N, then N bytes. ReadString throws Error on a negative
// count or one that runs past the data.
class TElement {
 public:
  static std::string ReadString(MemoryReader& r);
  static void WriteString(MemoryWriter& w, const std::string& s);
};

// Comma text of a string list (items joined by ","; items with 0x01-0x20, "," or '"' quoted).
std::string WriteCommaText(const std::vector<std::string>& items);
std::vector<std::string> ParseCommaText(const std::string& text);
// The same, but std::nullopt as soon as the text holds more than `maxItems` items: the items of
// a short text of commas take far more memory than its bytes, so untrusted text is parsed
// against a budget.
std::optional<std::vector<std::string>> ParseCommaTextAtMost(const std::string& text,
                                                             size_t maxItems);

// Compresses `data` as one zlib stream at `level` (default: Z_DEFAULT_COMPRESSION).
std::string ZlibCompress(const std::string& data, int level = -1);

}  // namespace sk
