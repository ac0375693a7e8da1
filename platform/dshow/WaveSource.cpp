#include "platform/dshow/WaveSource.h"

#include <cstdint>
#include <limits>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "platform/dshow/Streaming.h"

HRESULT WaveSource::Open(const std::string& path, IBaseFilter** filter) {
  if (!filter) return E_POINTER;
  *filter = nullptr;
  auto* source = new WaveSource();
  ComPtr<WaveSource> holder = ComPtr<WaveSource>::Attach(source);
  source->path_ = path;
  int err = avformat_open_input(&source->input_, ("file:" + path).c_str(), nullptr, nullptr);
  if (err < 0) return err == AVERROR_INVALIDDATA ? VFW_E_UNKNOWN_FILE_TYPE : HresultFromAvError(err);
  err = avformat_find_stream_info(source->input_, nullptr);
  if (err < 0) return VFW_E_UNKNOWN_FILE_TYPE;
  source->stream_ = av_find_best_stream(source->input_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (source->stream_ < 0) return VFW_E_UNKNOWN_FILE_TYPE;
  const AVCodecParameters* par = source->input_->streams[source->stream_]->codecpar;
  source->blockAlign_ = par->block_align;
  if (source->blockAlign_ <= 0) source->blockAlign_ = par->ch_layout.nb_channels * par->bits_per_coded_sample / 8;
  *filter = static_cast<IBaseFilter*>(holder.Detach());
  return S_OK;
}

WaveSource::~WaveSource() { avformat_close_input(&input_); }

const AVCodecParameters* WaveSource::Params() const { return input_->streams[stream_]->codecpar; }

std::string WaveSource::Problem() const {
  const AVCodecParameters* par = Params();
  switch (par->codec_id) {
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_S32LE:
    case AV_CODEC_ID_PCM_F32LE:
      break;
    default:
      return "is not PCM";
  }
  const int channels = par->ch_layout.nb_channels;
  // FFmpeg's decoders refuse more channels ("Too many channels").
  constexpr int kMostChannels = 512;
  if (channels < 1 || channels > kMostChannels)
    return "has " + std::to_string(channels) + " channels; an AVI file is read back with 1 to " +
           std::to_string(kMostChannels);
  if (par->sample_rate <= 0) return "has a sample rate of " + std::to_string(par->sample_rate) + " Hz";
  // Samples are cut into blocks of this size: any other would tear them. Fewer
  // bits (12 in 16) fill the codec's whole sample.
  const int bits = av_get_bits_per_sample(par->codec_id);
  if (blockAlign_ != channels * bits / 8)
    return "has blocks of " + std::to_string(blockAlign_) + " bytes where " + std::to_string(channels) +
           " channels of " + std::to_string(bits) + " bits take " + std::to_string(channels * bits / 8);
  // FFmpeg derives the AVI header's sound rate from the bits a second, which it keeps in an int.
  constexpr int64_t kMostBytesPerSecond = std::numeric_limits<int32_t>::max() / 8;
  const int64_t bytesPerSecond = int64_t{par->sample_rate} * blockAlign_;
  if (bytesPerSecond > kMostBytesPerSecond)
    return "has " + std::to_string(bytesPerSecond) + " bytes a second; an AVI file's header holds at most " +
           std::to_string(kMostBytesPerSecond);
  return {};
}

HRESULT WaveSource::Read(std::vector<uint8_t>& data) {
  AVPacket* packet = av_packet_alloc();
  if (!packet) return E_OUTOFMEMORY;
  for (;;) {
    const int err = av_read_frame(input_, packet);
    if (err == AVERROR_EOF) {
      av_packet_free(&packet);
      return S_FALSE;
    }
    if (err < 0) {
      av_packet_free(&packet);
      return HresultFromAvError(err);
    }
    if (packet->stream_index == stream_) break;
    av_packet_unref(packet);
  }
  data.assign(packet->data, packet->data + packet->size);
  av_packet_free(&packet);
  return S_OK;
}
