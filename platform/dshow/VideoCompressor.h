// A video compressor filter: encodes the frames of its input with one FFmpeg
// encoder and hands the packets to the AVI multiplexer. Its output pin offers
// IAMVideoCompression, mapped onto the encoder's own controls.
#pragma once

#include <string>

extern "C" {
#include <libavutil/rational.h>
}

#include "platform/dshow/AviMux.h"
#include "platform/dshow/FilterBase.h"
#include "platform/dshow/Streaming.h"

struct AVCodec;
struct AVCodecContext;
struct AVCodecParameters;
struct AVFrame;
struct AVPacket;
struct SwsContext;

class VideoCompressor final : public Filter<>, public VideoInput {
 public:
  static ComPtr<VideoCompressor> Make(const std::string& friendlyName, const AVCodec* encoder);

  StopStage Stage() const override { return StopStage::Transform; }
  std::vector<PinDescription> Pins() override;

  // Tries the encoder on frames of this size; VFW_E_CANNOT_CONNECT when it refuses them.
  HRESULT ConnectInput(int width, int height);
  HRESULT ConnectOutput(AviMux* mux);

  HRESULT ReceiveFrame(const uint8_t* bits, int64_t index, REFERENCE_TIME duration) override;
  HRESULT EndOfStream(int64_t frameCount, REFERENCE_TIME duration) override;

 private:
  class OutputPin final : public IPin, public IAMVideoCompression {
   public:
    explicit OutputPin(VideoCompressor& owner) : owner_(owner) {}
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return owner_.AddRef(); }
    ULONG Release() override { return owner_.Release(); }
    HRESULT put_KeyFrameRate(long keyFrameRate) override;
    HRESULT put_Quality(double quality) override;

   private:
    VideoCompressor& owner_;
  };

  VideoCompressor(const std::string& friendlyName, const AVCodec* encoder);
  ~VideoCompressor() override;
  HRESULT OnRun() override;
  // Reports why the encoder cannot take the connected size.
  HRESULT Refuse(const std::string& reason);

  // A context set up with the size, the time base and the user's settings.
  AVCodecContext* NewContext(AVRational tb) const;
  HRESULT Open(AVRational tb);
  HRESULT Drain();
  void Close();

  std::string friendlyName_;
  const AVCodec* encoder_;
  OutputPin output_{*this};
  long keyFrameRate_ = -1;
  double quality_ = -1;
  int width_ = 0;
  int height_ = 0;
  AVCodecParameters* connectParams_ = nullptr;
  ComPtr<IBaseFilter> muxFilter_;
  AviMux* mux_ = nullptr;
  AVCodecContext* context_ = nullptr;
  SwsContext* scaler_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVRational tb_{1, 25};
  bool ended_ = false;
};
