#include "platform/imaging/BmpLoader.h"

#include <gtest/gtest.h>

#include "support/PictureFiles.h"
#include "support/TempDir.h"

namespace {

uint32_t Get32(const std::vector<uint8_t>& f, size_t at) {
  return f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (static_cast<uint32_t>(f[at + 3]) << 24);
}
void Set32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A bitmap file with a 40-byte header, the given palette and pixel data as is.
std::vector<uint8_t> MakeBmp(int width, int height, int bitCount, uint32_t compression, const std::vector<Rgb>& palette,
                             const std::vector<uint8_t>& pixels) {
  const size_t offBits = 54 + palette.size() * 4;
  std::vector<uint8_t> f(offBits, 0);
  f[0] = 'B', f[1] = 'M';
  Set32(f, 2, static_cast<uint32_t>(offBits + pixels.size()));
  Set32(f, 10, static_cast<uint32_t>(offBits));
  Set32(f, 14, 40);
  Set32(f, 18, static_cast<uint32_t>(width));
  Set32(f, 22, static_cast<uint32_t>(height));
  f[26] = 1;
  f[28] = static_cast<uint8_t>(bitCount);
  Set32(f, 30, compression);
  Set32(f, 34, static_cast<uint32_t>(pixels.size()));
  Set32(f, 46, static_cast<uint32_t>(palette.size()));
  for (size_t i = 0; i < palette.size(); ++i) {
    f[54 + i * 4] = palette[i].b, f[55 + i * 4] = palette[i].g, f[56 + i * 4] = palette[i].r;
  }
  f.insert(f.end(), pixels.begin(), pixels.end());
  return f;
}

const std::vector<Rgb> kPalette = {{0, 0, 0},     {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                   {255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {128, 128, 128}};

class BmpLoaderTest : public testing::Test {
 protected:
  void SetUp() override {
    if (ConvertTool().empty()) GTEST_SKIP() << "ImageMagick's /usr/bin/convert is not installed";
  }

  // Our decoding of the file must equal ImageMagick's, pixel for pixel; 5- and 6-bit
  // channels may round differently by one.
  void ExpectLikeImageMagick(const std::string& path, int tolerance = 0) {
    const auto loaded = LoadBmpFile(path);
    ASSERT_NE(loaded, nullptr) << path;
    const auto reference = DecodeWithConvert(path);
    ASSERT_TRUE(reference) << path;
    ASSERT_EQ(loaded->width(), reference->width);
    ASSERT_EQ(loaded->height(), reference->height);
    const PictureDifference d = Compare(*loaded, *reference);
    EXPECT_LE(d.largest, tolerance) << path;
  }

  // Writes the rose picture through convert and returns the file's bytes.
  std::vector<uint8_t> MakeWithConvert(const std::string& options, const std::string& name) {
    const std::string path = dir_.file(name);
    EXPECT_TRUE(RunConvert("rose: " + options + ":" + path));
    return ReadBytes(path);
  }

  TempDir dir_;
};

struct Variant {
  const char* options;
  uint32_t headerSize;
  int bitCount;
  uint32_t compression;
  int tolerance;
};

}  // namespace

TEST_F(BmpLoaderTest, VariantsWrittenByImageMagick) {
  const Variant variants[] = {
      {"-type TrueColor bmp3", 40, 24, 0, 0},
      {"-type TrueColor bmp", 124, 24, 0, 0},
      {"-type TrueColorAlpha bmp", 124, 32, 3, 0},
      {"-alpha on -define bmp3:alpha=true bmp3", 40, 32, 0, 0},
      {"-define bmp:subtype=RGB565 bmp", 124, 16, 3, 1},
      {"-define bmp:subtype=RGB555 bmp", 124, 16, 3, 1},
      {"-type Palette -compress None bmp3", 40, 8, 0, 0},
      {"-type Palette bmp3", 40, 8, 1, 0},
      {"-colors 16 -type Palette bmp3", 40, 4, 0, 0},
      {"-monochrome bmp3", 40, 1, 0, 0},
      {"bmp2", 12, 24, 0, 0},
      {"-type Palette bmp2", 12, 8, 0, 0},
  };
  int n = 0;
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.options);
    const std::string name = "variant" + std::to_string(n++) + ".bmp";
    const std::vector<uint8_t> f = MakeWithConvert(v.options, name);
    ASSERT_GT(f.size(), 30u);
    // The file is what the case claims to test.
    ASSERT_EQ(Get32(f, 14), v.headerSize);
    ASSERT_EQ(f[v.headerSize == 12 ? 24 : 28], v.bitCount);
    if (v.headerSize > 12) {
      ASSERT_EQ(Get32(f, 30), v.compression);
    }
    ExpectLikeImageMagick(dir_.file(name), v.tolerance);
  }
}

