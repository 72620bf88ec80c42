// A memory device context for drawing off screen: double-buffered painting (a compatible bitmap
// of the client size, owned) or blitting a bitmap the caller owns. The previous bitmap is
// selected back and everything the object created is freed when it goes out of scope; objects
// the caller selects into it (fonts, brushes) the caller selects back before then.
#pragma once

#include <windows.h>

#include <algorithm>

namespace sk::ui {

class MemoryDc {
 public:
  // With a bitmap of width x height (at least 1 x 1) compatible with `dc`.
  MemoryDc(HDC dc, int width, int height)
      : mem_(CreateCompatibleDC(dc)),
        owned_(CreateCompatibleBitmap(dc, std::max(width, 1), std::max(height, 1))),
        old_(SelectObject(mem_, owned_)) {}
  // With the caller's `bitmap` selected.
  MemoryDc(HDC dc, HBITMAP bitmap)
      : mem_(CreateCompatibleDC(dc)), old_(SelectObject(mem_, bitmap)) {}
  ~MemoryDc() {
    SelectObject(mem_, old_);
    if (owned_) DeleteObject(owned_);
    DeleteDC(mem_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  HDC get() const { return mem_; }

 private:
  HDC mem_;
  HBITMAP owned_ = nullptr;
  HGDIOBJ old_;
};

}  // namespace sk::ui
