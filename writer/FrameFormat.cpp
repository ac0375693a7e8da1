#include "FrameFormat.h"

#include <cstring>

#include "platform/gdi/Bitmap.h"

void FillFrameFormat(BITMAPINFO& header, int64_t& duration, int formatX, int formatY, int frames) {
  std::memset(&header, 0, sizeof header);
  BITMAPINFOHEADER& h = header.bmiHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = formatX;
  h.biHeight = formatY;
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<uint32_t>(static_cast<int64_t>(DibStride24(formatX)) * formatY);
  duration = frames > 0 ? static_cast<int64_t>(10'000'000 / frames) : 0;
}

std::string FrameFormatProblem(int formatX, int formatY, int frames) {
  // The AVI writer keeps frame times in 1/1000 s at the finest.
  if (frames < 1 || frames > kMaxFramesPerSecond)
    return "Cannot write AVI: the frame rate is " + std::to_string(frames) +
           " frames per second; it must be from 1 to " + std::to_string(kMaxFramesPerSecond) + ".";
  const std::string size = std::to_string(formatX) + "x" + std::to_string(formatY);
  if (formatX < 1 || formatY < 1) return "Cannot write AVI: the frame size " + size + " is not valid.";
  if (formatX > kMaxFrameSide || formatY > kMaxFrameSide)
    return "Cannot write AVI: the frame size " + size + " is too large; AVI files take at most " +
           std::to_string(kMaxFrameSide) + " pixels a side.";
  if (!BitmapFits(formatX, formatY))
    return "Cannot write AVI: frames of " + size + " need more than this program's limit of " +
           std::to_string(kMaxBitmapBytes / 1'000'000) + " MB a frame.";
  return {};
}
