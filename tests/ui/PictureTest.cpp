#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>

#include <jpeglib.h>

#include "platform/Error.h"
#include "tests/support/PngFile.h"
#include "ui/PagePictures.h"
#include "ui/Picture.h"

namespace sk {
namespace {

// A 3x2 RGBA picture: red, green, blue / white, black, half-transparent grey.
const uint8_t kRgba[] = {255, 0,   0,   255, 0, 255, 0, 255, 0,   0,   255, 255,
                         255, 255, 255, 255, 0, 0,   0, 255, 128, 128, 128, 128};

std::string EncodePng() {
  return test::PngFile(3, 2, test::PngPixels::Rgba, kRgba);
}

std::string EncodeJpeg(int width, int height) {
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(width * 3, 0);
  for (int x = 0; x < width; ++x) row[x * 3] = 200;  // red-ish
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string out(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&info);
  free(buffer);
  return out;
}

TEST(PictureTest, KindByExtensionIgnoringCase) {
  const std::pair<const char*, PictureKind> rows[] = {
      {"C:\\a\\b.PNG", PictureKind::Png}, {"b.png", PictureKind::Png},
      {"x.JpG", PictureKind::Jpeg},       {"x.jpeg", PictureKind::Jpeg},
      {"x.bmp", PictureKind::Other},      {"C:\\d.png\\x", PictureKind::Other},
      {"noext", PictureKind::Other},      {"x.jpg.gif", PictureKind::Other},
  };
  for (const auto& [path, kind] : rows) EXPECT_EQ(PictureKindOf(path), kind) << path;
}

TEST(PictureTest, PngDecodesToBgra) {
  const Bitmap32 bmp = DecodePng(EncodePng(), "p.png");
  ASSERT_EQ(bmp.width, 3u);
  ASSERT_EQ(bmp.height, 2u);
  const std::vector<uint8_t> expected = {0,   0,   255, 255, 0, 255, 0, 255, 255, 0,   0,   255,
                                         255, 255, 255, 255, 0, 0,   0, 255, 128, 128, 128, 128};
  EXPECT_EQ(bmp.pixels, expected);
}

TEST(PictureTest, JpegDecodesToOpaqueBgra) {
  const Bitmap32 bmp = DecodeJpeg(EncodeJpeg(5, 4), "p.jpg");
  ASSERT_EQ(bmp.width, 5u);
  ASSERT_EQ(bmp.height, 4u);
  ASSERT_EQ(bmp.pixels.size(), 5u * 4 * 4);
  for (size_t i = 0; i < bmp.pixels.size(); i += 4) {
    EXPECT_NEAR(bmp.pixels[i + 2], 200, 3);  // red
    EXPECT_NEAR(bmp.pixels[i + 0], 0, 3);    // blue
    EXPECT_EQ(bmp.pixels[i + 3], 255);
  }
}

TEST(PictureTest, DamagedPicturesThrowNamingTheFile) {
  const std::string png = EncodePng();
  const std::string jpeg = EncodeJpeg(8, 8);
  std::string badCrc = png;
  badCrc[png.size() / 2] ^= 0x40;
  const std::vector<std::pair<std::string, bool>> inputs = {
      {"", true},
      {png.substr(0, png.size() / 2), true},
      {badCrc, true},
      {"not a picture at all", true},
      {"", false},
      {jpeg.substr(0, 20), false},
      {"\xFF\xD8\xFF garbage", false},
  };
  for (const auto& [bytes, isPng] : inputs) {
    try {
      isPng ? DecodePng(bytes, "C:\\pics\\x") : DecodeJpeg(bytes, "C:\\pics\\x");
      ADD_FAILURE() << "decoded " << bytes.size() << " damaged bytes";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("C:\\pics\\x: ", 0), 0u) << e.what();
    }
  }
}

// The pictures built into the pages are whole PNG files of 32 x 32 pixels with a transparent
// corner and an opaque middle (a cut-off byte array would fail to decode).
TEST(PictureTest, BuiltInPagePicturesDecode) {
  for (const std::string* bytes :
       {&page_picture::StartMenuFolder(), &page_picture::InstallFolder()}) {
    const Bitmap32 bmp = DecodePng(*bytes, "page picture");
    ASSERT_EQ(bmp.width, 32u);
    ASSERT_EQ(bmp.height, 32u);
    EXPECT_EQ(bmp.pixels[3], 0) << "top-left corner";
    EXPECT_EQ(bmp.pixels[(16 * 32 + 16) * 4 + 3], 255) << "middle";
  }
}

TEST(PictureTest, HugeDimensionsAreRefusedBeforeAllocating) {
  // A PNG header claiming 100000 x 100000 pixels.
  const uint8_t pixel = 0;
  std::string png = test::PngFile(1, 1, test::PngPixels::Grey, &pixel);
  // IHDR width/height at bytes 16..23; fix the CRC so only the size is wrong.
  for (int i = 0; i < 2; ++i) {
    const uint32_t v = 100000;
    png[16 + i * 4] = 0;
    png[17 + i * 4] = static_cast<char>(v >> 16);
    png[18 + i * 4] = static_cast<char>(v >> 8);
    png[19 + i * 4] = static_cast<char>(v);
  }
  const uint32_t crc =
      static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17));
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  EXPECT_THROW(DecodePng(png, "big.png"), Error);
}

