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

  // False when out of memory. Opening again lets go of the frames of before.
  bool Open(int width, int height, AVPixelFormat format);
  // The converted frame, stamped with pts; null with error (an FFmpeg error)
  // set when it fails. It stays the converter's and is overwritten by the next
  // call. bits need no padding.
  AVFrame* Convert(const uint8_t* bits, int64_t pts, int& error);

 private:
  void Free();

  int width_ = 0;
  int height_ = 0;
  SwsContext* scaler_ = nullptr;
  // The rows top-down in a buffer that FFmpeg padded: swscale's readers go
  // past the end of a row, and past the last one. Its padding stays zero, so
  // what they read there is the same on every run.
  AVFrame* source_ = nullptr;
  AVFrame* frame_ = nullptr;
};
