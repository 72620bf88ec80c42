#include "ui/Picture.h"

#include <png.h>

#include "package/Compile.h"
#include "platform/Error.h"

namespace sk {

PictureKind PictureKindOf(const std::string& path) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return PictureKind::Other;
  const std::string ext = LowerAscii(name.substr(dot + 1));
  if (ext == "png") return PictureKind::Png;
  if (ext == "jpg" || ext == "jpeg") return PictureKind::Jpeg;
  return PictureKind::Other;
}

void CheckPictureSize(uint64_t width, uint64_t height, const std::string& what,
                      uint64_t maxPixels) {
  if (maxPixels > kMaxPicturePixels) maxPixels = kMaxPicturePixels;
  if (width == 0 || height == 0 || width * height > maxPixels) {
    throw Error(what + ": picture size " + std::to_string(width) + "x" + std::to_string(height) +
                " is not supported");
  }
}

Bitmap32 DecodePng(const std::string& bytes, const std::string& what, uint64_t maxPixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    const std::string reason = image.message;
    png_image_free(&image);
    throw Error(what + ": not a readable PNG picture (" + reason + ")");
  }
  try {
    CheckPictureSize(image.width, image.height, what, maxPixels);
  } catch (...) {
    png_image_free(&image);
    throw;
  }
  image.format = PNG_FORMAT_BGRA;
  Bitmap32 bmp;
  bmp.width = image.width;
  bmp.height = image.height;
  bmp.pixels.resize(static_cast<size_t>(bmp.width) * bmp.height * 4);
  if (!png_image_finish_read(&image, nullptr, bmp.pixels.data(), 0, nullptr)) {
    const std::string reason = image.message;
    png_image_free(&image);
    throw Error(what + ": damaged PNG picture (" + reason + ")");
  }
  return bmp;
}

}  // namespace sk
