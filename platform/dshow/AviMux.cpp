#include "platform/dshow/AviMux.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/mathematics.h>
}

#include "platform/dshow/FilterGraph.h"
#include "platform/dshow/WaveSource.h"
#include "platform/gdi/BitmapInfo.h"

namespace {

// The sound sample at which video frame `frames` begins.
int64_t SampleLimit(int64_t frames, AVRational tb, int sampleRate) {
  return av_rescale_q(frames, tb, AVRational{1, sampleRate});
}

}  // namespace

ComPtr<AviMux> AviMux::Make(ComPtr<FileWriter> writer) {
  return ComPtr<AviMux>::Attach(new AviMux(std::move(writer)));
}

AviMux::AviMux(ComPtr<FileWriter> writer) : writer_(std::move(writer)) {
  avformat_alloc_output_context2(&context_, nullptr, "avi", nullptr);
}

AviMux::~AviMux() {
  Finish();
  if (context_) {
    context_->pb = nullptr;  // the writer's
    avformat_free_context(context_);
  }
}

HRESULT AviMux::CheckOutput() const {
  if (!context_) return E_OUTOFMEMORY;
  if (!writer_) return VFW_E_NOT_CONNECTED;
  return writer_->Status();
}

HRESULT AviMux::ConnectRawVideo(int width, int height) {
  if (running_ || finished_) return VFW_E_WRONG_STATE;
  if (video_) return VFW_E_ALREADY_CONNECTED;
  if (width <= 0 || height <= 0) return VFW_E_TYPE_NOT_ACCEPTED;
  if (const HRESULT hr = CheckOutput(); hr != S_OK) return hr;
  video_ = avformat_new_stream(context_, nullptr);
  if (!video_) return E_OUTOFMEMORY;
  AVCodecParameters* par = video_->codecpar;
  par->codec_type = AVMEDIA_TYPE_VIDEO;
  par->codec_id = AV_CODEC_ID_RAWVIDEO;
  par->codec_tag = 0;  // BI_RGB
  par->format = AV_PIX_FMT_BGR24;
  par->bits_per_coded_sample = 24;
  par->width = width;
  par->height = height;
  raw_ = true;
  width_ = width;
  height_ = height;
  return S_OK;
}

HRESULT AviMux::ConnectEncodedVideo(const AVCodecParameters* params) {
  if (running_ || finished_) return VFW_E_WRONG_STATE;
  if (video_) return VFW_E_ALREADY_CONNECTED;
  if (const HRESULT hr = CheckOutput(); hr != S_OK) return hr;
  video_ = avformat_new_stream(context_, nullptr);
  if (!video_) return E_OUTOFMEMORY;
  if (avcodec_parameters_copy(video_->codecpar, params) < 0) return E_OUTOFMEMORY;
  video_->codecpar->codec_tag = 0;
  width_ = params->width;
  height_ = params->height;
  return S_OK;
}

HRESULT AviMux::ConnectAudio(WaveSource* source) {
  if (running_ || finished_) return VFW_E_WRONG_STATE;
  if (audio_) return VFW_E_ALREADY_CONNECTED;
  if (const HRESULT hr = CheckOutput(); hr != S_OK) return hr;
  if (const std::string problem = source->Problem(); !problem.empty())
    return Fail(VFW_E_UNSUPPORTED_STREAM, "the sound file " + source->Path() + " " + problem);
  audio_ = avformat_new_stream(context_, nullptr);
  if (!audio_) return E_OUTOFMEMORY;
  if (avcodec_parameters_copy(audio_->codecpar, source->Params()) < 0) return E_OUTOFMEMORY;
  audio_->codecpar->codec_tag = 0;
  // The AVI's sound timing is derived from this figure; a WAV header's own may be wrong.
  audio_->codecpar->bit_rate = int64_t{source->Params()->sample_rate} * source->BlockAlign() * 8;
  audio_->time_base = {1, source->Params()->sample_rate};
  audioSource_ = source;
  audioFilter_ = ComPtr<IBaseFilter>::Share(static_cast<IBaseFilter*>(source));
  return S_OK;
}

HRESULT AviMux::OnRun() {
  if (finished_) return VFW_E_WRONG_STATE;
  if (!video_) return VFW_E_NOT_CONNECTED;
  return CheckOutput();
}

HRESULT AviMux::OnStop() { return Finish(); }

HRESULT AviMux::Fail(HRESULT hr, const std::string& reason) {
  if (failure_ == S_OK) {
    failure_ = hr;
    ReportError(hr, reason);
  }
  return failure_;
}

HRESULT AviMux::WriteHeader() {
  context_->pb = writer_->Io();
  if (!context_->pb) return Fail(writer_->Status(), writer_->Reason());
  video_->time_base = videoTb_;
  AVDictionary* options = nullptr;
  // Our DIB frames keep the bottom-up order of their rows.
  av_dict_set(&options, "flipped_raw_rgb", "1", 0);
  const int err = avformat_write_header(context_, &options);
  av_dict_free(&options);
  if (err < 0) return Fail(HresultFromAvError(err), AvErrorText(err));
  headerWritten_ = true;
  Log("AVI Mux: header written, " + std::to_string(width_) + " x " + std::to_string(height_) + ", " +
      std::to_string(videoTb_.den) + "/" + std::to_string(videoTb_.num) + " frames per second");
  return S_OK;
}

HRESULT AviMux::Write(AVPacket* packet) {
  const int err = av_write_frame(context_, packet);
  if (err < 0) return Fail(HresultFromAvError(err), AvErrorText(err));
  return S_OK;
}

