// Chunk runs, the in-memory cursor and writer, the String element, comma text and zlib
// compression of one piece.
#include "package/Container.h"

#include <zlib.h>
#ifdef SK_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <cstring>
#include <memory>
#include <vector>

#include "package/GbkBytes.h"

namespace sk {

namespace {

// Inflated bytes are handed to the sink in blocks of this size, so memory stays bounded by
// the compressed chunk plus one block.
constexpr size_t kInflateBlock = 256 * 1024;
// ExtractRegionToString refuses a region that inflates to more than this in total.
constexpr size_t kMaxRegionInMemory = 256 * 1024 * 1024;

std::string At(int64_t offset) {
  return " at offset " + std::to_string(offset);
}

// Owns one zlib inflate stream for the duration of a region.
class Inflater {
 public:
  Inflater() {
    if (inflateInit(&zs_) != Z_OK) throw Error("zlib: cannot initialise the inflater");
  }
  ~Inflater() { inflateEnd(&zs_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Inflates `data` as exactly one complete zlib stream into `sink`. `chunkOffset` names the
  // chunk in error messages.
  void InflateChunk(const unsigned char* data, size_t size, const ByteSink& sink,
                    int64_t chunkOffset) {
    if (inflateReset(&zs_) != Z_OK) throw Error("zlib: cannot reset the inflater");
    zs_.next_in = const_cast<unsigned char*>(data);
    zs_.avail_in = static_cast<uInt>(size);
    size_t total = 0;
    for (;;) {
      zs_.next_out = out_;
      zs_.avail_out = sizeof(out_);
      int rc = inflate(&zs_, Z_NO_FLUSH);
      size_t produced = sizeof(out_) - zs_.avail_out;
      total += produced;
      if (total > kMaxInflatedChunk)
        throw ChunkError(chunkOffset, "chunk" + At(chunkOffset) + " inflates to more than " +
                                          std::to_string(kMaxInflatedChunk) + " bytes");
      if (produced > 0) sink(reinterpret_cast<const char*>(out_), produced);
      if (rc == Z_STREAM_END) break;
      if (rc == Z_OK) continue;
      if (rc == Z_BUF_ERROR && zs_.avail_in == 0)
        throw ChunkError(chunkOffset,
                         "chunk" + At(chunkOffset) + " holds an incomplete zlib stream");
      throw ChunkError(chunkOffset, "chunk" + At(chunkOffset) + " does not inflate (" +
                                        (zs_.msg ? zs_.msg : "zlib error " + std::to_string(rc)) +
                                        ")");
    }
    if (zs_.avail_in != 0)
      throw ChunkError(chunkOffset, "chunk" + At(chunkOffset) + " has " +
                                        std::to_string(zs_.avail_in) +
                                        " bytes after the end of its zlib stream");
  }

 private:
  z_stream zs_{};
  unsigned char out_[kInflateBlock];
};

void ReadExactly(InputStream& in, void* buffer, size_t n, int64_t offset) {
  size_t got = 0;
  auto* p = static_cast<char*>(buffer);
  while (got < n) {
    size_t r = in.Read(p + got, n - got);
    if (r == 0)
      throw ChunkError(offset, "unexpected end of file" + At(offset + static_cast<int64_t>(got)));
    got += r;
  }
}

}  // namespace

ChunkWalker::ChunkWalker(InputStream& in, int64_t start, int64_t end)
    : in_(in), pos_(start), end_(end) {
  if (start == end) return;
  const int64_t fileSize = in.Size();
  if (start < 0 || end < start || end > fileSize)
    throw ChunkError(start, "region [" + std::to_string(start) + ", " + std::to_string(end) +
                                ") lies outside the file of " + std::to_string(fileSize) +
                                " bytes");
  in.Seek(start);
}

bool ChunkWalker::Next(ChunkBytes& chunk, int64_t& chunkOffset) {
  const int64_t pos = pos_;
  if (pos >= end_) return false;
  if (end_ - pos < 4)
    throw ChunkError(pos, "chunk length" + At(pos) + " runs past the end of its region at " +
                              std::to_string(end_));
  unsigned char len[4];
  ReadExactly(in_, len, 4, pos);
  int32_t length = static_cast<int32_t>(
      static_cast<uint32_t>(len[0]) | static_cast<uint32_t>(len[1]) << 8 |
      static_cast<uint32_t>(len[2]) << 16 | static_cast<uint32_t>(len[3]) << 24);
  if (length <= 0)
    throw ChunkError(pos, "chunk" + At(pos) + " has an invalid length " + std::to_string(length));
  if (length > kMaxCompressedChunk)
    throw ChunkError(pos,
                     "chunk" + At(pos) + " is too large (" + std::to_string(length) + " bytes)");
  if (length > end_ - pos - 4)
    throw ChunkError(pos, "chunk" + At(pos) + " of " + std::to_string(length) +
                              " bytes runs past the end of its region at " + std::to_string(end_));
  chunk.resize(static_cast<size_t>(length));
  ReadExactly(in_, chunk.data(), chunk.size(), pos + 4);
  chunkOffset = pos;
  pos_ = pos + 4 + static_cast<int64_t>(length);
  return true;
}

namespace {

#ifdef SK_HAVE_LIBDEFLATE
// Whole-chunk inflation with libdeflate, about three times as fast as zlib's streaming, into a
// buffer that holds a piece as written. It only ever succeeds where zlib would produce the same
// bytes (both check the header, the deflate data and the Adler-32); a chunk that does not fit
// or does not inflate is handed to zlib, which streams it and names the fault, so the errors
// and the bytes delivered before them are zlib's.
class FastInflater {
 public:
  // The inflated bytes of `chunk`, or false when zlib has to take it.
  bool Inflate(const ChunkBytes& chunk, size_t& produced) {
    if (!decompressor_) return false;
    // Deflate expands data at most 1032 times, so a small chunk gets a small buffer.
    const size_t need =
        chunk.size() >= kOutput / kMaxExpansion ? kOutput : chunk.size() * kMaxExpansion + 64;
    if (need > capacity_) {
      out_ = std::make_unique_for_overwrite<unsigned char[]>(need);  // written before it is read
      capacity_ = need;
    }
    size_t used = 0;
    return libdeflate_zlib_decompress_ex(decompressor_.get(), chunk.data(), chunk.size(),
                                         out_.get(), capacity_, &used,
                                         &produced) == LIBDEFLATE_SUCCESS &&
           used == chunk.size();
  }
  const char* Output() const { return reinterpret_cast<const char*>(out_.get()); }

