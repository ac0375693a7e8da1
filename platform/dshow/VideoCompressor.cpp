#include "platform/dshow/VideoCompressor.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <system_error>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include "platform/dshow/FilterGraph.h"
#include "platform/gdi/BitmapInfo.h"

namespace {

// What FFmpeg logged on this thread about a call that failed with error, else the error's own text.
std::string FailureReason(int error) {
  const std::string logged = TakeFfmpegError();
  return logged.empty() ? AvErrorText(error) : logged;
}

}  // namespace

ComPtr<VideoCompressor> VideoCompressor::Make(const std::string& friendlyName, const AVCodec* encoder) {
  return ComPtr<VideoCompressor>::Attach(new VideoCompressor(friendlyName, encoder));
}

VideoCompressor::VideoCompressor(const std::string& friendlyName, const AVCodec* encoder)
    : friendlyName_(friendlyName) {
  settings_.encoder = encoder;
}

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
  else if (iid == IID_IEncoderThreading)
    *object = static_cast<IEncoderThreading*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT VideoCompressor::OutputPin::put_KeyFrameRate(long keyFrameRate) {
  if (owner_.context_) return VFW_E_WRONG_STATE;
  owner_.settings_.keyFrameRate = keyFrameRate;
  owner_.Log("Video Compressor: key frame rate " + std::to_string(keyFrameRate));
  return S_OK;
}

HRESULT VideoCompressor::OutputPin::put_Quality(double quality) {
  if (owner_.context_) return VFW_E_WRONG_STATE;
  if (std::isnan(quality)) return E_INVALIDARG;
  owner_.settings_.quality = quality;
  owner_.Log("Video Compressor: quality " + std::to_string(quality));
  return S_OK;
}

HRESULT VideoCompressor::OutputPin::put_SerialWriting(bool serial) {
  if (owner_.context_) return VFW_E_WRONG_STATE;
  owner_.serial_ = serial;
  owner_.Log(std::string("Video Compressor: ") + (serial ? "serial" : "parallel") + " writing");
  return S_OK;
}

