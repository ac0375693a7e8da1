#include <gtest/gtest.h>

#include <climits>

#include "platform/gdi/Bitmap.h"
#include "writer/FrameFormat.h"
#include "support/PictureFiles.h"

namespace {

const Rgb kBlack{0, 0, 0};

// A bitmap whose pixel (x, y) has red x and green y.
std::unique_ptr<Bitmap> Ramp(int width, int height) {
  auto b = std::make_unique<Bitmap>(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = b->scanLine(y) + x * 3;
      p[0] = 7, p[1] = static_cast<uint8_t>(y), p[2] = static_cast<uint8_t>(x);
    }
  return b;
}

BITMAPINFO Header24(int width, int height) {
  BITMAPINFO info;
  int64_t duration;
  FillFrameFormat(info, duration, width, height, 25);
  return info;
}

}  // namespace

TEST(GdiBitmapTest, LayoutIsBottomUpWithPaddedRows) {
  Bitmap b(5, 3);
  EXPECT_EQ(b.stride(), 16);
  EXPECT_EQ(b.sizeBytes(), 48u);
  for (size_t i = 0; i < b.sizeBytes(); ++i) ASSERT_EQ(b.bits()[i], 0) << i;
  EXPECT_EQ(b.scanLine(0), b.bits() + 32);  // the top row is stored last
  EXPECT_EQ(b.scanLine(2), b.bits());
}

TEST(GdiBitmapTest, CreationRefusesBadSizesAndFormats) {
  EXPECT_EQ(CreateCompatibleBitmap(0, 10), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(10, -1), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(INT_MAX, 1), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(20000, 20000), nullptr);  // 1.2 GB
  EXPECT_NE(CreateCompatibleBitmap(1, 1), nullptr);
  EXPECT_THROW(Bitmap(0, 1), std::length_error);

  EXPECT_TRUE(BitmapFits(100, 100, 30000));   // 300 * 100
  EXPECT_FALSE(BitmapFits(100, 100, 29999));
  EXPECT_TRUE(BitmapFits(10000, 20000, kMaxBitmapBytes));

  BITMAPINFO info = Header24(7, 5);
  auto section = CreateDIBSection(info);
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(section->width(), 7);
  EXPECT_EQ(section->height(), 5);
  info.bmiHeader.biHeight = -5;  // top-down sections are not made
  EXPECT_EQ(CreateDIBSection(info), nullptr);
  info = Header24(7, 5);
  info.bmiHeader.biBitCount = 32;
  EXPECT_EQ(CreateDIBSection(info), nullptr);
  info = Header24(7, 5);
  info.bmiHeader.biCompression = 1;
  EXPECT_EQ(CreateDIBSection(info), nullptr);
}

TEST(GdiBitmapTest, FillRectExcludesRightAndBottomAndClips) {
  Bitmap b(6, 4);
  FillRect(&b, TRect{1, 1, 3, 2}, MakeColor(10, 20, 30));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool inside = y == 1 && (x == 1 || x == 2);
      EXPECT_EQ(PixelOf(b, x, y), (inside ? Rgb{10, 20, 30} : kBlack)) << x << "," << y;
    }
  FillRect(&b, TRect{-100, -100, 100, 100}, MakeColor(1, 2, 3));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelOf(b, x, y), (Rgb{1, 2, 3}));
  for (int y = 0; y < 4; ++y)  // the row padding stays untouched
    for (int i = 18; i < b.stride(); ++i) EXPECT_EQ(b.scanLine(y)[i], 0);
}

TEST(GdiBitmapTest, BitBltClipsOnEverySide) {
  auto src = Ramp(4, 3);
  for (auto [x, y] : {std::pair{-2, -1}, std::pair{3, 2}, std::pair{-4, 0}, std::pair{INT_MIN, INT_MAX}}) {
    Bitmap dst(5, 4);
    BitBlt(&dst, x, y, src.get());
    for (int ty = 0; ty < 4; ++ty)
      for (int tx = 0; tx < 5; ++tx) {
        const int64_t sx = int64_t{tx} - x, sy = int64_t{ty} - y;
        const bool inside = sx >= 0 && sx < 4 && sy >= 0 && sy < 3;
        const Rgb want = inside ? Rgb{static_cast<uint8_t>(sx), static_cast<uint8_t>(sy), 7} : kBlack;
        EXPECT_EQ(PixelOf(dst, tx, ty), want) << "at " << x << "," << y << " pixel " << tx << "," << ty;
      }
  }
}

TEST(GdiBitmapTest, StretchBltTakesTheSourcePixelUnderEachCentre) {
  auto src = Ramp(4, 2);
  Bitmap dst(10, 5);
  StretchBlt(&dst, 1, 0, 8, 5, src.get(), 0, 0, 4, 2);
  // Columns double; rows 0,1 of five take source row 0 (centres 0.2, 0.6), rows 2..4 row 1.
  const int rowOf[5] = {0, 0, 1, 1, 1};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 1 && x < 9;
      const Rgb want = inside ? Rgb{static_cast<uint8_t>((x - 1) / 2), static_cast<uint8_t>(rowOf[y]), 7} : kBlack;
      EXPECT_EQ(PixelOf(dst, x, y), want) << x << "," << y;
    }
}

TEST(GdiBitmapTest, StretchBltMapsBeforeClipping) {
  auto src = Ramp(8, 1);
  Bitmap dst(3, 1);
  // Target columns -2..1 take source columns 1, 3, 5, 7; only the last two land in dst.
  StretchBlt(&dst, -2, 0, 4, 1, src.get(), 0, 0, 8, 1);
  EXPECT_EQ(PixelOf(dst, 0, 0).r, 5);  // target index 2: floor(5 * 8 / 8)
  EXPECT_EQ(PixelOf(dst, 1, 0).r, 7);
  EXPECT_EQ(PixelOf(dst, 2, 0), kBlack);

  Bitmap untouched(3, 1);
  StretchBlt(&untouched, 0, 0, 3, 1, src.get(), 6, 0, 3, 1);   // source area leaves src
  StretchBlt(&untouched, 0, 0, -3, 1, src.get(), 0, 0, 3, 1);  // mirrored
  StretchBlt(&untouched, 0, 0, 3, 0, src.get(), 0, 0, 3, 1);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelOf(untouched, x, 0), kBlack);
}

TEST(GdiBitmapTest, GetDIBitsCopiesLinesFromTheBottom) {
  auto src = Ramp(3, 4);
  std::vector<uint8_t> bits(static_cast<size_t>(DibStride24(3)) * 4, 0xEE);
  const BITMAPINFO info = Header24(3, 4);
  EXPECT_EQ(GetDIBits(src.get(), 1, 10, bits.data(), info), 3);
  // The first line copied is the bitmap's second line from the bottom (top-down row 2).
  EXPECT_EQ(bits[1], 2);
  EXPECT_EQ(bits[2 * DibStride24(3) + 1], 0);  // top row
  EXPECT_EQ(bits[3 * DibStride24(3)], 0xEE);   // beyond what was copied
  EXPECT_EQ(GetDIBits(src.get(), -1, 2, bits.data(), info), 0);
  EXPECT_EQ(GetDIBits(src.get(), 0, 4, bits.data(), Header24(4, 4)), 0);  // other width
}