TEST_F(BmpLoaderTest, TopDownRows) {
  std::vector<uint8_t> f = MakeWithConvert("-type TrueColor bmp3", "up.bmp");
  const size_t stride = static_cast<size_t>(DibStride24(70));
  std::vector<uint8_t> flipped(f.begin(), f.begin() + 54);
  for (int r = 45; r >= 0; --r) flipped.insert(flipped.end(), f.begin() + 54 + r * stride, f.begin() + 54 + (r + 1) * stride);
  Set32(flipped, 22, static_cast<uint32_t>(-46));
  WriteBytes(dir_.file("down.bmp"), flipped);
  ExpectLikeImageMagick(dir_.file("down.bmp"));
  const auto up = LoadBmpFile(dir_.file("up.bmp"));
  const auto down = LoadBmpFile(dir_.file("down.bmp"));
  ASSERT_TRUE(up && down);
  EXPECT_EQ(std::vector<uint8_t>(up->bits(), up->bits() + up->sizeBytes()),
            std::vector<uint8_t>(down->bits(), down->bits() + down->sizeBytes()));
}

TEST_F(BmpLoaderTest, HeaderVersionsWithMasksInside) {
  std::vector<uint8_t> v5 = MakeWithConvert("-define bmp:subtype=RGB565 bmp", "v5.bmp");
  ASSERT_EQ(Get32(v5, 14), 124u);
  auto shortened = [&](uint32_t headerSize, uint32_t keptMasks) {
    // The first 40 bytes of the header, then the masks (inside the header from 52
    // bytes on, after it for 40), then the pixels.
    std::vector<uint8_t> f(v5.begin(), v5.begin() + 54 + 4 * keptMasks);
    f.insert(f.end(), v5.begin() + Get32(v5, 10), v5.end());
    Set32(f, 14, headerSize);
    Set32(f, 10, 54 + 4 * keptMasks);
    Set32(f, 2, static_cast<uint32_t>(f.size()));
    return f;
  };
  WriteBytes(dir_.file("v1.bmp"), shortened(40, 3));
  ExpectLikeImageMagick(dir_.file("v1.bmp"), 1);
  WriteBytes(dir_.file("v2.bmp"), shortened(52, 3));
  ExpectLikeImageMagick(dir_.file("v2.bmp"), 1);
  WriteBytes(dir_.file("v3.bmp"), shortened(56, 4));
  ExpectLikeImageMagick(dir_.file("v3.bmp"), 1);
  // All three give the same pixels as the 124-byte original.
  const auto original = LoadBmpFile(dir_.file("v5.bmp"));
  const auto v1 = LoadBmpFile(dir_.file("v1.bmp"));
  ASSERT_TRUE(original && v1);
  EXPECT_EQ(std::vector<uint8_t>(original->bits(), original->bits() + original->sizeBytes()),
            std::vector<uint8_t>(v1->bits(), v1->bits() + v1->sizeBytes()));
  // 108 bytes: ImageMagick's 124-byte file cut down to version 4.
  std::vector<uint8_t> v4 = MakeWithConvert("-define bmp:subtype=RGB555 bmp", "v555.bmp");
  v5 = v4;
  v4.erase(v4.begin() + 14 + 108, v4.begin() + 14 + 124);
  Set32(v4, 14, 108);
  Set32(v4, 10, Get32(v5, 10) - 16);
  Set32(v4, 2, static_cast<uint32_t>(v4.size()));
  WriteBytes(dir_.file("v4.bmp"), v4);
  ExpectLikeImageMagick(dir_.file("v4.bmp"), 1);
  // Without bit fields 16 bits mean 5-5-5.
  Set32(v4, 30, 0);
  WriteBytes(dir_.file("v4rgb.bmp"), v4);
  ExpectLikeImageMagick(dir_.file("v4rgb.bmp"), 1);
}

