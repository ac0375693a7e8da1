// The bitmap-info records that describe a frame: its size, pixel format and row
// order, and the colour table after them; the header keeps the 40 bytes that
// biSize states.
#pragma once

#include <cstdint>

struct BITMAPINFOHEADER {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;  // positive: rows stored bottom-up
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
  uint8_t rgbBlue;
  uint8_t rgbGreen;
  uint8_t rgbRed;
  uint8_t rgbReserved;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

constexpr uint32_t BI_RGB = 0;

// A colour as the editor, the scripts and the settings keep it: 0x00BBGGRR.
using TColor = int32_t;

constexpr uint8_t ColorRed(TColor c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t ColorGreen(TColor c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t ColorBlue(TColor c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }
constexpr TColor MakeColor(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}

// Bytes in one row of a 24-bit bitmap: rows are padded to a multiple of 4.
constexpr int DibStride24(int width) { return ((width * 3) + 3) & ~3; }
