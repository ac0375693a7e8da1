#pragma once

#include <cstdint>

#include "platform/gdi/BitmapInfo.h"

// Pixelates a 24-bit bottom-up frame in place: every blockSize x blockSize block
// takes the average of the pixels it covers. Blocks stop at the right and bottom
// edges, so edge blocks are averaged over fewer pixels rather than bleeding into
// the next row or darkening. blockSize 1 or less leaves the frame unchanged.
void MosaicFrame(const BITMAPINFOHEADER& header, uint8_t* bits, int blockSize);
