#include "writer/DrawPicture.h"
#include "writer/FrameFormat.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/PictureFiles.h"
#include "support/TempDir.h"
#include "writer/PictureItem.h"

namespace {

const TColor kBk = MakeColor(0x12, 0x34, 0x56);
const Rgb kPicture{200, 10, 90};

BITMAPINFO Frame(int width, int height) {
  BITMAPINFO info;
  int64_t duration;
  FillFrameFormat(info, duration, width, height, 25);
  return info;
}

// Frame bits exactly as large as the caller's buffer must be, so that ASan sees any
// write beyond it.
std::vector<uint8_t> Render(const std::string& file, int width, int height, TColor bk = kBk,
                            JpegDecoding decoding = JpegDecoding::Reduced) {
  std::vector<uint8_t> bits(static_cast<size_t>(DibStride24(width)) * height, 0xEE);
  RenderToDIB(file, bk, bits.data(), Frame(width, height), decoding);
  return bits;
}

// Every pixel of the frame is the picture colour inside (x, y, w, h), clipped to the
// frame, and the background elsewhere.
void ExpectLetterBox(const std::vector<uint8_t>& bits, int width, int height, int x, int y, int w, int h) {
  int wrong = 0;
  for (int ty = 0; ty < height; ++ty)
    for (int tx = 0; tx < width; ++tx) {
      const bool inside = tx >= x && tx < x + w && ty >= y && ty < y + h;
      const Rgb got = PixelOf(bits, width, height, tx, ty);
      if (got != (inside ? kPicture : RgbOf(kBk)) && wrong++ < 5)
        ADD_FAILURE() << "pixel " << tx << "," << ty << " is " << testing::PrintToString(got)
                      << (inside ? " inside" : " outside") << " the picture";
    }
  EXPECT_EQ(wrong, 0);
}

class DrawPictureTest : public testing::Test {
 protected:
  std::string Solid(int width, int height) {
    const std::string path = dir_.file("solid" + std::to_string(width) + "x" + std::to_string(height) + ".bmp");
    WriteBmp24(path, width, height, [](int, int) { return kPicture; });
    return path;
  }
  TempDir dir_;
};

}  // namespace

TEST_F(DrawPictureTest, FitCasesIntoThePreviewSize) {
  // Same size: both tests hold, the second decides, and the width grows by one column.
  ExpectLetterBox(Render(Solid(320, 240), 320, 240), 320, 240, 0, 0, 321, 240);
  ExpectLetterBox(Render(Solid(640, 240), 320, 240), 320, 240, 0, 60, 320, 120);
  ExpectLetterBox(Render(Solid(240, 320), 320, 240), 320, 240, 70, 0, 180, 240);
  ExpectLetterBox(Render(Solid(100, 100), 320, 240), 320, 240, 40, 0, 240, 240);
}

TEST_F(DrawPictureTest, FramesOfOtherSizes) {
  // 250 wide: rows of 750 bytes padded to 752.
  ExpectLetterBox(Render(Solid(100, 100), 250, 150), 250, 150, 50, 0, 150, 150);
  ExpectLetterBox(Render(Solid(640, 240), 250, 150), 250, 150, 0, 28, 250, 94);  // fitH 93.75 -> 94, y 56/2
  // An odd band is halved with truncation: (321 - 240) / 2 = 40.
  ExpectLetterBox(Render(Solid(100, 100), 321, 240), 321, 240, 40, 0, 240, 240);
  ExpectLetterBox(Render(Solid(1, 1), 320, 240), 320, 240, 40, 0, 240, 240);
  ExpectLetterBox(Render(Solid(1, 1), 1, 1), 1, 1, 0, 0, 2, 1);
  // Very wide: fitH = 3.2 -> 3, y = 237 / 2 = 118.
  ExpectLetterBox(Render(Solid(1000, 10), 320, 240), 320, 240, 0, 118, 320, 3);
  // Very tall: fitW = 2.4 -> 2, x = 318 / 2 = 159.
  ExpectLetterBox(Render(Solid(10, 1000), 320, 240), 320, 240, 159, 0, 2, 240);
  // So tall that it rounds to no column at all: background only.
  ExpectLetterBox(Render(Solid(1, 2000), 320, 240), 320, 240, 0, 0, 0, 0);
}

TEST_F(DrawPictureTest, KeptWidthRepeatsTheMiddleColumnAndLosesTheLast) {
  const std::string path = dir_.file("columns.bmp");
  WriteBmp24(path, 320, 240, [](int x, int) { return Rgb{static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(x >> 8), 1}; });
  const auto bits = Render(path, 320, 240);
  auto column = [&](int x) {
    const Rgb c = PixelOf(bits, 320, 240, x, 120);
    return c.r + 256 * c.g;
  };
  // 321 target columns over 320 source columns: target i shows floor((2i + 1) * 320 / 642).
  for (int x = 0; x < 320; ++x) ASSERT_EQ(column(x), x <= 160 ? x : x - 1) << "column " << x;
  EXPECT_EQ(column(160), column(161));
}

