// The push-source filter "Sample Pusher Source Filter": the source of every
// writing graph, fed frame by frame through ISamplePusher on its capture pin.
#pragma once

#include <cstdint>

#include "platform/com/Unknown.h"
#include "platform/dshow/Interfaces.h"
#include "platform/gdi/BitmapInfo.h"

constexpr CLSID CLSID_SamplePusher = {0xA97911C3, 0xA6AB, 0x11D5, {0x81, 0xD6, 0x00, 0x05, 0x5D, 0x01, 0x9F, 0x22}};
constexpr IID IID_ISamplePusher = {0xA97911C4, 0xA6AB, 0x11D5, {0x81, 0xD6, 0x00, 0x05, 0x5D, 0x01, 0x9F, 0x22}};

struct ISamplePusher : IUnknown {
  // The size of every frame; set before the pin is connected.
  virtual HRESULT SetFrameSize(int32_t width, int32_t height) = 0;
  virtual HRESULT GetFrameSize(int32_t* width, int32_t* height) = 0;
  // One frame while the graph runs: header->bmiHeader.biHeight rows of 24-bit
  // pixels, bottom-up, each DibStride24(biWidth) bytes (padded to 4); the
  // header's size must be the one set, biSizeImage is not looked at. The frame
  // is used up before the call returns, so the caller may reuse bits. Frames
  // follow one another at `duration` (100 ns units), which the first frame
  // fixes for the stream.
  virtual HRESULT PushSample(const uint8_t* bits, const BITMAPINFO* header, REFERENCE_TIME duration) = 0;
};

// Registers the filter's class; both programs call it at start-up.
HRESULT RegisterSamplePusher();
