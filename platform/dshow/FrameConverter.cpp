#include "platform/dshow/FrameConverter.h"

#include <cstddef>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include "platform/gdi/BitmapInfo.h"

FrameConverter::~FrameConverter() {
  sws_freeContext(scaler_);
  av_frame_free(&frame_);
}

bool FrameConverter::Open(int width, int height, AVPixelFormat format) {
  width_ = width;
  height_ = height;
  frame_ = av_frame_alloc();
  if (!frame_) return false;
  frame_->format = format;
  frame_->width = width;
  frame_->height = height;
  if (av_frame_get_buffer(frame_, 0) < 0) return false;
  scaler_ = sws_getContext(width, height, AV_PIX_FMT_BGR24, width, height, format, SWS_BICUBIC | SWS_ACCURATE_RND,
                           nullptr, nullptr, nullptr);
  return scaler_ != nullptr;
}

AVFrame* FrameConverter::Convert(const uint8_t* bits, int64_t pts, int& error) {
  // An encoder may still hold the last frame.
  if ((error = av_frame_make_writable(frame_)) < 0) return nullptr;
  // Bottom-up rows: start at the last one and step back.
  const int stride = DibStride24(width_);
  const uint8_t* source[1] = {bits + static_cast<ptrdiff_t>(height_ - 1) * stride};
  const int sourceStride[1] = {-stride};
  const int rows = sws_scale(scaler_, source, sourceStride, 0, height_, frame_->data, frame_->linesize);
  if (rows != height_) {
    error = rows < 0 ? rows : AVERROR_EXTERNAL;
    return nullptr;
  }
  frame_->pts = pts;
  return frame_;
}