TEST_F(DrawPictureTest, HalvingTakesEveryOtherColumn) {
  const std::string path = dir_.file("columns640.bmp");
  WriteBmp24(path, 640, 480, [](int x, int y) {
    return Rgb{static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(x >> 8), static_cast<uint8_t>(y & 0xFF)};
  });
  const auto bits = Render(path, 320, 240);
  for (int x = 0; x < 320; ++x) {
    const Rgb c = PixelOf(bits, 320, 240, x, 10);
    ASSERT_EQ(c.r + 256 * c.g, 2 * x + 1);
    ASSERT_EQ(c.b, 21);  // row 10 shows source row 21
  }
}

TEST_F(DrawPictureTest, FitCountsFromTheTargetOriginNotFromTheRect) {
  const std::string path = Solid(100, 100);
  Bitmap target(120, 120);
  DrawPicture(path, kBk, &target, TRect{10, 10, 110, 110});
  // The fill covers the rectangle; the picture lies at 0,0 with 101 x 100 pixels.
  EXPECT_EQ(PixelOf(target, 0, 0), kPicture);
  EXPECT_EQ(PixelOf(target, 100, 99), kPicture);
  EXPECT_EQ(PixelOf(target, 101, 50), RgbOf(kBk));
  EXPECT_EQ(PixelOf(target, 50, 100), RgbOf(kBk));
  EXPECT_EQ(PixelOf(target, 115, 115), (Rgb{0, 0, 0}));
}

TEST_F(DrawPictureTest, ExtensionChoosesTheLoader) {
  const std::string bmp = Solid(100, 100);
  std::filesystem::create_directories(dir_.path() / "album.bmp");
  for (const char* name : {"a.BMP", "b.bmp", "c.Bmp", "many.dots.bmp", "album.bmp/nodot", "d.bmpx", "e.png", "f"}) {
    const std::string path = dir_.file(name);
    std::filesystem::copy_file(bmp, path);
    const std::string ext = std::filesystem::path(name).extension().string();
    const bool loads = ext == ".BMP" || ext == ".bmp" || ext == ".Bmp";
    SCOPED_TRACE(name);
    if (loads) ExpectLetterBox(Render(path, 320, 240), 320, 240, 40, 0, 240, 240);
    else ExpectLetterBox(Render(path, 320, 240), 320, 240, 0, 0, 0, 0);
  }
  ExpectLetterBox(Render(dir_.file("missing.bmp"), 320, 240), 320, 240, 0, 0, 0, 0);
  ExpectLetterBox(Render("", 320, 240), 320, 240, 0, 0, 0, 0);
}

TEST_F(DrawPictureTest, JpegNamesInAnyCase) {
  if (ConvertTool().empty()) GTEST_SKIP() << "ImageMagick's /usr/bin/convert is not installed";
  const std::string jpg = dir_.file("photo.Jpg");
  ASSERT_TRUE(RunConvert("-size 64x64 xc:'rgb(200,10,90)' -quality 100 " + jpg));
  std::filesystem::copy_file(jpg, dir_.file("PHOTO.JPG"));
  std::filesystem::copy_file(jpg, dir_.file("photo.jpeg"));
  for (const char* name : {"photo.Jpg", "PHOTO.JPG"}) {
    const auto bits = Render(dir_.file(name), 320, 240);
    const Rgb c = PixelOf(bits, 320, 240, 160, 120);
    EXPECT_NEAR(c.r, 200, 3) << name;
    EXPECT_NEAR(c.g, 10, 3) << name;
    EXPECT_NEAR(c.b, 90, 3) << name;
    EXPECT_EQ(PixelOf(bits, 320, 240, 39, 0), RgbOf(kBk)) << name;
    EXPECT_EQ(PixelOf(bits, 320, 240, 280, 0), RgbOf(kBk)) << name;
  }
  ExpectLetterBox(Render(dir_.file("photo.jpeg"), 320, 240), 320, 240, 0, 0, 0, 0);
}

TEST_F(DrawPictureTest, BadFrameHeadersWriteNothing) {
  const std::string path = Solid(10, 10);
  std::vector<uint8_t> bits(64, 0xEE);
  BITMAPINFO header = Frame(4, 4);
  header.bmiHeader.biHeight = -4;
  RenderToDIB(path, kBk, bits.data(), header);
  header = Frame(4, 4);
  header.bmiHeader.biBitCount = 32;
  RenderToDIB(path, kBk, bits.data(), header);
  for (uint8_t b : bits) EXPECT_EQ(b, 0xEE);
}