TEST_F(BmpLoaderTest, Rle8WithDeltaEndOfLineAndEndOfBitmap) {
  // 6 x 4, rows in file order (bottom first):
  const std::vector<uint8_t> rle = {
      3, 1, 0, 3, 2, 3, 4, 0,  // row 0: run of three 1s, absolute 2 3 4 (padded)
      0, 0,                    // end of line
      0, 2, 2, 1,              // delta: right 2, up 1 -> row 2, column 2
      2, 5, 2, 6,              // two 5s, two 6s up to the right edge
      0, 0,                    // end of line -> row 3
      1, 7, 0, 1,              // one 7, end of bitmap
      0, 0, 0, 0, 0, 0, 0, 0,  // ImageMagick reads a little past the end code
  };
  WriteBytes(dir_.file("rle8.bmp"), MakeBmp(6, 4, 8, 1, kPalette, rle));
  const auto b = LoadBmpFile(dir_.file("rle8.bmp"));
  ASSERT_NE(b, nullptr);
  const int want[4][6] = {  // top-down
      {7, 0, 0, 0, 0, 0},
      {0, 0, 5, 5, 6, 6},
      {0, 0, 0, 0, 0, 0},
      {1, 1, 1, 2, 3, 4},
  };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelOf(*b, x, y), kPalette[want[y][x]]) << x << "," << y;
  ExpectLikeImageMagick(dir_.file("rle8.bmp"));
}

TEST_F(BmpLoaderTest, Rle4WithDeltaAndEndOfBitmap) {
  // 8 x 3; the palette's first entry is black so that skipped pixels agree anyway.
  const std::vector<uint8_t> rle = {
      5, 0x12, 0, 3, 0x34, 0x50, 0, 0,  // row 0: 1 2 1 2 1, absolute 3 4 5 (two bytes, padded)
      0, 2, 1, 0,                       // delta right 1 -> row 1 column 1 (column 0 is skipped)
      0, 0,                             // end of line, nothing more on row 1 after column 1
      4, 0x67, 0, 1,                    // row 2: 6 7 6 7, end of bitmap
      0, 0, 0, 0, 0, 0, 0, 0,           // ImageMagick reads a little past the end code
  };
  WriteBytes(dir_.file("rle4.bmp"), MakeBmp(8, 3, 4, 2, kPalette, rle));
  const auto b = LoadBmpFile(dir_.file("rle4.bmp"));
  ASSERT_NE(b, nullptr);
  const int want[3][8] = {
      {6, 7, 6, 7, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {1, 2, 1, 2, 1, 3, 4, 5},
  };
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(PixelOf(*b, x, y), kPalette[want[y][x]]) << x << "," << y;
  ExpectLikeImageMagick(dir_.file("rle4.bmp"));
}

TEST_F(BmpLoaderTest, RunsThatPassTheRightEdgeAreCutThere) {
  // First row stored: a run of five 1s on a 3-wide row, then an absolute run of five
  // 3s; second row: 2 3 4.
  const std::vector<uint8_t> rle = {5, 1, 0, 5, 3, 3, 3, 3, 3, 0, 0, 0, 0, 3, 2, 3, 4, 0, 0, 1};
  const std::vector<uint8_t> f = MakeBmp(3, 2, 8, 1, kPalette, rle);
  const auto b = LoadBmpMemory(f.data(), f.size());
  ASSERT_NE(b, nullptr);
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(PixelOf(*b, x, 1), kPalette[1]) << x;
    EXPECT_EQ(PixelOf(*b, x, 0), kPalette[2 + x]) << x;
  }
}

