// JPEG pictures from a package, decoded into a 32-bit bitmap.
//
// The size limit is lowered to 512 x 512 pixels: a few bytes can describe a valid progressive
// picture of millions of pixels, and decoding those in full under the sanitizers held a run to
// about a hundred inputs a second. Every decoding path libjpeg has is reachable at this size,
// and the refusal of a larger picture is the same test of the header.
#include "fuzz/FuzzCommon.h"
#include "ui/Picture.h"

namespace {
constexpr uint64_t kFuzzMaxPixels = 512 * 512;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::Bitmap32 bitmap;
  if (!sk::fuzz::Accepts([&] {
        bitmap = sk::DecodeJpeg(sk::fuzz::Bytes(data, size), "fuzz.jpg", kFuzzMaxPixels);
      }))
    return 0;
  const uint64_t pixels = uint64_t{bitmap.width} * bitmap.height;
  if (bitmap.pixels.size() != pixels * 4)
    sk::fuzz::Broken("bitmap size does not match its dimensions");
  if (pixels == 0 || pixels > kFuzzMaxPixels) sk::fuzz::Broken("picture outside the size limit");
  return 0;
}
