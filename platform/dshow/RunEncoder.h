// Encodes a run of frames that starts at a key frame with encoder instances of
// its own, as one encoder fed every frame would: a frame that equals the one
// before it is written without encoding it again where the encoder's output
// allows (see RepeatKind), and a key frame of a held picture is made once.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

#include "platform/dshow/EncoderSettings.h"
#include "platform/dshow/FrameConverter.h"

struct AVCodecContext;
struct AVPacket;

using PacketRef = std::shared_ptr<const AVPacket>;

// One distinct frame, kept while a run needs it; its size counts in `held` while it lives.
class HeldFrame {
 public:
  HeldFrame(const uint8_t* bits, size_t size, std::atomic<int64_t>& held);
  ~HeldFrame();
  HeldFrame(const HeldFrame&) = delete;
  HeldFrame& operator=(const HeldFrame&) = delete;

  const std::vector<uint8_t>& Bits() const { return bits_; }

 private:
  friend class RunEncoder;
  std::vector<uint8_t> bits_;
  std::atomic<int64_t>& held_;
  // This frame as a fresh encoder's key frame, and the frame after it when the
  // same picture follows; made once by whichever run needs them first.
  std::once_flag keyOnce_;
  int keyError_ = 0;
  PacketRef key_;
  PacketRef afterKey_;
};

struct RunItem {
  std::shared_ptr<HeldFrame> frame;
  int64_t count;  // the frame and its repeats
};

struct Run {
  int64_t start = 0;  // index of its first frame in the stream
  std::vector<RunItem> items;
  int64_t Frames() const;
  // The frames of this run from stream index `from` on, or up to `to`.
  Run From(int64_t from) const;
  Run Part(int64_t from, int64_t to) const;
};

class RunEncoder {
 public:
  RunEncoder(const EncoderSettings& settings, AVRational tb);
  ~RunEncoder();
  RunEncoder(const RunEncoder&) = delete;
  RunEncoder& operator=(const RunEncoder&) = delete;

  // The packets of the run's frames from its `skip`th on, in order (shared
  // between repeats: stamp copies); 0 or an FFmpeg error.
  int Encode(const Run& run, int64_t skip, std::vector<PacketRef>& out);

  // The same a frame at a time, as the frames come: Begin, Next for each
  // frame (changed: it differs from the one before), End.
  void Begin(int64_t skip);
  int Next(const std::shared_ptr<HeldFrame>& frame, bool changed, std::vector<PacketRef>& out);
  void End();

  // Frames given to the encoder so far.
  int64_t Encodes() const { return encodes_; }

 private:
  void Emit(const PacketRef& packet, std::vector<PacketRef>& out);
  int Open(AVCodecContext** context);
  // One frame in, its one packet out.
  int EncodeFrame(AVCodecContext* context, const HeldFrame& frame, PacketRef& packet);
  int MakeKey(HeldFrame& frame);

  const EncoderSettings& settings_;
  const AVRational tb_;
  const RepeatKind kind_;
  int keyInterval_ = 1;  // frames from a key frame to the next that the encoder's count makes
  FrameConverter converter_;
  bool converterOpen_ = false;
  AVCodecContext* context_ = nullptr;
  AVPacket* packet_ = nullptr;
  int64_t pts_ = 0;
  int64_t encodes_ = 0;

  // The run being encoded.
  int64_t skip_ = 0;
  int64_t n_ = 0;                      // its frames so far
  int sinceKey_ = 0;                   // the count by which the single encoder makes its next key frame
  std::shared_ptr<HeldFrame> stale_;  // a key frame taken from the cache that the context has not seen
  PacketRef last_;                     // what a repeat of the current frame comes out as, once known
};
