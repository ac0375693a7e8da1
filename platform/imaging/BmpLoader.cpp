#include "platform/imaging/BmpLoader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/imaging/PictureFile.h"

namespace {

constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

struct Rgb {
  uint8_t b = 0, g = 0, r = 0;
};

// One channel of a bit-field pixel, scaled to 0..255.
class Channel {
 public:
  explicit Channel(uint32_t mask) {
    if (mask == 0) return;
    shift_ = std::countr_zero(mask);
    // Only the lowest run of set bits counts; a mask with holes is not meaningful.
    max_ = static_cast<uint32_t>((uint64_t{1} << std::countr_one(mask >> shift_)) - 1);
  }
  uint8_t operator()(uint32_t pixel) const {
    if (max_ == 0) return 0;
    const uint64_t v = (pixel >> shift_) & max_;
    return static_cast<uint8_t>((v * 255 + max_ / 2) / max_);
  }

 private:
  int shift_ = 0;
  uint32_t max_ = 0;
};

struct Header {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bitCount = 0;
  uint32_t compression = 0;
  uint32_t masks[3] = {};
  std::array<Rgb, 256> palette{};
};

// Where the pixels of one decoded row go.
class Rows {
 public:
  Rows(Bitmap& bitmap, bool topDown) : bitmap_(bitmap), topDown_(topDown) {}
  // Row r of the file (r = 0 is the first row stored).
  uint8_t* row(int r) { return topDown_ ? bitmap_.scanLine(r) : bitmap_.scanLine(bitmap_.height() - 1 - r); }