TEST_F(DrawPictureTest, PictureItemDrawsItsPreviewAndFrames) {
  const std::string path = Solid(640, 240);
  TPictureItem item(path, kBk);
  EXPECT_EQ(item.FileName, path);
  EXPECT_EQ(item.Transition, 0);
  EXPECT_EQ(item.DisplayTime, 10);
  EXPECT_EQ(item.BkColor, kBk);
  ASSERT_NE(item.Preview, nullptr);
  ASSERT_EQ(item.Preview->width(), 320);
  ASSERT_EQ(item.Preview->height(), 240);
  EXPECT_EQ(PixelOf(*item.Preview, 160, 59), RgbOf(kBk));
  EXPECT_EQ(PixelOf(*item.Preview, 160, 60), kPicture);
  EXPECT_EQ(PixelOf(*item.Preview, 160, 179), kPicture);
  EXPECT_EQ(PixelOf(*item.Preview, 160, 180), RgbOf(kBk));

  // A later colour reaches frames at once and the preview only when redrawn.
  item.BkColor = MakeColor(1, 2, 3);
  std::vector<uint8_t> bits(static_cast<size_t>(DibStride24(64)) * 48);
  item.RenderToDIB(bits.data(), Frame(64, 48));
  EXPECT_EQ(PixelOf(bits, 64, 48, 0, 0), (Rgb{1, 2, 3}));
  EXPECT_EQ(PixelOf(bits, 64, 48, 32, 24), kPicture);
  EXPECT_EQ(PixelOf(*item.Preview, 0, 0), RgbOf(kBk));
  item.DrawPicture(item.Preview.get(), TRect{0, 0, 320, 240});
  EXPECT_EQ(PixelOf(*item.Preview, 0, 0), (Rgb{1, 2, 3}));

  std::filesystem::remove(path);  // deleted since the entry was made
  item.RenderToDIB(bits.data(), Frame(64, 48));
  EXPECT_EQ(PixelOf(bits, 64, 48, 32, 24), (Rgb{1, 2, 3}));
}

TEST_F(DrawPictureTest, AJpegTwiceItsPlaceOrMoreIsDecodedSmallerAndLandsCloserToTheAveragedPicture) {
  if (ConvertTool().empty()) GTEST_SKIP() << "ImageMagick's /usr/bin/convert is not installed";
  struct Case {
    int width, height, frameWidth, frameHeight, top;
  };
  // Fine hatching that a nearest-neighbour stretch of the whole picture aliases.
  for (const Case c : {Case{1600, 1000, 160, 120, 10}, Case{640, 480, 320, 240, 0}, Case{366, 275, 320, 240, 0}}) {
    const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
    SCOPED_TRACE(size);
    const std::string jpg = dir_.file("hatch" + size + ".jpg");
    ASSERT_TRUE(RunConvert("-size " + size + " pattern:hs_diagcross -quality 95 " + jpg));
    const auto whole = Render(jpg, c.frameWidth, c.frameHeight, kBk, JpegDecoding::Whole);
    const auto scaled = Render(jpg, c.frameWidth, c.frameHeight);
    if (c.width < 2 * c.frameWidth) {  // stretched only a little: the whole picture is drawn
      EXPECT_TRUE(scaled == whole);
      continue;
    }
    const int placeHeight = c.frameHeight - 2 * c.top;
    const std::string averaged = dir_.file("averaged" + size + ".png");
    ASSERT_TRUE(RunConvert(jpg + " -scale " + std::to_string(c.frameWidth) + "x" + std::to_string(placeHeight) +
                           "! " + averaged));
    const auto reference = DecodeWithConvert(averaged);
    ASSERT_TRUE(reference);
    auto distance = [&](const std::vector<uint8_t>& bits) {
      double sum = 0;
      for (int y = 0; y < placeHeight; ++y)
        for (int x = 0; x < c.frameWidth; ++x) {
          const Rgb got = PixelOf(bits, c.frameWidth, c.frameHeight, x, y + c.top);
          const Rgb want = reference->at(x, y);
          sum += std::abs(got.r - want.r) + std::abs(got.g - want.g) + std::abs(got.b - want.b);
        }
      return sum / (c.frameWidth * placeHeight * 3);
    };
    EXPECT_LT(distance(scaled), distance(whole) / 2);
    for (int x = 0; x < c.frameWidth && c.top > 0; x += 7)
      for (int y : {0, c.top - 1, c.frameHeight - c.top, c.frameHeight - 1}) {
        EXPECT_EQ(PixelOf(scaled, c.frameWidth, c.frameHeight, x, y), RgbOf(kBk)) << x << "," << y;
        EXPECT_EQ(PixelOf(whole, c.frameWidth, c.frameHeight, x, y), RgbOf(kBk)) << x << "," << y;
      }
  }
}
