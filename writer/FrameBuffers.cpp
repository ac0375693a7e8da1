#include "FrameBuffers.h"

#include <cstring>

std::optional<FrameBuffers> MakeFrameBuffers(const BITMAPINFO& header) {
  FrameBuffers buffers;
  buffers.OUT = CreateDIBSection(header);
  buffers.PREV = CreateDIBSection(header);
  buffers.NEW = CreateDIBSection(header);
  if (!buffers.OUT || !buffers.PREV || !buffers.NEW) return std::nullopt;
  return buffers;
}

void CopyFrame(const Bitmap& from, Bitmap& to) { std::memcpy(to.bits(), from.bits(), to.sizeBytes()); }
