// The format every pushed frame carries: 24-bit, uncompressed, bottom-up rows,
// plus the frame duration in 100-ns units.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gdi/BitmapInfo.h"

// Clears header and fills it for formatX x formatY. biSizeImage counts the
// frames' real rows, padded to 4 bytes, so that every width is pushed intact.
// duration is 10,000,000 / frames (truncated); frames must be at least 1.
void FillFrameFormat(BITMAPINFO& header, int64_t& duration, int formatX, int formatY, int frames);

inline constexpr int kMaxFramesPerSecond = 1000;
// The AVI headers keep frame sides in 16 bits.
inline constexpr int kMaxFrameSide = 65535;

// Why no video can be written with these values, or empty when it can.
std::string FrameFormatProblem(int formatX, int formatY, int frames);
