// Loads a JPEG picture (baseline, progressive, arithmetic-coded, greyscale, RGB,
// CMYK or YCCK) into a 24-bit bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"

// Null for anything that is not a JPEG picture or meets a fatal decoder error, and
// for a picture whose bitmap would exceed maxBitmapBytes (refused before anything
// is allocated). After a decoder warning (a file cut short, stray bytes, corrupt
// data) the picture keeps what was decoded, as other viewers show it.
std::unique_ptr<Bitmap> LoadJpegMemory(const uint8_t* data, size_t size, size_t maxBitmapBytes = kMaxBitmapBytes);

// Null also when the file cannot be read (see ReadPictureFile).
std::unique_ptr<Bitmap> LoadJpegFile(const std::string& fileName);
