#include "MosaicFrame.h"

#include <algorithm>

void MosaicFrame(const BITMAPINFOHEADER& header, uint8_t* bits, int blockSize) {
  const int width = header.biWidth;
  const int height = header.biHeight;
  if (blockSize <= 1 || width <= 0 || height <= 0 || !bits) return;
  const size_t stride = DibStride24(width);

  // Blocks are laid from the first stored row and column; the last block of a
  // row or column covers what is left of the frame.
  for (int y = 0; y < height; y += blockSize) {
    const int rows = std::min(blockSize, height - y);
    for (int x = 0; x < width; x += blockSize) {
      const int columns = std::min(blockSize, width - x);
      uint8_t* const base = bits + y * stride + static_cast<size_t>(x) * 3;
      uint32_t sum[3] = {0, 0, 0};
      for (int d = 0; d < rows; ++d) {
        const uint8_t* p = base + d * stride;
        for (int e = 0; e < columns; ++e, p += 3) {
          sum[0] += p[0];
          sum[1] += p[1];
          sum[2] += p[2];
        }
      }
      const uint32_t count = static_cast<uint32_t>(rows) * static_cast<uint32_t>(columns);
      const uint8_t average[3] = {static_cast<uint8_t>(sum[0] / count), static_cast<uint8_t>(sum[1] / count),
                                  static_cast<uint8_t>(sum[2] / count)};
      for (int d = 0; d < rows; ++d) {
        uint8_t* p = base + d * stride;
        for (int e = 0; e < columns; ++e, p += 3) {
          p[0] = average[0];
          p[1] = average[1];
          p[2] = average[2];
        }
      }
    }
  }
}
