// In-memory 24-bit bitmaps in the device-independent layout (BGR bytes, bottom-up
// rows, each row padded to a multiple of 4 bytes) and the few drawing calls that
// the pipeline makes on them. Coordinates are top-down pixel coordinates, as on a
// device context; the bits themselves stay bottom-up so that a frame can be pushed
// as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/gdi/BitmapInfo.h"

// The largest bitmap that is made: stride * height bytes. 600 MB holds a 24-bit
// picture of 200 megapixels, more than the largest camera sensors deliver; larger
// requests are refused before any memory is taken.
constexpr size_t kMaxBitmapBytes = 600'000'000;

// True when a width x height bitmap has positive sides and stays within maxBytes.
bool BitmapFits(int width, int height, size_t maxBytes = kMaxBitmapBytes);

class Bitmap {
 public:
  // All black. Throws std::length_error for sides that BitmapFits refuses and
  // std::bad_alloc when the memory cannot be had.
  Bitmap(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  int stride() const { return stride_; }
  uint8_t* bits() { return bits_.get(); }
  const uint8_t* bits() const { return bits_.get(); }
  size_t sizeBytes() const { return static_cast<size_t>(stride_) * height_; }

  // Row y counted from the top (0 is the top row).
  uint8_t* scanLine(int y) { return bits_.get() + static_cast<size_t>(height_ - 1 - y) * stride_; }
  const uint8_t* scanLine(int y) const {
    return bits_.get() + static_cast<size_t>(height_ - 1 - y) * stride_;
  }

 private:
  struct FreeBits {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  int width_;
  int height_;
  int stride_;
  std::unique_ptr<uint8_t, FreeBits> bits_;
};

using HBITMAP = Bitmap*;  // a borrowed handle

struct TRect {
  int Left, Top, Right, Bottom;
};

// A black bitmap of the given size; null when BitmapFits refuses it or memory runs out.
std::unique_ptr<Bitmap> CreateCompatibleBitmap(int width, int height);

// A section for a 24-bit BI_RGB header with positive width and height; null for any
// other format, for sizes that BitmapFits refuses, and when memory runs out.
std::unique_ptr<Bitmap> CreateDIBSection(const BITMAPINFO& info);

// Fills Left..Right-1 x Top..Bottom-1 (the right and bottom edges excluded), clipped
// to the bitmap. The high byte of the colour is ignored.
void FillRect(HBITMAP target, const TRect& rect, TColor color);

// Colour-on-colour stretching of src's area (sx, sy, sw, sh) onto dst's area
// (x, y, w, h). Target column i (0 <= i < w) takes source column
// sx + floor((2i + 1) * sw / 2w), the source column under the centre of the target
// pixel, and rows likewise; so a picture stretched by one column repeats its middle
// column. The mapping is made for the whole target area; the parts of it outside dst
// are then clipped away. Nothing is drawn when a size is 0 or negative (no mirroring)
// or when the source area does not lie wholly inside src.
void StretchBlt(HBITMAP dst, int x, int y, int w, int h, HBITMAP src, int sx, int sy, int sw, int sh);

// The whole of src at its own size with its top-left corner at (x, y) in dst;
// what falls outside dst is clipped.
void BitBlt(HBITMAP dst, int x, int y, HBITMAP src);

// Copies the bitmap's lines startLine .. startLine + lines - 1, counted from the
// bottom row as in the bits, into bits laid out as info says (24 bits, BI_RGB,
// bottom-up, rows padded to 4 bytes; info's width must be the bitmap's). Lines beyond
// the bitmap are not copied. Returns the lines copied; 0 for any other format or a
// negative startLine.
int GetDIBits(HBITMAP src, int startLine, int lines, uint8_t* bits, const BITMAPINFO& info);
