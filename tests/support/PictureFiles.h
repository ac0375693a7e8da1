// Making and reading test pictures: files of our own, ImageMagick's convert, and
// pixels of 24-bit bitmaps and frame bits.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/Bitmap.h"

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// Prints as "(r,g,b)" in test failures.
void PrintTo(const Rgb& c, std::ostream* os);

Rgb RgbOf(TColor color);

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// /usr/bin/convert, or an empty string when ImageMagick is not installed.
std::string ConvertTool();
// Runs convert with the given (already quoted) arguments; true on success.
bool RunConvert(const std::string& arguments);

// A picture decoded by ImageMagick, top-down RGB.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;
  Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
std::optional<RgbPicture> DecodeWithConvert(const std::string& path);

// A 24-bit BMP (40-byte header, bottom-up) whose pixel (x, y), counted from the top,
// is colour(x, y).
void WriteBmp24(const std::string& path, int width, int height, const std::function<Rgb(int, int)>& colour);

// Pixel (x, y), counted from the top, of a bitmap or of bottom-up 24-bit frame bits.
Rgb PixelOf(const Bitmap& bitmap, int x, int y);
Rgb PixelOf(const std::vector<uint8_t>& bits, int width, int height, int x, int y);

// The largest difference of any channel between a bitmap and a decoded picture of
// the same size, and their mean absolute difference per channel.
struct PictureDifference {
  int largest = 0;
  double mean = 0;
};
PictureDifference Compare(const Bitmap& bitmap, const RgbPicture& picture);
