#include "PictureFiles.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

#include "RunCommand.h"

void PrintTo(const Rgb& c, std::ostream* os) { *os << "(" << int{c.r} << "," << int{c.g} << "," << int{c.b} << ")"; }

Rgb RgbOf(TColor color) { return Rgb{ColorRed(color), ColorGreen(color), ColorBlue(color)}; }

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string ConvertTool() {
  const char* tool = "/usr/bin/convert";
  return ::access(tool, X_OK) == 0 ? tool : "";
}

bool RunConvert(const std::string& arguments) {
  if (ConvertTool().empty()) return false;
  return RunCommand(ConvertTool() + " " + arguments + " 2>/dev/null").exitCode == 0;
}

std::optional<RgbPicture> DecodeWithConvert(const std::string& path) {
  if (ConvertTool().empty()) return std::nullopt;
  // Plain-text PPM keeps the parsing simple: "P3 w h max" then the samples.
  const CommandResult r =
      RunCommand(ConvertTool() + " " + ShellQuote(path) + " -colorspace sRGB -depth 8 -compress none ppm:- 2>/dev/null");
  if (r.exitCode != 0) return std::nullopt;
  // Drop the comment lines that ImageMagick keeps from some sources.
  std::string text;
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);)
    if (line.empty() || line[0] != '#') text += line + "\n";
  std::istringstream in(text);
  std::string magic;
  RgbPicture p;
  int maxValue = 0;
  in >> magic >> p.width >> p.height >> maxValue;
  if (magic != "P3" || maxValue != 255 || p.width <= 0 || p.height <= 0) return std::nullopt;
  p.pixels.resize(static_cast<size_t>(p.width) * p.height);
  for (Rgb& c : p.pixels) {
    int r8, g8, b8;
    if (!(in >> r8 >> g8 >> b8)) return std::nullopt;
    c = Rgb{static_cast<uint8_t>(r8), static_cast<uint8_t>(g8), static_cast<uint8_t>(b8)};
  }
  return p;
}

namespace {

void Put16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
  v[at] = x & 0xFF;
  v[at + 1] = x >> 8;
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = (x >> (8 * i)) & 0xFF;
}

}  // namespace

void WriteBmp24(const std::string& path, int width, int height, const std::function<Rgb(int, int)>& colour) {
  const size_t stride = static_cast<size_t>(DibStride24(width));
  std::vector<uint8_t> f(54 + stride * height, 0);
  f[0] = 'B', f[1] = 'M';
  Put32(f, 2, static_cast<uint32_t>(f.size()));
  Put32(f, 10, 54);
  Put32(f, 14, 40);
  Put32(f, 18, static_cast<uint32_t>(width));
  Put32(f, 22, static_cast<uint32_t>(height));
  Put16(f, 26, 1);
  Put16(f, 28, 24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = f.data() + 54 + stride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const Rgb c = colour(x, y);
      row[x * 3] = c.b, row[x * 3 + 1] = c.g, row[x * 3 + 2] = c.r;
    }
  }
  WriteBytes(path, f);
}

Rgb PixelOf(const Bitmap& bitmap, int x, int y) {
  const uint8_t* p = bitmap.scanLine(y) + x * 3;
  return Rgb{p[2], p[1], p[0]};
}

Rgb PixelOf(const std::vector<uint8_t>& bits, int width, int height, int x, int y) {
  const uint8_t* p = bits.data() + static_cast<size_t>(DibStride24(width)) * (height - 1 - y) + x * 3;
  return Rgb{p[2], p[1], p[0]};
}

PictureDifference Compare(const Bitmap& bitmap, const RgbPicture& picture) {
  PictureDifference d;
  long long sum = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgb a = PixelOf(bitmap, x, y), b = picture.at(x, y);
      for (int diff : {std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}) {
        d.largest = std::max(d.largest, diff);
        sum += diff;
      }
    }
  }
  d.mean = static_cast<double>(sum) / (3.0 * picture.width * picture.height);
  return d;
}