HRESULT AviMux::PumpAudio(int64_t limit) {
  if (!audio_ || audioEnded_ || failure_ != S_OK) return failure_;
  const int blockAlign = audioSource_->BlockAlign();
  const AVRational sampleTb = {1, audioSource_->Params()->sample_rate};
  while (audioWritten_ < limit) {
    if (pendingOffset_ >= pending_.size()) {
      pendingOffset_ = 0;
      const HRESULT hr = audioSource_->Read(pending_);
      if (hr != S_OK) {
        pending_.clear();
        audioEnded_ = true;
        if (FAILED(hr)) Log("AVI Mux: sound source ended early: " + HresultHex(hr));
        return S_OK;
      }
      continue;
    }
    const int64_t available = static_cast<int64_t>((pending_.size() - pendingOffset_) / blockAlign);
    if (available == 0) {
      pendingOffset_ = pending_.size();  // a torn last block
      continue;
    }
    const int64_t take = std::min(available, limit - audioWritten_);
    AVPacket* packet = av_packet_alloc();
    if (!packet) return Fail(E_OUTOFMEMORY, AvErrorText(AVERROR(ENOMEM)));
    packet->data = pending_.data() + pendingOffset_;
    packet->size = static_cast<int>(take * blockAlign);
    packet->stream_index = audio_->index;
    packet->pts = packet->dts = av_rescale_q(audioWritten_, sampleTb, audio_->time_base);
    packet->duration = av_rescale_q(take, sampleTb, audio_->time_base);
    packet->flags |= AV_PKT_FLAG_KEY;
    const HRESULT hr = Write(packet);
    av_packet_free(&packet);
    if (hr != S_OK) return hr;
    pendingOffset_ += static_cast<size_t>(take * blockAlign);
    audioWritten_ += take;
  }
  return S_OK;
}

HRESULT AviMux::ReceiveFrame(const uint8_t* bits, int64_t index, REFERENCE_TIME duration) {
  if (failure_ != S_OK) return failure_;
  if (!running_ || finished_) return VFW_E_NOT_RUNNING;
  if (!raw_) return VFW_E_TYPE_NOT_ACCEPTED;
  if (!headerWritten_) {
    videoTb_ = FrameTimeBase(duration);
    if (const HRESULT hr = WriteHeader(); hr != S_OK) return hr;
  }
  AVPacket* packet = av_packet_alloc();
  if (!packet) return Fail(E_OUTOFMEMORY, AvErrorText(AVERROR(ENOMEM)));
  // Written straight from the caller's frame: av_write_frame keeps nothing.
  packet->data = const_cast<uint8_t*>(bits);
  packet->size = DibStride24(width_) * height_;
  packet->stream_index = video_->index;
  packet->pts = packet->dts = av_rescale_q(index, videoTb_, video_->time_base);
  packet->duration = av_rescale_q(1, videoTb_, video_->time_base);
  packet->flags |= AV_PKT_FLAG_KEY;
  const HRESULT hr = Write(packet);
  av_packet_free(&packet);
  if (hr != S_OK) return hr;
  if (audio_) return PumpAudio(SampleLimit(index + 1, videoTb_, audio_->codecpar->sample_rate));
  return S_OK;
}

HRESULT AviMux::EndOfStream(int64_t frameCount, REFERENCE_TIME duration) {
  if (!headerWritten_) videoTb_ = FrameTimeBase(duration);
  return EndVideo(frameCount, videoTb_);
}

HRESULT AviMux::StartEncodedVideo(const AVCodecParameters* params, AVRational tb) {
  if (failure_ != S_OK) return failure_;
  if (headerWritten_ || finished_) return VFW_E_WRONG_STATE;
  if (avcodec_parameters_copy(video_->codecpar, params) < 0) return Fail(E_OUTOFMEMORY, AvErrorText(AVERROR(ENOMEM)));
  video_->codecpar->codec_tag = 0;
  videoTb_ = tb;
  return WriteHeader();
}

HRESULT AviMux::WriteVideoPacket(AVPacket* packet, AVRational tb) {
  if (failure_ != S_OK) return failure_;
  if (!headerWritten_ || finished_) return VFW_E_WRONG_STATE;
  const int64_t end = packet->dts + 1;
  packet->stream_index = video_->index;
  av_packet_rescale_ts(packet, tb, video_->time_base);
  if (const HRESULT hr = Write(packet); hr != S_OK) return hr;
  if (audio_) return PumpAudio(SampleLimit(end, tb, audio_->codecpar->sample_rate));
  return S_OK;
}

HRESULT AviMux::EndVideo(int64_t frameCount, AVRational tb) {
  if (finished_) return failure_;
  if (failure_ == S_OK && !headerWritten_) {
    videoTb_ = tb;
    WriteHeader();
  }
  if (audio_ && headerWritten_) PumpAudio(SampleLimit(frameCount, tb, audio_->codecpar->sample_rate));
  Log("AVI Mux: end of video after " + std::to_string(frameCount) + " frames");
  return Finish();
}

HRESULT AviMux::Finish() {
  if (finished_ || !video_) return failure_;
  finished_ = true;
  // A graph that never ran (a failed build) leaves an existing file as it was, and makes none.
  const bool graphRan = Graph() && Graph()->Running();
  if (graphRan && failure_ == S_OK && !headerWritten_) WriteHeader();
  if (headerWritten_) {
    const int err = av_write_trailer(context_);
    if (err < 0) Fail(HresultFromAvError(err), AvErrorText(err));
  }
  context_->pb = nullptr;
  const HRESULT closed = writer_->Close();
  if (closed != S_OK) Fail(closed, writer_->Reason());
  audioFilter_.Reset();
  audioSource_ = nullptr;
  return failure_;
}
