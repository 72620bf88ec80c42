// Portable decoding of the PNG and JPEG pictures that a package supplies, into a 32-bit
// top-down bitmap (bytes B, G, R, A per pixel; alpha 255 for JPEG).
//
// The kind is chosen by the file's extension without regard to letter case: "png" → PNG,
// "jpg" / "jpeg" → JPEG; anything else is PictureKind::Other and left to the platform.
// Errors: picture bytes are untrusted. A damaged or truncated picture, or one larger than
// kMaxPicturePixels, throws sk::Error naming `what` (usually the file) and the reason; nothing
// is read past the data and no allocation is made from an unchecked size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sk {

enum class PictureKind { Png, Jpeg, Other };

constexpr uint64_t kMaxPicturePixels = 64ull * 1024 * 1024;

struct Bitmap32 {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> pixels;  // width * height * 4 bytes, BGRA, rows top to bottom
};

PictureKind PictureKindOf(const std::string& path);
// Throws Error unless 0 < width * height <= min(maxPixels, kMaxPicturePixels).
void CheckPictureSize(uint64_t width, uint64_t height, const std::string& what,
                      uint64_t maxPixels = kMaxPicturePixels);
// `maxPixels` lowers the size limit (never above kMaxPicturePixels). For JPEG, libjpeg's own
// working memory is capped at four bytes per allowed pixel.
Bitmap32 DecodePng(const std::string& bytes, const std::string& what,
                   uint64_t maxPixels = kMaxPicturePixels);
Bitmap32 DecodeJpeg(const std::string& bytes, const std::string& what,
                    uint64_t maxPixels = kMaxPicturePixels);

}  // namespace sk
