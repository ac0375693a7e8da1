// Loads a Windows or OS/2 1.x bitmap file into a 24-bit bitmap: 1, 4, 8, 16, 24 and
// 32 bits per pixel, RLE4 and RLE8, bit fields, bottom-up and top-down rows, headers
// of 12 (core), 40, 52, 56, 108 and 124 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"

// Null for anything else or anything damaged: truncated pixel data, an RLE stream
// that ends before its last row, palettes or offsets outside the file. A picture
// whose bitmap would exceed maxBitmapBytes is refused before anything is allocated.
// Pixels that an RLE stream skips (delta, early end of line or of bitmap) stay black;
// palette indices beyond the palette give black; alpha is ignored.
std::unique_ptr<Bitmap> LoadBmpMemory(const uint8_t* data, size_t size, size_t maxBitmapBytes = kMaxBitmapBytes);

// Null also when the file cannot be read (see ReadPictureFile).
std::unique_ptr<Bitmap> LoadBmpFile(const std::string& fileName);
