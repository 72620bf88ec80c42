// PNG pictures from a package, decoded into a 32-bit bitmap.
//
// The size limit is lowered to 256 x 256 pixels: a few compressed bytes describe a valid picture
// of millions of pixels, and decoding those in full under the sanitizers would spend the run on
// a few inputs. Every decoding path of the library is reachable at this size, and the refusal
// of a larger picture is the same test of the header.
#include "fuzz/FuzzCommon.h"
#include "ui/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::Bitmap32 bitmap;
  if (!sk::fuzz::Accepts([&] {
        bitmap = sk::DecodePng(sk::fuzz::Bytes(data, size), "fuzz.png", sk::fuzz::kMaxPixels);
      }))
    return 0;
  sk::fuzz::CheckBitmap(bitmap.width, bitmap.height, bitmap.pixels.size());
  return 0;
}
