#include "platform/dshow/RunEncoder.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

// A packet that holds on: its data in a buffer of its own size (some encoders
// hand out buffers sized for the worst case, nine bytes a pixel).
PacketRef Share(AVPacket* packet) {
  AVPacket* copy = av_packet_alloc();
  if (!copy) return nullptr;
  if (av_new_packet(copy, packet->size) < 0 || av_packet_copy_props(copy, packet) < 0) {
    av_packet_free(&copy);
    return nullptr;
  }
  std::memcpy(copy->data, packet->data, packet->size);
  av_packet_unref(packet);
  return PacketRef(copy, [](const AVPacket* p) {
    AVPacket* owned = const_cast<AVPacket*>(p);
    av_packet_free(&owned);
  });
}

bool IsKey(const PacketRef& packet) { return packet->flags & AV_PKT_FLAG_KEY; }

bool NothingChanged(const PacketRef& packet) { return !IsKey(packet) && IsAllSkipPacket(packet->data, packet->size); }

}  // namespace

HeldFrame::HeldFrame(const uint8_t* bits, size_t size, std::atomic<int64_t>& held)
    : bits_(bits, bits + size), held_(held) {
  held_ += static_cast<int64_t>(size);
}

HeldFrame::~HeldFrame() { held_ -= static_cast<int64_t>(bits_.size()); }

int64_t Run::Frames() const {
  int64_t frames = 0;
  for (const RunItem& item : items) frames += item.count;
  return frames;
}

Run Run::From(int64_t from) const { return Part(from, start + Frames()); }

Run Run::Part(int64_t from, int64_t to) const {
  Run part;
  part.start = from;
  int64_t at = start;
  for (const RunItem& item : items) {
    const int64_t end = at + item.count;
    const int64_t count = std::min(end, to) - std::max(at, from);
    if (count > 0) part.items.push_back({item.frame, count});
    at = end;
  }
  return part;
}

RunEncoder::RunEncoder(const EncoderSettings& settings, AVRational tb)
    : settings_(settings), tb_(tb), kind_(settings.Repeats()) {
  keyInterval_ = settings_.KeyFrameInterval();
}

RunEncoder::~RunEncoder() {
  avcodec_free_context(&context_);
  av_packet_free(&packet_);
}

int RunEncoder::Open(AVCodecContext** context) {
  avcodec_free_context(context);
  *context = settings_.NewContext(tb_);
  if (!*context) return AVERROR(ENOMEM);
  if (const int err = avcodec_open2(*context, settings_.encoder, nullptr); err < 0) return err;
  if (!converterOpen_) {
    if (!converter_.Open(settings_.width, settings_.height, (*context)->pix_fmt)) return AVERROR(ENOMEM);
    converterOpen_ = true;
  }
  if (!packet_ && !(packet_ = av_packet_alloc())) return AVERROR(ENOMEM);
  return 0;
}

int RunEncoder::EncodeFrame(AVCodecContext* context, const HeldFrame& frame, PacketRef& packet) {
  // Encoders of the MPEG family want rising times.
  int error = 0;
  AVFrame* converted = converter_.Convert(frame.Bits().data(), pts_++, error);
  ++encodes_;
  if (!converted) return error;
  // Fixed-quantiser encoders read the quality from each frame.
  converted->quality = context->global_quality;
  if (const int err = avcodec_send_frame(context, converted); err < 0) return err;
  // These encoders give each frame's packet at once; anything else cannot be split.
  if (const int err = avcodec_receive_packet(context, packet_); err < 0)
    return err == AVERROR(EAGAIN) ? AVERROR_BUG : err;
  packet = Share(packet_);
  return packet ? 0 : AVERROR(ENOMEM);
}

int RunEncoder::MakeKey(HeldFrame& frame) {
  std::call_once(frame.keyOnce_, [&] {
    // Intra-only encoders keep nothing between frames: one open context serves.
    AVCodecContext* fresh = nullptr;
    AVCodecContext** context = kind_ == RepeatKind::PreviousPacket ? &context_ : &fresh;
    int err = *context ? 0 : Open(context);
    if (err == 0) err = EncodeFrame(*context, frame, frame.key_);
    if (err == 0 && kind_ == RepeatKind::NothingChanged) err = EncodeFrame(*context, frame, frame.afterKey_);
    avcodec_free_context(&fresh);
    frame.keyError_ = err;
  });
  return frame.keyError_;
}

int RunEncoder::Encode(const Run& run, int64_t skip, std::vector<PacketRef>& out) {
  Begin(skip);
  int err = 0;
  for (const RunItem& item : run.items)
    for (int64_t k = 0; k < item.count && err == 0; ++k) err = Next(item.frame, k == 0, out);
  End();
  return err;
}

void RunEncoder::Begin(int64_t skip) {
  skip_ = skip;
  n_ = 0;
  sinceKey_ = 0;
  stale_ = nullptr;
  last_ = nullptr;
}

void RunEncoder::End() {
  stale_ = nullptr;
  last_ = nullptr;
  // An encoder that keeps pictures starts every run afresh: free it between runs.
  if (kind_ != RepeatKind::PreviousPacket) avcodec_free_context(&context_);
}

void RunEncoder::Emit(const PacketRef& packet, std::vector<PacketRef>& out) {
  if (n_++ >= skip_) out.push_back(packet);
  sinceKey_ = IsKey(packet) ? 0 : sinceKey_ + 1;
}

int RunEncoder::Next(const std::shared_ptr<HeldFrame>& held, bool changed, std::vector<PacketRef>& out) {
  HeldFrame& frame = *held;
  if (changed) last_ = nullptr;
  if (kind_ == RepeatKind::PreviousPacket) {
    if (!last_) {
      if (const int err = MakeKey(frame); err != 0) return err;
      last_ = frame.key_;
    }
    Emit(last_, out);
    return 0;
  }
  // Where the single encoder makes a key frame, a fresh one makes the same.
  const bool keyDue = n_ == 0 || sinceKey_ >= keyInterval_ - 1;
  if (keyDue && kind_ == RepeatKind::EncodeAgain) {
    if (const int err = Open(&context_); err != 0) return err;
  } else if (keyDue) {
    if (const int err = MakeKey(frame); err != 0) return err;
    Emit(frame.key_, out);
    stale_ = held;
    last_ = NothingChanged(frame.afterKey_) ? frame.afterKey_ : nullptr;
    return 0;
  } else if (last_) {
    // After a frame in which nothing changed the encoder is as it was.
    Emit(last_, out);
    return 0;
  }
  PacketRef packet;
  if (stale_) {
    if (const int err = Open(&context_); err != 0) return err;
    if (const int err = EncodeFrame(context_, *stale_, packet); err != 0) return err;
    stale_ = nullptr;
  }
  if (const int err = EncodeFrame(context_, frame, packet); err != 0) return err;
  Emit(packet, out);
  if (kind_ == RepeatKind::NothingChanged && NothingChanged(packet)) last_ = packet;
  return 0;
}
