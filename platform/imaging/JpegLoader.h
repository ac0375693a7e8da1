// Loads a JPEG picture (baseline, progressive, arithmetic-coded, greyscale, RGB,
// CMYK or YCCK) into a 24-bit bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/gdi/Bitmap.h"

// Null for anything that is not a JPEG picture or meets a fatal decoder error, and
// for a picture whose bitmap would exceed maxBitmapBytes (refused before anything
// is allocated). After a decoder warning (a file cut short, stray bytes, corrupt
// data) the picture keeps what was decoded, as other viewers show it.
std::unique_ptr<Bitmap> LoadJpegMemory(const uint8_t* data, size_t size, size_t maxBitmapBytes = kMaxBitmapBytes);

// Null also when the file cannot be read (see ReadPictureFile).
std::unique_ptr<Bitmap> LoadJpegFile(const std::string& fileName);

// A picture decoded at the smallest of TurboJPEG's scales that still covers
// the size that cover gives for the picture's full size, where the picture is
// at least twice that size on both sides (full size otherwise), with its full
// size; the bitmap is null as for LoadJpegFile.
struct ScaledJpeg {
  std::unique_ptr<Bitmap> bitmap;
  int width = 0;
  int height = 0;
};
using CoverSize = std::function<std::pair<int, int>(int width, int height)>;
ScaledJpeg LoadJpegFileCovering(const std::string& fileName, const CoverSize& cover);
