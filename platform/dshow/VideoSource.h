// A filter with a video capture pin that RenderStream can connect.
#pragma once

#include "platform/dshow/Interfaces.h"
#include "platform/dshow/Streaming.h"

class VideoSource {
 public:
  // The frame size the pin delivers; false while it has none.
  virtual bool VideoSize(int* width, int* height) const = 0;
  // From now on frames go to input; downstream is the filter that owns it.
  virtual HRESULT ConnectVideo(VideoInput* input, IBaseFilter* downstream) = 0;

 protected:
  ~VideoSource() = default;
};
