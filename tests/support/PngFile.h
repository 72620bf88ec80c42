// PNG files written with zlib alone, for tests: Setup.exe's libpng is built to read only, so the
// tests (pictures to decode, screenshots of windows) write their PNG files with this instead.
// Pixels are 8 bits per channel, rows top to bottom without padding; the file is unfiltered and
// not interlaced, which every PNG reader accepts.
#pragma once

#include <cstdint>
#include <string>

namespace sk::test {

enum class PngPixels {
  Grey,  // one byte per pixel (colour type 0)
  Rgba,  // red, green, blue, alpha (colour type 6)
  Bgra,  // blue, green, red, alpha, as a 32-bit Windows bitmap holds them; written as RGBA
};

std::string PngFile(uint32_t width, uint32_t height, PngPixels kind, const uint8_t* pixels);

}  // namespace sk::test
