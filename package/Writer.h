// The package writer: appends a package to an output that already holds the runtime stub.
//
// Layout written: 8-byte preamble, the file data regions (each a run of chunks, payload cut
// into kChunkPieceSize pieces, each one zlib stream at the default level), the settings block
// (a run of chunks over the settings stream), the 16-byte trailer (Size, settings offset).
//
// Pieces are compressed on a pool of `threads` worker threads (0: all cores) that lives as long
// as the writer; with one thread they are compressed on the calling thread. The bytes written
// are identical whatever the number of threads. At most two pieces per thread are in flight,
// each holding a piece buffer and a chunk buffer allocated once, so memory stays bounded by
// about 12 MiB per thread whatever the size or number of payloads.
//
// Errors from the input or output streams, or from a payload source, propagate as sk::Error
// once the pieces in flight are settled (no worker is left holding them); the output is then
// incomplete and the writer must not be used further.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "package/Compile.h"
#include "package/SettingsStream.h"
#include "platform/Platform.h"

namespace sk {

struct Region {
  int64_t start = 0;
  int64_t end = 0;
};

// Opens one payload when the writer reaches it; the stream is released after its last byte.
using PayloadSource = std::function<std::unique_ptr<InputStream>()>;

class PackageWriter {
 public:
  // `baseOffset`: how many bytes `out` already holds (the stub), so offsets are absolute.
  PackageWriter(OutputStream& out, int64_t baseOffset, unsigned threads = 0);
  ~PackageWriter();  // stops and joins the workers
  PackageWriter(const PackageWriter&) = delete;
  PackageWriter& operator=(const PackageWriter&) = delete;

  void WritePreamble();  // the 8 bytes before the first region
  // Appends the payload as a run of chunks and returns its absolute region.
  Region AppendRegion(InputStream& payload);
  Region AppendRegion(const std::string& payload);
  // Appends one region per source, in order; the pieces of consecutive payloads share the
  // workers, so many small payloads compress in parallel. The output equals that of one
  // AppendRegion per payload. Only one source is open at a time.
  std::vector<Region> AppendRegions(const std::vector<PayloadSource>& sources);
  // Writes the settings block of `model` and the trailer (Size = model.Size).
  void Finish(const TCompile& model);

  int64_t Offset() const { return offset_; }
  // Called after each piece with the number of payload bytes consumed so far.
  std::function<void(int64_t bytesIn)> OnProgress;

 private:
  class Pipeline;  // the worker pool and its window of pieces in flight

  OutputStream& out_;
  int64_t offset_;
  unsigned threads_;
  int64_t bytesIn_ = 0;
  std::unique_ptr<Pipeline> pipeline_;
};

}  // namespace sk