 private:
  static constexpr size_t kOutput = kChunkPieceSize + kChunkPieceSize / 4;
  static constexpr size_t kMaxExpansion = 1032;
  static_assert(kOutput <= kMaxInflatedChunk);
  std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor_{
      libdeflate_alloc_decompressor(), libdeflate_free_decompressor};
  std::unique_ptr<unsigned char[]> out_;
  size_t capacity_ = 0;
};
#else
// Builds without libdeflate (Setup.exe) inflate every chunk with zlib.
class FastInflater {
 public:
  bool Inflate(const ChunkBytes&, size_t&) { return false; }
  const char* Output() const { return nullptr; }
};
#endif

}  // namespace

struct ChunkCounter::Impl {
  Inflater inflater;
  FastInflater fast;
};

ChunkCounter::ChunkCounter() : impl_(std::make_unique<Impl>()) {}
ChunkCounter::~ChunkCounter() = default;

int64_t ChunkCounter::Count(const ChunkBytes& chunk, int64_t chunkOffset) {
  size_t produced = 0;
  if (impl_->fast.Inflate(chunk, produced)) return static_cast<int64_t>(produced);
  int64_t n = 0;
  impl_->inflater.InflateChunk(
      chunk.data(), chunk.size(), [&n](const char*, size_t got) { n += static_cast<int64_t>(got); },
      chunkOffset);
  return n;
}

struct RegionExtractor::Impl {
  // Both made at the first chunk: an empty region costs no buffers. The zlib inflater's output
  // block is large, so it is kept off the stack.
  std::unique_ptr<Inflater> inflater;
  std::unique_ptr<FastInflater> fast;
  ChunkBytes chunk;
};

RegionExtractor::RegionExtractor() : impl_(std::make_unique<Impl>()) {}
RegionExtractor::~RegionExtractor() = default;

void RegionExtractor::Extract(InputStream& in, const ByteSink& sink, int64_t start, int64_t end) {
  ChunkWalker walker(in, start, end);
  Impl& x = *impl_;
  int64_t offset = 0;
  while (walker.Next(x.chunk, offset)) {
    if (!x.fast) x.fast = std::make_unique<FastInflater>();
    size_t produced = 0;
    if (x.fast->Inflate(x.chunk, produced)) {
      if (produced > 0) sink(x.fast->Output(), produced);
      continue;
    }
    if (!x.inflater) x.inflater = std::make_unique<Inflater>();
    x.inflater->InflateChunk(x.chunk.data(), x.chunk.size(), sink, offset);
  }
}

void ExtractRegion(InputStream& in, const ByteSink& sink, int64_t start, int64_t end) {
  RegionExtractor().Extract(in, sink, start, end);
}

void ExtractRegion(InputStream& in, OutputStream& out, int64_t start, int64_t end) {
  ExtractRegion(
      in, [&out](const char* data, size_t n) { out.Write(data, n); }, start, end);
}

std::string ExtractRegionToString(InputStream& in, int64_t start, int64_t end) {
  std::string result;
  ExtractRegion(
      in,
      [&result, start](const char* data, size_t n) {
        if (result.size() + n > kMaxRegionInMemory)
          throw ChunkError(start, "region" + At(start) + " inflates to more than " +
                                      std::to_string(kMaxRegionInMemory) + " bytes");
        result.append(data, n);
      },
      start, end);
  return result;
}

// ---- MemoryReader ----

void MemoryReader::FailAt(size_t at, const std::string& message) const {
  throw Error(what_ + ": " + message + At(static_cast<int64_t>(at)));
}

void MemoryReader::ReadBytes(void* out, size_t n) {
  if (n > Remaining())
    Fail("needs " + std::to_string(n) + " bytes but only " + std::to_string(Remaining()) +
         " remain");
  if (n) std::memcpy(out, data_.data() + pos_, n);
  pos_ += n;
}

std::string MemoryReader::ReadBytes(size_t n) {
  if (n > Remaining())
    Fail("needs " + std::to_string(n) + " bytes but only " + std::to_string(Remaining()) +
         " remain");
  std::string s = data_.substr(pos_, n);
  pos_ += n;
  return s;
}

namespace {
template <typename T>
T ReadLittle(MemoryReader& r) {
  unsigned char b[sizeof(T)];
  r.ReadBytes(b, sizeof(T));
  uint64_t v = 0;
  for (size_t i = sizeof(T); i-- > 0;) v = v << 8 | b[i];
  return static_cast<T>(v);
}

template <typename T>
void WriteLittle(MemoryWriter& w, T value) {
  auto v = static_cast<uint64_t>(value);
  unsigned char b[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
  w.WriteBytes(b, sizeof(T));
}
}  // namespace

int32_t MemoryReader::ReadInt32() {
  return static_cast<int32_t>(ReadLittle<uint32_t>(*this));
}
int64_t MemoryReader::ReadInt64() {
  return static_cast<int64_t>(ReadLittle<uint64_t>(*this));
}
uint8_t MemoryReader::ReadByte() {
  return ReadLittle<uint8_t>(*this);
}
double MemoryReader::ReadDouble() {
  uint64_t bits = ReadLittle<uint64_t>(*this);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

// ---- MemoryWriter ----

void MemoryWriter::WriteInt32(int32_t v) {
  WriteLittle(*this, static_cast<uint32_t>(v));
}
void MemoryWriter::WriteInt64(int64_t v) {
  WriteLittle(*this, static_cast<uint64_t>(v));
}
void MemoryWriter::WriteByte(uint8_t v) {
  WriteLittle(*this, v);
}
void MemoryWriter::WriteDouble(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteLittle(*this, bits);
}

// ---- TElement ----

std::string TElement::ReadString(MemoryReader& r) {
  int32_t n = r.ReadInt32();
  if (n < 0) r.Fail("string length " + std::to_string(n) + " is negative");
  if (static_cast<size_t>(n) > r.Remaining())
    r.Fail("string length " + std::to_string(n) + " runs past the end of the data (" +
           std::to_string(r.Remaining()) + " bytes remain)");
  return r.ReadBytes(static_cast<size_t>(n));
}

void TElement::WriteString(MemoryWriter& w, const std::string& s) {
  if (s.size() > static_cast<size_t>(INT32_MAX))
    throw Error("string of " + std::to_string(s.size()) + " bytes is too long to store");
  w.WriteInt32(static_cast<int32_t>(s.size()));
  w.WriteBytes(s.data(), s.size());
}

// ---- comma text ----

namespace {
bool IsBlank(unsigned char c) {
  return c >= 0x01 && c <= 0x20;
}

bool NeedsQuotes(const std::string& item) {
  for (unsigned char c : item)
    if (c <= 0x20 || c == ',' || c == '"') return true;  // 0x00 too: it would end the text
  return false;
}
}  // namespace

std::string WriteCommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out += ',';
    const std::string& item = items[i];
    if (!NeedsQuotes(item)) {
      out += item;
      continue;
    }
    out += '"';
    for (char c : item) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

std::vector<std::string> ParseCommaText(const std::string& text) {
  return *ParseCommaTextAtMost(text, SIZE_MAX);
}

std::optional<std::vector<std::string>> ParseCommaTextAtMost(const std::string& text,
                                                             size_t maxItems) {
  // A zero byte outside quotes ends the text, as it would for a zero-terminated string.
  std::vector<std::string> items;
  auto add = [&](std::string item) {
    if (items.size() >= maxItems) return false;
    items.push_back(std::move(item));
    return true;
  };
  const size_t n = text.size();
  size_t i = 0;
  auto atEnd = [&] { return i >= n || text[i] == '\0'; };
  auto skipBlanks = [&] {
    while (i < n && IsBlank(static_cast<unsigned char>(text[i]))) ++i;
  };
  skipBlanks();
  while (!atEnd()) {
    std::string item;
    if (text[i] == '"') {
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;  // the closing quote
          break;
        }
        item += text[i++];
      }
    } else {
      size_t start = i;
      while (i < n) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c <= 0x20 || c == ',') break;
        i += gbk::CharLen(text, i);
      }
      item.assign(text, start, i - start);
    }
    if (!add(std::move(item))) return std::nullopt;
    skipBlanks();
    if (i < n && text[i] == ',') {
      if (i == n - 1 && !add({})) return std::nullopt;
      ++i;
      skipBlanks();
    }
  }
  return items;
}

// ---- compression ----

std::string ZlibCompress(const std::string& data, int level) {
  z_stream zs{};
  if (deflateInit(&zs, level) != Z_OK) throw Error("zlib: cannot initialise the deflater");
  std::string out(deflateBound(&zs, static_cast<uLong>(data.size())), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  int rc = deflate(&zs, Z_FINISH);
  size_t produced = out.size() - zs.avail_out;
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) throw Error("zlib: compression failed (" + std::to_string(rc) + ")");
  out.resize(produced);
  return out;
}

}  // namespace sk