TEST_F(BmpLoaderTest, DamagedFilesLoadNothing) {
  const std::vector<uint8_t> rgb = MakeWithConvert("-type TrueColor bmp3", "rgb.bmp");
  const std::vector<uint8_t> rle = MakeWithConvert("-type Palette bmp3", "rle.bmp");
  ASSERT_NE(LoadBmpMemory(rgb.data(), rgb.size()), nullptr);
  ASSERT_NE(LoadBmpMemory(rle.data(), rle.size()), nullptr);

  std::vector<std::pair<const char*, std::vector<uint8_t>>> cases;
  cases.emplace_back("truncated pixels", std::vector<uint8_t>(rgb.begin(), rgb.end() - 1));
  cases.emplace_back("truncated RLE", std::vector<uint8_t>(rle.begin(), rle.end() - 40));
  cases.emplace_back("truncated header", std::vector<uint8_t>(rgb.begin(), rgb.begin() + 30));
  cases.emplace_back("empty", std::vector<uint8_t>());
  auto patched = [&](const std::vector<uint8_t>& base, size_t at, uint32_t value) {
    std::vector<uint8_t> f = base;
    Set32(f, at, value);
    return f;
  };
  cases.emplace_back("offset beyond the file", patched(rgb, 10, 1u << 30));
  cases.emplace_back("OS/2 2.x header", patched(rgb, 14, 64));
  cases.emplace_back("zero width", patched(rgb, 18, 0));
  cases.emplace_back("negative width", patched(rgb, 18, static_cast<uint32_t>(-70)));
  cases.emplace_back("huge uncompressed", patched(patched(rgb, 18, 60000), 22, 60000));
  cases.emplace_back("huge RLE", patched(patched(rle, 18, 60000), 22, 60000));
  cases.emplace_back("most negative height", patched(rgb, 22, 0x80000000u));
  cases.emplace_back("embedded PNG", patched(rgb, 30, 5));
  cases.emplace_back("RLE8 on 24 bits", patched(rgb, 30, 1));
  std::vector<uint8_t> notBm = rgb;
  notBm[0] = 'P';
  cases.emplace_back("not BM", notBm);
  // The declared palette would run past the end of a file that ends after the header.
  cases.emplace_back("palette beyond the file", patched(MakeBmp(2, 2, 8, 0, {}, {}), 10, 2000));
  cases.emplace_back("RLE without its end", MakeBmp(4, 2, 8, 1, kPalette, {4, 1, 0, 0, 2, 2}));

  for (const auto& [what, data] : cases) EXPECT_EQ(LoadBmpMemory(data.data(), data.size()), nullptr) << what;
  WriteBytes(dir_.file("cut.bmp"), cases[0].second);
  EXPECT_EQ(LoadBmpFile(dir_.file("cut.bmp")), nullptr);
  // A JPEG named .bmp.
  ASSERT_TRUE(RunConvert("rose: jpg:" + dir_.file("photo.bmp")));
  EXPECT_EQ(LoadBmpFile(dir_.file("photo.bmp")), nullptr);
}

TEST_F(BmpLoaderTest, SizeLimitCountsTheBitmapNotTheFile) {
  // An RLE8 picture of 2000 x 1000 that is one end-of-bitmap code long.
  const std::vector<uint8_t> f = MakeBmp(2000, 1000, 8, 1, kPalette, {0, 1});
  const size_t exact = static_cast<size_t>(DibStride24(2000)) * 1000;
  const auto b = LoadBmpMemory(f.data(), f.size(), exact);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(PixelOf(*b, 1999, 999), (Rgb{0, 0, 0}));
  EXPECT_EQ(LoadBmpMemory(f.data(), f.size(), exact - 1), nullptr);
}
