#include "platform/dshow/FrameConverter.h"

#include <cstddef>
#include <cstring>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include "platform/gdi/BitmapInfo.h"

namespace {

AVFrame* NewFrame(int width, int height, AVPixelFormat format) {
  AVFrame* frame = av_frame_alloc();
  if (!frame) return nullptr;
  frame->format = format;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame, 0) < 0) av_frame_free(&frame);
  return frame;
}

}  // namespace

FrameConverter::~FrameConverter() { Free(); }

void FrameConverter::Free() {
  sws_freeContext(scaler_);
  scaler_ = nullptr;
  av_frame_free(&source_);
  av_frame_free(&frame_);
}

bool FrameConverter::Open(int width, int height, AVPixelFormat format) {
  Free();
  width_ = width;
  height_ = height;
  frame_ = NewFrame(width, height, format);
  source_ = NewFrame(width, height, AV_PIX_FMT_BGR24);
  if (!frame_ || !source_) return false;
  std::memset(source_->buf[0]->data, 0, source_->buf[0]->size);
  scaler_ = sws_getContext(width, height, AV_PIX_FMT_BGR24, width, height, format, SWS_BICUBIC | SWS_ACCURATE_RND,
                           nullptr, nullptr, nullptr);
  return scaler_ != nullptr;
}

AVFrame* FrameConverter::Convert(const uint8_t* bits, int64_t pts, int& error) {
  // An encoder may still hold the last frame.
  if ((error = av_frame_make_writable(frame_)) < 0) return nullptr;
  // Bottom-up rows: the last one is the top of the picture.
  const size_t stride = static_cast<size_t>(DibStride24(width_));
  const size_t rowBytes = static_cast<size_t>(width_) * 3;
  for (int y = 0; y < height_; ++y)
    std::memcpy(source_->data[0] + static_cast<ptrdiff_t>(y) * source_->linesize[0],
                bits + static_cast<size_t>(height_ - 1 - y) * stride, rowBytes);
  const int rows = sws_scale(scaler_, source_->data, source_->linesize, 0, height_, frame_->data, frame_->linesize);
  if (rows != height_) {
    error = rows < 0 ? rows : AVERROR_EXTERNAL;
    return nullptr;
  }
  frame_->pts = pts;
  return frame_;
}
