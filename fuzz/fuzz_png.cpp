// PNG pictures from a package, decoded into a 32-bit bitmap.
#include "fuzz/FuzzCommon.h"
#include "ui/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::Bitmap32 bitmap;
  if (sk::fuzz::Accepts([&] { bitmap = sk::DecodePng(sk::fuzz::Bytes(data, size), "fuzz.png"); }) &&
      bitmap.pixels.size() != uint64_t{bitmap.width} * bitmap.height * 4)
    sk::fuzz::Broken("bitmap size does not match its dimensions");
  return 0;
}
