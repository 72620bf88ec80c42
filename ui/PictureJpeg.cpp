// JPEG decoding with libjpeg. libjpeg reports errors through a callback that must not return;
// it jumps back to the decode function with longjmp, so no object with a destructor may be
// created between setjmp and the last libjpeg call (the result buffer is created before).
#include <csetjmp>
#include <cstdio>  // jpeglib.h uses FILE
#include <cstring>

#include <jpeglib.h>
// jpeglib.h first: jerror.h uses its types.
#include <jerror.h>

#include "platform/Error.h"
#include "ui/Picture.h"

namespace sk {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings are ignored except the end of the data: libjpeg would go on decoding a cut-off file
// as grey rows, so a few hundred bytes claiming 8000 x 8000 pixels cost a full decode of a
// 256 MiB bitmap. A cut-off picture is damaged like any other.
void OnJpegMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) OnJpegError(info);
}

}  // namespace

Bitmap32 DecodeJpeg(const std::string& bytes, const std::string& what, uint64_t maxPixels) {
  if (maxPixels > kMaxPicturePixels) maxPixels = kMaxPicturePixels;
  Bitmap32 bmp;
  std::vector<uint8_t> row;
  jpeg_decompress_struct info{};
  ErrorManager err{};
  info.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  err.pub.emit_message = OnJpegMessage;
  // 0: not started, 1: header read and size refused, 2: libjpeg failed.
  volatile int failure = 0;
  if (setjmp(err.jump)) {
    failure = 2;
  } else {
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    // The size is checked before decompression starts: for a progressive file libjpeg reads
    // every scan into a whole-picture coefficient buffer inside jpeg_start_decompress. Its own
    // working memory is capped as well (beyond it libjpeg fails, having no backing store).
    info.mem->max_memory_to_use = static_cast<long>(maxPixels * 4);
    const uint64_t iw = info.image_width, ih = info.image_height;
    if (iw == 0 || ih == 0 || iw * ih > maxPixels) {
      failure = 1;
    } else {
      jpeg_start_decompress(&info);
    }
    const uint64_t w = info.output_width, h = info.output_height;
    if (failure == 1 || w == 0 || h == 0 || w * h > maxPixels || info.output_components != 3) {
      failure = 1;
    } else {
      bmp.width = info.output_width;
      bmp.height = info.output_height;
      // Reserved, then grown a row at a time: a file that ends early is refused at its last
      // row without the whole bitmap having been cleared first.
      bmp.pixels.reserve(static_cast<size_t>(w * h * 4));
      row.resize(static_cast<size_t>(w * 3));
      while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) {  // a source that cannot go on
          // Copied, not formatted: snprintf would link mingw's C99 printf into the stub.
          static constexpr char kNoMoreRows[] = "no more rows";
          std::memcpy(err.message, kNoMoreRows, sizeof kNoMoreRows);
          failure = 2;
          break;
        }
        bmp.pixels.resize(bmp.pixels.size() + static_cast<size_t>(w * 4));
        uint8_t* out = bmp.pixels.data() + bmp.pixels.size() - static_cast<size_t>(w * 4);
        for (uint64_t x = 0; x < w; ++x) {
          out[x * 4 + 0] = row[x * 3 + 2];
          out[x * 4 + 1] = row[x * 3 + 1];
          out[x * 4 + 2] = row[x * 3 + 0];
          out[x * 4 + 3] = 255;
        }
      }
      if (failure == 0) jpeg_finish_decompress(&info);
    }
  }
  jpeg_destroy_decompress(&info);
  if (failure == 1) {
    throw Error(what + ": JPEG picture of unsupported size or colour layout (" +
                std::to_string(info.image_width) + "x" + std::to_string(info.image_height) + ")");
  }
  if (failure == 2) throw Error(what + ": damaged JPEG picture (" + err.message + ")");
  return bmp;
}

}  // namespace sk
