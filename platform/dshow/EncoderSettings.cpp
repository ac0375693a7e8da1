#include "platform/dshow/EncoderSettings.h"

#include <algorithm>
#include <cmath>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

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

AVCodecContext* EncoderSettings::NewContext(AVRational tb) const {
  AVCodecContext* c = avcodec_alloc_context3(encoder);
  if (!c) return nullptr;
  c->width = width;
  c->height = height;
  c->time_base = tb;
  c->framerate = av_inv_q(tb);
  c->pix_fmt = PixelFormatFor(encoder);
  // AVI carries no presentation times: frames leave in the order they came.
  c->max_b_frames = 0;
  c->thread_count = threads;
  const EncoderControls controls = ControlsOf(encoder);
  if (keyFrameRate >= 0) {
    const int interval = keyFrameRate == 0 ? kFirstFrameOnly : static_cast<int>(std::min<long>(keyFrameRate, kFirstFrameOnly));
    if (controls.keyFrames == EncoderControls::KeyFrames::Gop) c->gop_size = interval;
    if (controls.keyFrames == EncoderControls::KeyFrames::KeyintMinBefore) c->keyint_min = interval - 1;
  }
  if (quality >= 0) {
    const double q = std::min(quality, 1.0);
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

int EncoderSettings::MaxSide() const { return ControlsOf(encoder).maxSide; }

int EncoderSettings::KeyFrameInterval() const {
  AVCodecContext* c = NewContext(AVRational{1, 25});
  if (!c) return 1;
  int interval = 1;
  switch (ControlsOf(encoder).keyFrames) {
    case EncoderControls::KeyFrames::KeyintMinBefore:
      interval = c->keyint_min + 1;
      break;
    case EncoderControls::KeyFrames::Gop:
      interval = c->gop_size;
      break;
    case EncoderControls::KeyFrames::None:
      break;
  }
  avcodec_free_context(&c);
  return std::max(interval, 1);
}

bool EncoderSettings::Splits() const {
  // Checked frame by frame against the single encoder. Xvid's streams split so
  // decode with errors; Cinepak's fresh instances choose other key frames; x264
  // looks ahead.
  const std::string name = encoder->name;
  return Repeats() != RepeatKind::EncodeAgain || name == "msmpeg4v2" || name == "msmpeg4" || name == "mpeg4";
}

RepeatKind EncoderSettings::Repeats() const {
  if (std::string(encoder->name) == "msvideo1") return RepeatKind::NothingChanged;
  const AVCodecDescriptor* descriptor = avcodec_descriptor_get(encoder->id);
  if (descriptor && (descriptor->props & AV_CODEC_PROP_INTRA_ONLY)) return RepeatKind::PreviousPacket;
  return RepeatKind::EncodeAgain;
}

bool IsAllSkipPacket(const unsigned char* data, int size) {
  // Little-endian words: skip codes (0x84xx to 0x87xx), then the 0 end mark.
  if (size < 2 || size % 2 != 0 || data[size - 2] != 0 || data[size - 1] != 0) return false;
  for (int i = 0; i + 2 < size; i += 2)
    if ((data[i + 1] & 0xFC) != 0x84) return false;
  return true;
}
