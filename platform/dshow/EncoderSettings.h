// What every encoder instance of one compressor is opened with: the frame size
// and the user's quality and key-frame settings, mapped onto the encoder's own
// controls. Parallel encoders open many instances from one of these.
#pragma once

extern "C" {
#include <libavutil/rational.h>
}

struct AVCodec;
struct AVCodecContext;

// How a frame that equals the one before it may be written without encoding it.
enum class RepeatKind {
  EncodeAgain,     // the encoder refines or depends on more than the previous picture
  PreviousPacket,  // intra-only: the previous packet again
  NothingChanged,  // the encoder's own all-skip frame (Microsoft Video 1)
};

struct EncoderSettings {
  const AVCodec* encoder = nullptr;
  int width = 0;
  int height = 0;
  long keyFrameRate = -1;
  double quality = -1;
  int threads = 1;  // the encoder's own threads; 0: one per core

  // A context set up with the size, the time base and the settings; null when out of memory.
  AVCodecContext* NewContext(AVRational tb) const;
  RepeatKind Repeats() const;
  // Frames from one key frame to the next on the encoder's grid (1: every frame).
  int KeyFrameInterval() const;
  // Whether runs that start at key frames, each encoded by an instance of its
  // own, give the frames that the single encoder gives.
  bool Splits() const;
  // The largest width or height the encoder writes correctly.
  int MaxSide() const;
};

// Whether packet is Microsoft Video 1's frame in which every block is skipped.
bool IsAllSkipPacket(const unsigned char* data, int size);
