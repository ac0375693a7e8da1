// How frames travel between our filters once RenderStream has connected them.
#pragma once

#include <cstdint>
#include <string>

extern "C" {
#include <libavutil/rational.h>
}

#include "platform/dshow/Interfaces.h"

// Receives the frames of a video connection: 24-bit rows, bottom-up, each padded
// to a multiple of 4 bytes, of the size agreed when connecting.
class VideoInput {
 public:
  virtual HRESULT ReceiveFrame(const uint8_t* bits, int64_t index, REFERENCE_TIME duration) = 0;
  // No more frames: what is held flows on and the stream is closed. The
  // duration is that of every frame, or 0 when none came.
  virtual HRESULT EndOfStream(int64_t frameCount, REFERENCE_TIME duration) = 0;

 protected:
  ~VideoInput() = default;
};

// The time base of a stream whose frames last duration (100 ns units); small
// denominators suit every encoder (MPEG-4 takes at most 65535).
AVRational FrameTimeBase(REFERENCE_TIME duration);

// An FFmpeg error as our result code (system errors as HRESULT_FROM_WIN32).
HRESULT HresultFromAvError(int error);
std::string AvErrorText(int error);
std::string HresultHex(HRESULT hr);  // "0x80070070"