// A JPEG whose frame header claims more pixels than its data holds: cut off, it is refused
// instead of being decoded into rows of grey (a 300-byte file would make a 256 MiB bitmap).
TEST(PictureTest, CutOffJpegIsRefused) {
  std::string jpeg = EncodeJpeg(16, 16);
  const size_t sof = jpeg.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  const auto setSize = [&](std::string& bytes, uint16_t h, uint16_t w) {
    bytes[sof + 5] = static_cast<char>(h >> 8);
    bytes[sof + 6] = static_cast<char>(h);
    bytes[sof + 7] = static_cast<char>(w >> 8);
    bytes[sof + 8] = static_cast<char>(w);
  };
  struct Case {
    uint16_t h, w;
    size_t keep;
  };
  const size_t scan = jpeg.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  for (const Case& c :
       {Case{8000, 8000, scan + 20}, Case{16, 16, jpeg.size() - 40}, Case{16, 16, scan + 14}}) {
    std::string bytes = jpeg.substr(0, c.keep);
    setSize(bytes, c.h, c.w);
    EXPECT_THROW(DecodeJpeg(bytes, "cut.jpg"), Error) << c.w << "x" << c.h << " " << c.keep;
  }
  setSize(jpeg, 16, 16);
  EXPECT_NO_THROW(DecodeJpeg(jpeg, "whole.jpg"));
  // More pixels than any picture may have: refused from the header alone.
  setSize(jpeg, 65535, 65535);
  EXPECT_THROW(DecodeJpeg(jpeg, "big.jpg"), Error);
}

TEST(PictureTest, SizeLimitCanOnlyBeLowered) {
  // 3x2 PNG and 16x16 JPEG pictures against limits around their size and above the largest.
  const std::string png = EncodePng(), jpeg = EncodeJpeg(16, 16);
  struct Case {
    bool isPng;
    uint64_t limit;
    bool decodes;
  };
  for (const Case& c :
       {Case{true, 6, true}, Case{true, 5, false}, Case{true, ~uint64_t{0}, true},
        Case{false, 256, true}, Case{false, 255, false}, Case{false, ~uint64_t{0}, true}}) {
    const auto decode = [&] {
      return c.isPng ? DecodePng(png, "p.png", c.limit) : DecodeJpeg(jpeg, "p.jpg", c.limit);
    };
    if (c.decodes) {
      const Bitmap32 bmp = decode();
      EXPECT_EQ(bmp.pixels.size(), uint64_t{bmp.width} * bmp.height * 4) << c.limit;
      EXPECT_EQ(bmp.width, c.isPng ? 3u : 16u) << c.limit;
    } else {
      EXPECT_THROW(decode(), Error) << c.isPng << " " << c.limit;
    }
  }
  // A limit above the largest picture does not raise it.
  EXPECT_THROW(CheckPictureSize(65535, 65535, "big", ~uint64_t{0}), Error);
  std::string big = jpeg;
  const size_t sof = big.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  big[sof + 5] = big[sof + 6] = big[sof + 7] = big[sof + 8] = static_cast<char>(0xFF);
  EXPECT_THROW(DecodeJpeg(big, "big.jpg", ~uint64_t{0}), Error);
}

}  // namespace
}  // namespace sk
