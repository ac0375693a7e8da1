#include "platform/dshow/VideoCompressor.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "platform/dshow/FilterGraph.h"
#include "platform/gdi/BitmapInfo.h"

namespace {

// How one encoder is told the quality and the key-frame interval.
struct EncoderControls {
  enum class Quality { None, QScale, Crf } quality;
  int qscaleBest;
  int qscaleWorst;
  enum class KeyFrames { None, Gop, KeyintMinBefore } keyFrames;
  int maxSide = 65535;  // what the AVI headers hold
};

EncoderControls ControlsOf(const AVCodec* codec) {
  using Q = EncoderControls::Quality;
  using K = EncoderControls::KeyFrames;
  const std::string name = codec->name;
  // Microsoft Video 1 has no quality control; a key frame comes after keyint_min others.
  if (name == "msvideo1") return {Q::None, 0, 0, K::KeyintMinBefore};
  if (name == "mjpeg") return {Q::QScale, 1, 31, K::None};
  // MPEG-4 part 2 keeps the sides in 13 bits; larger ones wrap without an error.
  if (name == "mpeg4" || name == "libxvid") return {Q::QScale, 2, 31, K::Gop, 8191};
  if (name == "msmpeg4v2" || name == "msmpeg4") return {Q::QScale, 2, 31, K::Gop};
  if (name == "libx264") return {Q::Crf, 0, 0, K::Gop};
  const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec->id);
  const bool intraOnly = descriptor && (descriptor->props & AV_CODEC_PROP_INTRA_ONLY);
  return {Q::None, 0, 0, intraOnly ? K::None : K::Gop};
}

// The encoder's own first choice, or our frames' format when it takes that.
AVPixelFormat PixelFormatFor(const AVCodec* codec) {
  if (!codec->pix_fmts) return AV_PIX_FMT_BGR24;
  for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
    if (*f == AV_PIX_FMT_BGR24) return AV_PIX_FMT_BGR24;
  return codec->pix_fmts[0];
}

constexpr int kFirstFrameOnly = 1 << 30;

}  // namespace

ComPtr<VideoCompressor> VideoCompressor::Make(const std::string& friendlyName, const AVCodec* encoder) {
  return ComPtr<VideoCompressor>::Attach(new VideoCompressor(friendlyName, encoder));
}

VideoCompressor::VideoCompressor(const std::string& friendlyName, const AVCodec* encoder)
    : friendlyName_(friendlyName), encoder_(encoder) {}

VideoCompressor::~VideoCompressor() {
  Close();
  avcodec_parameters_free(&connectParams_);
}

std::vector<PinDescription> VideoCompressor::Pins() { return {{&output_, GUID_NULL, MEDIATYPE_Video}}; }

HRESULT VideoCompressor::OutputPin::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IPin)
    *object = static_cast<IPin*>(this);
  else if (iid == IID_IAMVideoCompression)
    *object = static_cast<IAMVideoCompression*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT VideoCompressor::OutputPin::put_KeyFrameRate(long keyFrameRate) {
  if (owner_.context_) return VFW_E_WRONG_STATE;
  owner_.keyFrameRate_ = keyFrameRate;
  owner_.Log("Video Compressor: key frame rate " + std::to_string(keyFrameRate));
  return S_OK;
}

HRESULT VideoCompressor::OutputPin::put_Quality(double quality) {
  if (owner_.context_) return VFW_E_WRONG_STATE;
  if (std::isnan(quality)) return E_INVALIDARG;
  owner_.quality_ = quality;
  owner_.Log("Video Compressor: quality " + std::to_string(quality));
  return S_OK;
}

AVCodecContext* VideoCompressor::NewContext(AVRational tb) const {
  AVCodecContext* c = avcodec_alloc_context3(encoder_);
  if (!c) return nullptr;
  c->width = width_;
  c->height = height_;
  c->time_base = tb;
  c->framerate = av_inv_q(tb);
  c->pix_fmt = PixelFormatFor(encoder_);
  // AVI carries no presentation times: frames leave in the order they came.
  c->max_b_frames = 0;
  const EncoderControls controls = ControlsOf(encoder_);
  if (keyFrameRate_ >= 0) {
    const int interval = keyFrameRate_ == 0 ? kFirstFrameOnly : static_cast<int>(std::min<long>(keyFrameRate_, kFirstFrameOnly));
    if (controls.keyFrames == EncoderControls::KeyFrames::Gop) c->gop_size = interval;
    if (controls.keyFrames == EncoderControls::KeyFrames::KeyintMinBefore) c->keyint_min = interval - 1;
  }
  if (quality_ >= 0) {
    const double q = std::min(quality_, 1.0);
    if (controls.quality == EncoderControls::Quality::QScale) {
      const long qscale = std::lround(controls.qscaleWorst - q * (controls.qscaleWorst - controls.qscaleBest));
      c->flags |= AV_CODEC_FLAG_QSCALE;
      c->global_quality = static_cast<int>(FF_QP2LAMBDA * qscale);
    } else if (controls.quality == EncoderControls::Quality::Crf) {
      // CRF 0 would be lossless, which few players decode.
      av_opt_set_double(c->priv_data, "crf", 1 + (1 - q) * 50, 0);
    }
  }
  return c;
}

