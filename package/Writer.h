// The package writer: appends a package to an output that already holds the runtime stub.
//
// Layout written: 8-byte preamble, the file data regions (each a run of chunks, payload cut
// into kChunkPieceSize pieces, each one zlib stream at the default level), the settings block
// (a run of chunks over the settings stream), the 16-byte trailer (Size, settings offset).
//
// Pieces are compressed on `threads` worker threads (0: all cores); the bytes written are
// identical whatever the number of threads. Memory is bounded by a few pieces per thread.
// Errors from the input or output streams propagate as sk::Error.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "package/Compile.h"
#include "platform/Platform.h"

namespace sk {

struct Region {
  int64_t start = 0;
  int64_t end = 0;
};

// Serialises the settings stream (sections 1-9) of a model exactly as a reader parses it.
std::string SerializeSettings(const TCompile& model);

class PackageWriter {
 public:
  // `baseOffset`: how many bytes `out` already holds (the stub), so offsets are absolute.
  PackageWriter(OutputStream& out, int64_t baseOffset, unsigned threads = 0);

  void WritePreamble();  // the 8 bytes before the first region
  // Appends the payload as a run of chunks and returns its absolute region.
  Region AppendRegion(InputStream& payload);
  Region AppendRegion(const std::string& payload);
  // Writes the settings block of `model` and the trailer (Size = model.Size).
  void Finish(const TCompile& model);

  int64_t Offset() const { return offset_; }
  // Called after each piece with the number of payload bytes consumed so far.
  std::function<void(int64_t bytesIn)> OnProgress;

 private:
  Region AppendPieces(const std::function<size_t(char*, size_t)>& readPiece);
  OutputStream& out_;
  int64_t offset_;
  unsigned threads_;
  int64_t bytesIn_ = 0;
};

}  // namespace sk
