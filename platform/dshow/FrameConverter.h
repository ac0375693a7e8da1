// Turns our bottom-up 24-bit DIB frames into frames of an encoder's pixel format.
#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/pixfmt.h>
}

struct AVFrame;
struct SwsContext;

class FrameConverter {
 public:
  FrameConverter() = default;
  ~FrameConverter();
  FrameConverter(const FrameConverter&) = delete;
  FrameConverter& operator=(const FrameConverter&) = delete;

  // False when out of memory.
  bool Open(int width, int height, AVPixelFormat format);
  // The converted frame, stamped with pts; null with error (an FFmpeg error)
  // set when it fails. It stays the converter's and is overwritten by the next call.
  AVFrame* Convert(const uint8_t* bits, int64_t pts, int& error);

 private:
  int width_ = 0;
  int height_ = 0;
  SwsContext* scaler_ = nullptr;
  AVFrame* frame_ = nullptr;
};