HRESULT VideoCompressor::ConnectInput(int width, int height) {
  if (running_) return VFW_E_WRONG_STATE;
  if (connectParams_) return VFW_E_ALREADY_CONNECTED;
  if (width <= 0 || height <= 0) return VFW_E_TYPE_NOT_ACCEPTED;
  width_ = width;
  height_ = height;
  const int maxSide = ControlsOf(encoder_).maxSide;
  if (width > maxSide || height > maxSide) return Refuse("at most " + std::to_string(maxSide) + " pixels a side");
  AVCodecContext* trial = NewContext(AVRational{1, 25});
  if (!trial) return E_OUTOFMEMORY;
  TakeFfmpegError();
  const int err = avcodec_open2(trial, encoder_, nullptr);
  if (err < 0) {
    avcodec_free_context(&trial);
    const std::string reason = TakeFfmpegError();
    return Refuse(reason.empty() ? AvErrorText(err) : reason);
  }
  connectParams_ = avcodec_parameters_alloc();
  const int copied = connectParams_ ? avcodec_parameters_from_context(connectParams_, trial) : AVERROR(ENOMEM);
  avcodec_free_context(&trial);
  if (copied < 0) {
    avcodec_parameters_free(&connectParams_);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT VideoCompressor::Refuse(const std::string& reason) {
  ReportError(VFW_E_CANNOT_CONNECT, friendlyName_ + " cannot take frames of " + std::to_string(width_) + " x " +
                                        std::to_string(height_) + ": " + reason);
  return VFW_E_CANNOT_CONNECT;
}

HRESULT VideoCompressor::ConnectOutput(AviMux* mux) {
  if (!connectParams_) return VFW_E_NOT_CONNECTED;
  if (mux_) return VFW_E_ALREADY_CONNECTED;
  const HRESULT hr = mux->ConnectEncodedVideo(connectParams_);
  if (hr != S_OK) return hr;
  mux_ = mux;
  muxFilter_ = ComPtr<IBaseFilter>::Share(static_cast<IBaseFilter*>(mux));
  return S_OK;
}

HRESULT VideoCompressor::OnRun() {
  if (!mux_) return VFW_E_NOT_CONNECTED;
  return ended_ ? VFW_E_WRONG_STATE : S_OK;
}

HRESULT VideoCompressor::Open(AVRational tb) {
  tb_ = tb;
  context_ = NewContext(tb);
  if (!context_) return E_OUTOFMEMORY;
  int err = avcodec_open2(context_, encoder_, nullptr);
  if (err < 0) {
    Close();
    return VFW_E_CANNOT_CONNECT;
  }
  frame_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (!frame_ || !packet_) return E_OUTOFMEMORY;
  frame_->format = context_->pix_fmt;
  frame_->width = width_;
  frame_->height = height_;
  if (av_frame_get_buffer(frame_, 0) < 0) return E_OUTOFMEMORY;
  scaler_ = sws_getContext(width_, height_, AV_PIX_FMT_BGR24, width_, height_, context_->pix_fmt,
                           SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
  if (!scaler_) return E_OUTOFMEMORY;
  AVCodecParameters* params = avcodec_parameters_alloc();
  if (!params) return E_OUTOFMEMORY;
  err = avcodec_parameters_from_context(params, context_);
  const HRESULT hr = err < 0 ? E_OUTOFMEMORY : mux_->StartEncodedVideo(params, tb);
  avcodec_parameters_free(&params);
  return hr;
}

void VideoCompressor::Close() {
  avcodec_free_context(&context_);
  sws_freeContext(scaler_);
  scaler_ = nullptr;
  av_frame_free(&frame_);
  av_packet_free(&packet_);
}

HRESULT VideoCompressor::Drain() {
  for (;;) {
    const int err = avcodec_receive_packet(context_, packet_);
    if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return S_OK;
    if (err < 0) {
      const HRESULT hr = HresultFromAvError(err);
      ReportError(hr, AvErrorText(err));
      return hr;
    }
    const HRESULT hr = mux_->WriteVideoPacket(packet_, tb_);
    av_packet_unref(packet_);
    if (hr != S_OK) return hr;
  }
}

HRESULT VideoCompressor::ReceiveFrame(const uint8_t* bits, int64_t index, REFERENCE_TIME duration) {
  if (!running_ || ended_) return VFW_E_NOT_RUNNING;
  if (!mux_) return VFW_E_NOT_CONNECTED;
  if (!context_) {
    const HRESULT hr = Open(FrameTimeBase(duration));
    if (hr != S_OK) {
      Close();
      ended_ = true;
      ReportError(hr, friendlyName_ + " cannot start");
      return hr;
    }
  }
  if (av_frame_make_writable(frame_) < 0) return E_OUTOFMEMORY;
  // Bottom-up rows: start at the last one and step back.
  const int stride = DibStride24(width_);
  const uint8_t* source[1] = {bits + static_cast<ptrdiff_t>(height_ - 1) * stride};
  const int sourceStride[1] = {-stride};
  sws_scale(scaler_, source, sourceStride, 0, height_, frame_->data, frame_->linesize);
  frame_->pts = index;
  // Fixed-quantiser encoders read the quality from each frame.
  frame_->quality = context_->global_quality;
  const int err = avcodec_send_frame(context_, frame_);
  if (err < 0) {
    const HRESULT hr = HresultFromAvError(err);
    ReportError(hr, AvErrorText(err));
    return hr;
  }
  return Drain();
}

HRESULT VideoCompressor::EndOfStream(int64_t frameCount, REFERENCE_TIME duration) {
  if (!mux_) return VFW_E_NOT_CONNECTED;
  const AVRational tb = context_ ? tb_ : FrameTimeBase(duration);
  if (context_) {
    avcodec_send_frame(context_, nullptr);
    Drain();
  }
  ended_ = true;
  const HRESULT hr = mux_->EndVideo(frameCount, tb);
  Close();
  return hr;
}
