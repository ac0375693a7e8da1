#include "platform/gdi/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

bool BitmapFits(int width, int height, size_t maxBytes) {
  if (width <= 0 || height <= 0) return false;
  if (static_cast<size_t>(width) > maxBytes / 3) return false;  // keeps DibStride24 in range
  return static_cast<size_t>(DibStride24(width)) * static_cast<size_t>(height) <= maxBytes;
}

Bitmap::Bitmap(int width, int height) : width_(width), height_(height), stride_(0) {
  if (!BitmapFits(width, height)) throw std::length_error("bitmap size out of range");
  stride_ = DibStride24(width);
  bits_.reset(static_cast<uint8_t*>(std::calloc(sizeBytes(), 1)));
  if (!bits_) throw std::bad_alloc();
}

std::unique_ptr<Bitmap> CreateCompatibleBitmap(int width, int height) {
  if (!BitmapFits(width, height)) return nullptr;
  try {
    return std::make_unique<Bitmap>(width, height);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<Bitmap> CreateDIBSection(const BITMAPINFO& info) {
  const BITMAPINFOHEADER& h = info.bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 24 || h.biCompression != BI_RGB) return nullptr;
  return CreateCompatibleBitmap(h.biWidth, h.biHeight);
}

void FillRect(HBITMAP target, const TRect& rect, TColor color) {
  if (!target) return;
  const int left = std::max(rect.Left, 0);
  const int right = std::min(rect.Right, target->width());
  const int top = std::max(rect.Top, 0);
  const int bottom = std::min(rect.Bottom, target->height());
  if (left >= right || top >= bottom) return;
  const size_t bytes = static_cast<size_t>(right - left) * 3;
  uint8_t* first = target->scanLine(top) + static_cast<size_t>(left) * 3;
  for (int i = left; i < right; ++i) {
    uint8_t* p = first + static_cast<size_t>(i - left) * 3;
    p[0] = ColorBlue(color);
    p[1] = ColorGreen(color);
    p[2] = ColorRed(color);
  }
  for (int y = top + 1; y < bottom; ++y) std::memcpy(target->scanLine(y) + static_cast<size_t>(left) * 3, first, bytes);
}

namespace {

// Source index for each visible target index first..last-1 of a stretch of n
// source pixels over w target pixels.
std::vector<int> StretchMap(int first, int last, int w, int n, int origin) {
  std::vector<int> map;
  map.reserve(static_cast<size_t>(last - first));
  for (int i = first; i < last; ++i) {
    const int64_t s = ((2 * static_cast<int64_t>(i) + 1) * n) / (2 * static_cast<int64_t>(w));
    map.push_back(origin + static_cast<int>(s));
  }
  return map;
}

}  // namespace

void StretchBlt(HBITMAP dst, int x, int y, int w, int h, HBITMAP src, int sx, int sy, int sw, int sh) {
  if (!dst || !src || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  if (sx < 0 || sy < 0 || sw > src->width() - sx || sh > src->height() - sy) return;
  // Visible target indices, in 64 bits since x + w may pass INT_MAX.
  const int firstCol = static_cast<int>(std::clamp<int64_t>(-static_cast<int64_t>(x), 0, w));
  const int lastCol = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(dst->width()) - x, 0, w));
  const int firstRow = static_cast<int>(std::clamp<int64_t>(-static_cast<int64_t>(y), 0, h));
  const int lastRow = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(dst->height()) - y, 0, h));
  if (firstCol >= lastCol || firstRow >= lastRow) return;
  const std::vector<int> cols = StretchMap(firstCol, lastCol, w, sw, sx);
  const std::vector<int> rows = StretchMap(firstRow, lastRow, h, sh, sy);
  const size_t rowBytes = cols.size() * 3;
  const uint8_t* previousTarget = nullptr;
  int previousSource = -1;
  for (size_t r = 0; r < rows.size(); ++r) {
    uint8_t* out = dst->scanLine(y + firstRow + static_cast<int>(r)) + static_cast<size_t>(x + firstCol) * 3;
    if (rows[r] == previousSource) {
      std::memcpy(out, previousTarget, rowBytes);
      continue;
    }
    const uint8_t* in = src->scanLine(rows[r]);
    for (size_t c = 0; c < cols.size(); ++c) std::memcpy(out + c * 3, in + static_cast<size_t>(cols[c]) * 3, 3);
    previousSource = rows[r];
    previousTarget = out;
  }
}

void BitBlt(HBITMAP dst, int x, int y, HBITMAP src) {
  if (!dst || !src) return;
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t right = std::min<int64_t>(static_cast<int64_t>(x) + src->width(), dst->width());
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(y) + src->height(), dst->height());
  if (left >= right || top >= bottom) return;
  const size_t bytes = static_cast<size_t>(right - left) * 3;
  for (int64_t row = top; row < bottom; ++row) {
    std::memcpy(dst->scanLine(static_cast<int>(row)) + left * 3,
                src->scanLine(static_cast<int>(row - y)) + (left - x) * 3, bytes);
  }
}

int GetDIBits(HBITMAP src, int startLine, int lines, uint8_t* bits, const BITMAPINFO& info) {
  const BITMAPINFOHEADER& h = info.bmiHeader;
  if (!src || !bits || h.biBitCount != 24 || h.biCompression != BI_RGB || h.biWidth != src->width() ||
      h.biHeight <= 0 || startLine < 0)
    return 0;
  const int64_t first = startLine;
  const int64_t last = std::min<int64_t>(static_cast<int64_t>(startLine) + std::max(lines, 0), src->height());
  if (first >= last) return 0;
  const size_t stride = static_cast<size_t>(src->stride());
  std::memcpy(bits + static_cast<size_t>(first - startLine) * stride, src->bits() + first * stride,
              static_cast<size_t>(last - first) * stride);
  return static_cast<int>(last - first);
}
