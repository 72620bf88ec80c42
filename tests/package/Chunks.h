// Test helper: the chunk framing of a region, each chunk inflated on its own.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "package/Container.h"
#include "package/Writer.h"
#include "tests/support/PackageBuilder.h"

namespace sk::test {

// Inflates every chunk of region `r` of `file` separately; every chunk must be one zlib stream
// at the default level and the chunks must end exactly at the region's end.
inline std::vector<std::string> InflatedChunks(const std::string& file, Region r) {
  std::vector<std::string> chunks;
  StringInputStream in(file);
  int64_t pos = r.start;
  while (pos + 4 <= r.end) {
    int32_t len;
    std::memcpy(&len, file.data() + pos, 4);
    EXPECT_EQ(static_cast<unsigned char>(file[pos + 4]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(file[pos + 5]), 0x9C);
    chunks.push_back(ExtractRegionToString(in, pos, pos + 4 + len));
    pos += 4 + len;
  }
  EXPECT_EQ(pos, r.end);
  return chunks;
}

// The pieces a writer cuts `payload` into: kChunkPieceSize bytes each, the last one shorter,
// none for an empty payload.
inline std::vector<std::string> ExpectedPieces(const std::string& payload) {
  std::vector<std::string> pieces;
  for (size_t at = 0; at < payload.size(); at += kChunkPieceSize)
    pieces.push_back(payload.substr(at, kChunkPieceSize));
  return pieces;
}

}  // namespace sk::test