HRESULT VideoCompressor::ConnectInput(int width, int height) {
  if (running_) return VFW_E_WRONG_STATE;
  if (connectParams_) return VFW_E_ALREADY_CONNECTED;
  if (width <= 0 || height <= 0) return VFW_E_TYPE_NOT_ACCEPTED;
  settings_.width = width;
  settings_.height = height;
  const int maxSide = settings_.MaxSide();
  if (width > maxSide || height > maxSide) return Refuse("at most " + std::to_string(maxSide) + " pixels a side");
  AVCodecContext* trial = settings_.NewContext(AVRational{1, 25});
  if (!trial) return E_OUTOFMEMORY;
  TakeFfmpegError();
  const int err = avcodec_open2(trial, settings_.encoder, nullptr);
  if (err < 0) {
    avcodec_free_context(&trial);
    return Refuse(FailureReason(err));
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
  ReportError(VFW_E_CANNOT_CONNECT, friendlyName_ + " cannot take frames of " + std::to_string(settings_.width) + " x " +
                                        std::to_string(settings_.height) + ": " + reason);
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

HRESULT VideoCompressor::Open(AVRational tb, std::string& reason) {
  auto fail = [&](HRESULT hr, int error) {
    reason = error < 0 ? FailureReason(error) : std::string();
    return hr;
  };
  tb_ = tb;
  // An encoder whose stream cannot be split may still thread itself.
  if (!serial_ && std::string(settings_.encoder->name) == "libx264") settings_.threads = 0;
  context_ = settings_.NewContext(tb);
  if (!context_) return fail(E_OUTOFMEMORY, AVERROR(ENOMEM));
  TakeFfmpegError();
  int err = avcodec_open2(context_, settings_.encoder, nullptr);
  if (err < 0) return fail(VFW_E_CANNOT_CONNECT, err);
  packet_ = av_packet_alloc();
  if (!packet_) return fail(E_OUTOFMEMORY, AVERROR(ENOMEM));
  converter_ = std::make_unique<FrameConverter>();
  if (!converter_->Open(settings_.width, settings_.height, context_->pix_fmt))
    return fail(E_OUTOFMEMORY, AVERROR(ENOMEM));
  AVCodecParameters* params = avcodec_parameters_alloc();
  if (!params) return fail(E_OUTOFMEMORY, AVERROR(ENOMEM));
  err = avcodec_parameters_from_context(params, context_);
  // The multiplexer reports its own failure.
  const HRESULT hr = err < 0 ? E_OUTOFMEMORY : mux_->StartEncodedVideo(params, tb);
  avcodec_parameters_free(&params);
  if (hr != S_OK) return fail(hr, err);
  if (serial_ || !ParallelEncoder::CanSplit(settings_)) return S_OK;
  try {
    parallel_ = std::make_unique<ParallelEncoder>(
        settings_, tb, [this](const AVPacket& packet, int64_t index) { return WriteStamped(packet, index); },
        [this](int error) { ReportEncoderError(error); }, std::max(1u, std::thread::hardware_concurrency()));
  } catch (const std::system_error& e) {
    // Not one encoding thread: every frame is encoded here, in turn, as on the serial path.
    Log("Video Compressor: encoding on the pushing thread: " + e.code().message());
  } catch (const std::bad_alloc&) {
    return fail(E_OUTOFMEMORY, AVERROR(ENOMEM));
  }
  return S_OK;
}

void VideoCompressor::Close() {
  parallel_.reset();
  avcodec_free_context(&context_);
  converter_.reset();
  av_packet_free(&packet_);
}

HRESULT VideoCompressor::WriteStamped(const AVPacket& packet, int64_t index) {
  if (av_packet_ref(packet_, &packet) < 0) return E_OUTOFMEMORY;
  packet_->pts = packet_->dts = index;
  packet_->duration = 1;
  const HRESULT hr = mux_->WriteVideoPacket(packet_, tb_);
  av_packet_unref(packet_);
  return hr;
}

HRESULT VideoCompressor::ReportEncoderError(int error) {
  const HRESULT hr = HresultFromAvError(error);
  ReportError(hr, AvErrorText(error));
  return hr;
}

HRESULT VideoCompressor::Drain() {
  for (;;) {
    const int err = avcodec_receive_packet(context_, packet_);
    if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return S_OK;
    if (err < 0) return ReportEncoderError(err);
    const HRESULT hr = mux_->WriteVideoPacket(packet_, tb_);
    av_packet_unref(packet_);
    if (hr != S_OK) return hr;
  }
}

HRESULT VideoCompressor::ReceiveFrame(const uint8_t* bits, int64_t index, REFERENCE_TIME duration) {
  if (!running_ || ended_) return VFW_E_NOT_RUNNING;
  if (!mux_) return VFW_E_NOT_CONNECTED;
  if (!context_) {
    std::string reason;
    const HRESULT hr = Open(FrameTimeBase(duration), reason);
    if (hr != S_OK) {
      Close();
      ended_ = true;
      ReportError(hr, friendlyName_ + " cannot start" + (reason.empty() ? "" : ": " + reason));
      return hr;
    }
  }
  if (parallel_) {
    try {
      return parallel_->Push(bits);
    } catch (const std::bad_alloc&) {
      return ReportEncoderError(AVERROR(ENOMEM));
    }
  }
  int error = 0;
  AVFrame* frame = converter_->Convert(bits, index, error);
  if (!frame) return ReportEncoderError(error);
  // Fixed-quantiser encoders read the quality from each frame.
  frame->quality = context_->global_quality;
  const int err = avcodec_send_frame(context_, frame);
  if (err < 0) return ReportEncoderError(err);
  return Drain();
}

HRESULT VideoCompressor::EndOfStream(int64_t frameCount, REFERENCE_TIME duration) {
  if (!mux_) return VFW_E_NOT_CONNECTED;
  const AVRational tb = context_ ? tb_ : FrameTimeBase(duration);
  // The frames the encoder still holds; a failure was reported where it happened.
  HRESULT flushed = S_OK;
  if (parallel_) {
    flushed = parallel_->Finish();
  } else if (context_) {
    const int err = avcodec_send_frame(context_, nullptr);
    flushed = err < 0 ? ReportEncoderError(err) : Drain();
  }
  ended_ = true;
  const HRESULT hr = mux_->EndVideo(frameCount, tb);
  Close();
  return flushed != S_OK ? flushed : hr;
}
