#include <gtest/gtest.h>

#include <numeric>

#include "platform/gdi/Bitmap.h"
#include "writer/FrameFormat.h"
#include "writer/MosaicFrame.h"

namespace {

struct Frame {
  BITMAPINFO header{};
  std::vector<uint8_t> bits;
  int stride = 0;
  uint8_t& at(int x, int row, int channel) { return bits[static_cast<size_t>(row) * stride + x * 3 + channel]; }
};

// Every byte distinct enough that an average over the wrong pixels shows.
Frame MakeFrame(int width, int height) {
  Frame f;
  int64_t duration = 0;
  FillFrameFormat(f.header, duration, width, height, 25);
  f.stride = DibStride24(width);
  f.bits.assign(static_cast<size_t>(f.stride) * height, 0);
  for (int row = 0; row < height; ++row)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) f.at(x, row, c) = static_cast<uint8_t>((x * 7 + row * 31 + c * 50) % 256);
  return f;
}

int AverageOf(Frame& f, int x0, int row0, int columns, int rows, int channel) {
  int sum = 0;
  for (int row = row0; row < row0 + rows; ++row)
    for (int x = x0; x < x0 + columns; ++x) sum += f.at(x, row, channel);
  return sum / (columns * rows);
}

}  // namespace

TEST(MosaicFrame, EdgeBlocksAreAveragedOverThePixelsTheyCover) {
  // 10 x 7 with blocks of 4: the last column of blocks is 2 wide, the last row 3 high.
  Frame original = MakeFrame(10, 7);
  Frame f = original;
  MosaicFrame(f.header.bmiHeader, f.bits.data(), 4);

  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(f.at(0, 0, c), AverageOf(original, 0, 0, 4, 4, c));
    EXPECT_EQ(f.at(3, 3, c), AverageOf(original, 0, 0, 4, 4, c));
    EXPECT_EQ(f.at(8, 0, c), AverageOf(original, 8, 0, 2, 4, c));  // right edge
    EXPECT_EQ(f.at(9, 3, c), AverageOf(original, 8, 0, 2, 4, c));
    EXPECT_EQ(f.at(4, 4, c), AverageOf(original, 4, 4, 4, 3, c));  // last rows
    EXPECT_EQ(f.at(9, 6, c), AverageOf(original, 8, 4, 2, 3, c));  // corner
  }
}

TEST(MosaicFrame, SolidPictureStaysSolidUpToTheEdges) {
  // A block that ran on into the next row or counted missing pixels would change the colour.
  Frame f = MakeFrame(37, 23);
  std::fill(f.bits.begin(), f.bits.end(), 200);
  MosaicFrame(f.header.bmiHeader, f.bits.data(), 7);
  for (int row = 0; row < 23; ++row)
    for (int x = 0; x < 37; ++x) ASSERT_EQ(f.at(x, row, 1), 200) << x << "," << row;
}

TEST(MosaicFrame, BlockSizeOneLeavesTheFrameUnchanged) {
  const Frame original = MakeFrame(13, 5);
  Frame f = original;
  MosaicFrame(f.header.bmiHeader, f.bits.data(), 1);
  EXPECT_EQ(f.bits, original.bits);
}

TEST(MosaicFrame, RowPaddingIsNeitherReadNorWritten) {
  Frame f = MakeFrame(5, 4);  // 15 bytes a row, padded to 16
  for (int row = 0; row < 4; ++row) f.bits[row * f.stride + 15] = 0xAB;
  MosaicFrame(f.header.bmiHeader, f.bits.data(), 3);
  for (int row = 0; row < 4; ++row) EXPECT_EQ(f.bits[row * f.stride + 15], 0xAB);
}

TEST(FrameFormat, HeaderAndDurationFollowTheSettings) {
  BITMAPINFO header;
  int64_t duration = 0;
  FillFrameFormat(header, duration, 320, 240, 25);
  EXPECT_EQ(header.bmiHeader.biSize, 40u);
  EXPECT_EQ(header.bmiHeader.biHeight, 240);  // bottom-up
  EXPECT_EQ(header.bmiHeader.biBitCount, 24);
  EXPECT_EQ(header.bmiHeader.biSizeImage, 320u * 240 * 3);
  EXPECT_EQ(duration, 400000);
  FillFrameFormat(header, duration, 322, 10, 7);
  EXPECT_EQ(header.bmiHeader.biSizeImage, 968u * 10);  // 966 bytes padded to 968
  EXPECT_EQ(duration, 1428571);
  FillFrameFormat(header, duration, 320, 240, 15);
  EXPECT_EQ(duration, 666666);
}

TEST(FrameFormat, RefusesWhatCannotBeWritten) {
  EXPECT_TRUE(FrameFormatProblem(320, 240, 25).empty());
  EXPECT_NE(FrameFormatProblem(320, 240, 0).find("frame rate"), std::string::npos);
  EXPECT_FALSE(FrameFormatProblem(320, 240, -3).empty());
  EXPECT_TRUE(FrameFormatProblem(320, 240, 1000).empty());
  EXPECT_FALSE(FrameFormatProblem(320, 240, 1001).empty());
  EXPECT_FALSE(FrameFormatProblem(0, 240, 25).empty());
  EXPECT_FALSE(FrameFormatProblem(320, -1, 25).empty());
  EXPECT_FALSE(FrameFormatProblem(100000, 100000, 25).empty());  // beyond 2 GiB a frame
}