 private:
  Bitmap& bitmap_;
  bool topDown_;
};

void Put(uint8_t* row, int x, const Rgb& c) {
  row[x * 3] = c.b;
  row[x * 3 + 1] = c.g;
  row[x * 3 + 2] = c.r;
}

bool DecodeUncompressed(const Header& h, const uint8_t* data, size_t size, Bitmap& bitmap) {
  const uint64_t rowBytes = ((static_cast<uint64_t>(h.width) * h.bitCount + 31) / 32) * 4;
  if (rowBytes * static_cast<uint64_t>(h.height) > size) return false;
  Rows rows(bitmap, h.topDown);
  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
  for (int r = 0; r < h.height; ++r) {
    const uint8_t* in = data + rowBytes * static_cast<uint64_t>(r);
    uint8_t* out = rows.row(r);
    switch (h.bitCount) {
      case 1:
      case 4:
      case 8: {
        const int perByte = 8 / h.bitCount;
        const unsigned mask = (1u << h.bitCount) - 1;
        for (int x = 0; x < h.width; ++x) {
          const int shift = 8 - h.bitCount * (x % perByte + 1);
          Put(out, x, h.palette[(in[x / perByte] >> shift) & mask]);
        }
        break;
      }
      case 24:
        std::memcpy(out, in, static_cast<size_t>(h.width) * 3);
        break;
      case 16:
      case 32: {
        const int bytes = h.bitCount / 8;
        for (int x = 0; x < h.width; ++x) {
          const uint32_t pixel = bytes == 2 ? U16(in + x * 2) : U32(in + x * 4);
          Put(out, x, Rgb{blue(pixel), green(pixel), red(pixel)});
        }
        break;
      }
    }
  }
  return true;
}

// RLE8 and RLE4. Runs that pass the right edge are cut there; the stream must reach
// its end-of-bitmap code or finish its last row before the data ends.
bool DecodeRle(const Header& h, const uint8_t* data, size_t size, Bitmap& bitmap) {
  const bool four = h.compression == kRle4;
  Rows rows(bitmap, h.topDown);
  int x = 0, r = 0;
  size_t pos = 0;
  auto put = [&](unsigned index) { Put(rows.row(r), x++, h.palette[index]); };
  while (r < h.height) {
    if (pos + 2 > size) return false;
    const unsigned count = data[pos];
    const unsigned value = data[pos + 1];
    pos += 2;
    if (count > 0) {  // a run of one index, or two alternating nibbles
      for (unsigned i = 0; i < count && x < h.width; ++i) put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++r;
        break;
      case 1:  // end of bitmap
        return true;
      case 2:  // delta: move right and up (in file order)
        if (pos + 2 > size) return false;
        x = std::min(x + data[pos], h.width);
        r += data[pos + 1];
        pos += 2;
        break;
      default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
        const size_t bytes = four ? (value + 1) / 2 : value;
        if (pos + bytes > size) return false;
        for (unsigned i = 0; i < value && x < h.width; ++i)
          put(four ? ((i & 1) ? data[pos + i / 2] & 0x0F : data[pos + i / 2] >> 4) : data[pos + i]);
        pos += bytes + (bytes & 1);
        break;
      }
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<Bitmap> LoadBmpMemory(const uint8_t* data, size_t size, size_t maxBitmapBytes) {
  if (!data || size < 26 || data[0] != 'B' || data[1] != 'M') return nullptr;
  const uint32_t offBits = U32(data + 10);
  const uint32_t headerSize = U32(data + 14);
  if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
      headerSize != 124)
    return nullptr;
  if (14 + static_cast<size_t>(headerSize) > size) return nullptr;

  Header h;
  int64_t height = 0;
  uint32_t colorsUsed = 0;
  size_t paletteOffset = 14 + headerSize;
  size_t entryBytes = 4;
  if (headerSize == 12) {
    h.width = U16(data + 18);
    height = U16(data + 20);
    h.bitCount = U16(data + 24);
    entryBytes = 3;
    if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24) return nullptr;
  } else {
    h.width = static_cast<int32_t>(U32(data + 18));
    height = static_cast<int32_t>(U32(data + 22));
    h.bitCount = U16(data + 28);
    h.compression = U32(data + 30);
    colorsUsed = U32(data + 46);
    if (h.compression == kAlphaBitFields) h.compression = kBitFields;  // alpha is ignored
    if (h.compression == kBitFields) {
      // A 40-byte header is followed by the masks; later headers hold them.
      const size_t maskBytes = U32(data + 30) == kAlphaBitFields ? 16 : 12;
      if (54 + maskBytes > size) return nullptr;
      for (int i = 0; i < 3; ++i) h.masks[i] = U32(data + 54 + 4 * i);
      if (headerSize == 40) paletteOffset += maskBytes;
    }
  }
  h.topDown = height < 0;
  if (height < 0) height = -height;
  if (height > INT32_MAX) return nullptr;
  h.height = static_cast<int>(height);

  switch (h.compression) {
    case BI_RGB:
      if (h.bitCount == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
      } else if (h.bitCount == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0x00FF00, h.masks[2] = 0x0000FF;
      } else if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24) {
        return nullptr;
      }
      break;
    case kRle8:
      if (h.bitCount != 8) return nullptr;
      break;
    case kRle4:
      if (h.bitCount != 4) return nullptr;
      break;
    case kBitFields:
      if (h.bitCount != 16 && h.bitCount != 32) return nullptr;
      break;
    default:
      return nullptr;  // embedded JPEG or PNG, OS/2 Huffman, unknown
  }

  if (h.bitCount <= 8) {
    const uint32_t most = 1u << h.bitCount;
    uint32_t entries = colorsUsed == 0 || colorsUsed > most ? most : colorsUsed;
    // Some writers keep fewer entries than they declare; the pixels start where they start.
    if (offBits >= paletteOffset) entries = std::min<uint32_t>(entries, (offBits - paletteOffset) / entryBytes);
    if (paletteOffset + entries * entryBytes > size) return nullptr;
    for (uint32_t i = 0; i < entries; ++i) {
      const uint8_t* e = data + paletteOffset + i * entryBytes;
      h.palette[i] = Rgb{e[0], e[1], e[2]};
    }
  }

  if (offBits < 14 + headerSize || offBits > size) return nullptr;
  if (!BitmapFits(h.width, h.height, maxBitmapBytes)) return nullptr;
  std::unique_ptr<Bitmap> bitmap = CreateCompatibleBitmap(h.width, h.height);
  if (!bitmap) return nullptr;
  const bool ok = h.compression == kRle8 || h.compression == kRle4
                      ? DecodeRle(h, data + offBits, size - offBits, *bitmap)
                      : DecodeUncompressed(h, data + offBits, size - offBits, *bitmap);
  return ok ? std::move(bitmap) : nullptr;
}

std::unique_ptr<Bitmap> LoadBmpFile(const std::string& fileName) {
  const auto data = ReadPictureFile(fileName);
  if (!data) return nullptr;
  return LoadBmpMemory(data->data(), data->size());
}
