// A video compressor filter: encodes the frames of its input with one FFmpeg
// encoder and hands the packets to the AVI multiplexer. Its output pin offers
// IAMVideoCompression, mapped onto the encoder's own controls, and IEncoderThreading.
#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavutil/rational.h>
}

#include "platform/dshow/AviMux.h"
#include "platform/dshow/EncoderSettings.h"
#include "platform/dshow/FilterBase.h"
#include "platform/dshow/FrameConverter.h"
#include "platform/dshow/ParallelEncoder.h"
#include "platform/dshow/Streaming.h"

struct AVCodec;
struct AVCodecContext;
struct AVCodecParameters;
struct AVPacket;

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
  class OutputPin final : public IPin, public IAMVideoCompression, public IEncoderThreading {
   public:
    explicit OutputPin(VideoCompressor& owner) : owner_(owner) {}
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return owner_.AddRef(); }
    ULONG Release() override { return owner_.Release(); }
    HRESULT put_KeyFrameRate(long keyFrameRate) override;
    HRESULT put_Quality(double quality) override;
    HRESULT put_SerialWriting(bool serial) override;

   private:
    VideoCompressor& owner_;
  };

  VideoCompressor(const std::string& friendlyName, const AVCodec* encoder);
  ~VideoCompressor() override;
  HRESULT OnRun() override;
  // Reports why the encoder cannot take the connected size.
  HRESULT Refuse(const std::string& reason);

  // reason: why it failed, in words.
  HRESULT Open(AVRational tb, std::string& reason);
  // A packet of the parallel encoder, stamped with its frame's index.
  HRESULT WriteStamped(const AVPacket& packet, int64_t index);
  HRESULT ReportEncoderError(int error);
  HRESULT Drain();
  void Close();

  std::string friendlyName_;
  EncoderSettings settings_;
  OutputPin output_{*this};
  AVCodecParameters* connectParams_ = nullptr;
  ComPtr<IBaseFilter> muxFilter_;
  AviMux* mux_ = nullptr;
  AVCodecContext* context_ = nullptr;
  std::unique_ptr<FrameConverter> converter_;
  std::unique_ptr<ParallelEncoder> parallel_;
  AVPacket* packet_ = nullptr;
  AVRational tb_{1, 25};
  bool ended_ = false;
  bool serial_ = false;
};
