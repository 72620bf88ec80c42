// JPEG decoding with libjpeg. libjpeg reports errors through a callback that must not return;
// it jumps back to the decode function with longjmp, so no object with a destructor may be
// created between setjmp and the last libjpeg call (the result buffer is created before).
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

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

void IgnoreJpegMessage(j_common_ptr, int) {}

}  // namespace

Bitmap32 DecodeJpeg(const std::string& bytes, const std::string& what) {
  Bitmap32 bmp;
  std::vector<uint8_t> row;
  jpeg_decompress_struct info{};
  ErrorManager err{};
  info.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  err.pub.emit_message = IgnoreJpegMessage;
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
    jpeg_start_decompress(&info);
    const uint64_t w = info.output_width, h = info.output_height;
    if (w == 0 || h == 0 || w * h > kMaxPicturePixels || info.output_components != 3) {
      failure = 1;
    } else {
      bmp.width = info.output_width;
      bmp.height = info.output_height;
      bmp.pixels.resize(static_cast<size_t>(w * h * 4));
      row.resize(static_cast<size_t>(w * 3));
      while (info.output_scanline < info.output_height) {
        uint8_t* out = bmp.pixels.data() + static_cast<size_t>(info.output_scanline) * w * 4;
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        for (uint64_t x = 0; x < w; ++x) {
          out[x * 4 + 0] = row[x * 3 + 2];
          out[x * 4 + 1] = row[x * 3 + 1];
          out[x * 4 + 2] = row[x * 3 + 0];
          out[x * 4 + 3] = 255;
        }
      }
      jpeg_finish_decompress(&info);
    }
  }
  jpeg_destroy_decompress(&info);
  if (failure == 1) {
    throw Error(what + ": JPEG picture of unsupported size or colour layout (" +
                std::to_string(info.output_width) + "x" + std::to_string(info.output_height) + ")");
  }
  if (failure == 2) throw Error(what + ": damaged JPEG picture (" + err.message + ")");
  return bmp;
}

}  // namespace sk
