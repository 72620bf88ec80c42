// TPicture: pictures of the setup's windows as GDI bitmaps. PNG and JPEG go through the portable
// decoders of Picture.h into a 32-bit DIB section (premultiplied for GdiAlphaBlend when any pixel
// is translucent); BMP and ICO are loaded by the system.
#include <algorithm>

#include "package/Compile.h"
#include "platform/Error.h"
#include "platform/Platform.h"
#include "ui/Picture.h"
#include "ui/win32/Controls.h"
#include "ui/win32/MemoryDc.h"

namespace sk::ui {

TPicture::~TPicture() {
  if (icon_) DestroyIcon(icon_);
}

void TPicture::Clear() {
  bitmap_.Reset();
  if (icon_) DestroyIcon(icon_);
  icon_ = nullptr;
  alpha_ = false;
  width_ = height_ = 0;
}

void TPicture::LoadFromFile(Platform& platform, const std::string& path) {
  Clear();
  const PictureKind kind = PictureKindOf(path);
  if (kind == PictureKind::Other) {
    const std::string ext = LowerAscii(path.substr(std::min(path.size(), path.rfind('.') + 1)));
    if (ext == "ico") {
      icon_ = static_cast<HICON>(
          LoadImageW(nullptr, Wide(path).c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
      if (!icon_) throw Error(path + ": not a readable icon");
      ICONINFO info{};
      if (GetIconInfo(icon_, &info)) {
        BITMAP bm{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        width_ = bm.bmWidth;
        height_ = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
      }
      return;
    }
    bitmap_.Reset(static_cast<HBITMAP>(LoadImageW(nullptr, Wide(path).c_str(), IMAGE_BITMAP, 0, 0,
                                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (!bitmap_.get()) throw Error(path + ": not a readable picture");
    BITMAP bm{};
    GetObjectW(bitmap_.get(), sizeof bm, &bm);
    width_ = bm.bmWidth;
    height_ = bm.bmHeight;
    return;
  }

  auto in = platform.OpenRead(path);
  const int64_t size = in->Size();
  constexpr int64_t kMaxPictureFile = 256ll * 1024 * 1024;
  if (size < 0 || size > kMaxPictureFile) throw Error(path + ": picture file too large");
  std::string bytes(static_cast<size_t>(size), '\0');
  bytes.resize(in->Read(bytes.data(), bytes.size()));
  SetPixels(kind == PictureKind::Png ? DecodePng(bytes, path) : DecodeJpeg(bytes, path), path);
}

void TPicture::LoadPng(const std::string& bytes, const std::string& what) {
  Clear();
  SetPixels(DecodePng(bytes, what), what);
}

void TPicture::SetPixels(const Bitmap32& bmp, const std::string& what) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = static_cast<LONG>(bmp.width);
  bi.bmiHeader.biHeight = -static_cast<LONG>(bmp.height);  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_.get() || !bits) throw Error(what + ": picture too large for the display");
  uint8_t* out = static_cast<uint8_t*>(bits);
  for (size_t i = 0; i < bmp.pixels.size(); i += 4) {
    const uint8_t a = bmp.pixels[i + 3];
    if (a != 255) alpha_ = true;
    // GdiAlphaBlend expects premultiplied colours.
    out[i + 0] = static_cast<uint8_t>(bmp.pixels[i + 0] * a / 255);
    out[i + 1] = static_cast<uint8_t>(bmp.pixels[i + 1] * a / 255);
    out[i + 2] = static_cast<uint8_t>(bmp.pixels[i + 2] * a / 255);
    out[i + 3] = a;
  }
  width_ = static_cast<int>(bmp.width);
  height_ = static_cast<int>(bmp.height);
}

void TPicture::Draw(HDC dc, const RECT& dest) const {
  const int w = dest.right - dest.left, h = dest.bottom - dest.top;
  if (icon_) {
    DrawIconEx(dc, dest.left, dest.top, icon_, w, h, 0, nullptr, DI_NORMAL);
    return;
  }
  if (!bitmap_.get()) return;
  MemoryDc source(dc, bitmap_.get());
  HDC mem = source.get();
  if (alpha_) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, dest.left, dest.top, w, h, mem, 0, 0, width_, height_, blend);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, dest.left, dest.top, w, h, mem, 0, 0, width_, height_, SRCCOPY);
  }
}

}  // namespace sk::ui
