// The three frames of one write: OUT is pushed, PREV holds the previous picture,
// NEW the picture being reached. Made once per write and reused for every picture.
#pragma once

#include <memory>
#include <optional>

#include "platform/gdi/Bitmap.h"

struct FrameBuffers {
  std::unique_ptr<Bitmap> OUT;
  std::unique_ptr<Bitmap> PREV;
  std::unique_ptr<Bitmap> NEW;
};

// All three black; nothing when the sections cannot be made.
std::optional<FrameBuffers> MakeFrameBuffers(const BITMAPINFO& header);

// Copies a whole frame, padding included; both have the same format.
void CopyFrame(const Bitmap& from, Bitmap& to);
