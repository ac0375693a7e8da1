// The one drawing routine through which every picture reaches a preview or a frame:
// the picture file scaled with its aspect ratio kept, centred on a fill of the
// background colour (letter-boxed).
#pragma once

#include <cstdint>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/BitmapInfo.h"

// Fills rect of target with bkColor and draws the picture in fileName over it. A name
// ending in ".JPG" or ".BMP" (any case, from the last dot of the name after its last
// "/") is loaded as such; any other name, and a file that cannot be loaded, leaves
// the fill alone. The fit counts from the target's origin, whatever rect's Left and Top.
// How a JPEG much larger than its place is decoded.
enum class JpegDecoding {
  Reduced,  // at the smallest scale that still covers its place
  Whole,    // at full size, as the serial writing path does
};

void DrawPicture(const std::string& fileName, TColor bkColor, HBITMAP target, const TRect& rect,
                 JpegDecoding decoding = JpegDecoding::Reduced);

// Draws the picture letter-boxed into a frame of header's width and height and writes
// it into bits in header's layout: height rows of DibStride24(width) bytes, bottom-up.
// Writes nothing when header is not a 24-bit BI_RGB format of positive size that a
// bitmap can be made for.
void RenderToDIB(const std::string& fileName, TColor bkColor, uint8_t* bits, const BITMAPINFO& header,
                 JpegDecoding decoding = JpegDecoding::Reduced);
