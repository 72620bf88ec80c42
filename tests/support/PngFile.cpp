#include "tests/support/PngFile.h"

#include <zlib.h>

#include <stdexcept>
#include <utility>

namespace sk::test {

namespace {

void AppendBigEndian(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(v >> shift);
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
  AppendBigEndian(out, static_cast<uint32_t>(data.size()));
  const std::string body = type + data;
  out += body;
  AppendBigEndian(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                   static_cast<uInt>(body.size()))));
}

}  // namespace

std::string PngFile(uint32_t width, uint32_t height, PngPixels kind, const uint8_t* pixels) {
  const size_t channels = kind == PngPixels::Grey ? 1 : 4;
  const size_t row = width * channels;
  std::string raw;
  raw.reserve((row + 1) * height);
  for (uint32_t y = 0; y < height; ++y) {
    raw += '\0';  // filter type None
    const size_t start = raw.size();
    raw.append(reinterpret_cast<const char*>(pixels) + y * row, row);
    if (kind == PngPixels::Bgra)
      for (size_t x = start; x < raw.size(); x += 4) std::swap(raw[x], raw[x + 2]);
  }
  uLongf zsize = compressBound(static_cast<uLong>(raw.size()));
  std::string z(zsize, '\0');
  if (compress(reinterpret_cast<Bytef*>(z.data()), &zsize,
               reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size())) != Z_OK)
    throw std::runtime_error("PngFile: zlib compression failed");
  z.resize(zsize);

  std::string header;
  AppendBigEndian(header, width);
  AppendBigEndian(header, height);
  header += '\x08';  // bits per channel
  header += kind == PngPixels::Grey ? '\0' : '\x06';
  header += std::string(3, '\0');  // compression, filter and interlace methods
  std::string out = "\x89PNG\r\n\x1a\n";
  AppendChunk(out, "IHDR", header);
  AppendChunk(out, "IDAT", z);
  AppendChunk(out, "IEND", "");
  return out;
}

}  // namespace sk::test
