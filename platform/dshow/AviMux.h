// The AVI multiplexer: one video stream (uncompressed 24-bit DIB frames or a
// compressor's packets) and an optional PCM sound stream, written through the
// file writer. Sound is pulled from its source as the video advances, so the
// streams are interleaved without holding either, and it ends with the video.
#pragma once

#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

#include "platform/dshow/FileWriter.h"
#include "platform/dshow/Streaming.h"

struct AVFormatContext;
struct AVStream;
struct AVPacket;
struct AVCodecParameters;
class WaveSource;

class AviMux final : public Filter<>, public VideoInput {
 public:
  static ComPtr<AviMux> Make(ComPtr<FileWriter> writer);

  StopStage Stage() const override { return StopStage::Multiplexer; }

  // Connections, made while the graph is stopped.
  HRESULT ConnectRawVideo(int width, int height);
  HRESULT ConnectEncodedVideo(const AVCodecParameters* params);
  HRESULT ConnectAudio(WaveSource* source);

  // Uncompressed frames.
  HRESULT ReceiveFrame(const uint8_t* bits, int64_t index, REFERENCE_TIME duration) override;
  HRESULT EndOfStream(int64_t frameCount, REFERENCE_TIME duration) override;

  // A compressor's stream: its final parameters before the first packet, then
  // packets stamped in time base tb, then the end.
  HRESULT StartEncodedVideo(const AVCodecParameters* params, AVRational tb);
  HRESULT WriteVideoPacket(AVPacket* packet, AVRational tb);
  HRESULT EndVideo(int64_t frameCount, AVRational tb);

 private:
  explicit AviMux(ComPtr<FileWriter> writer);
  ~AviMux() override;
  HRESULT OnRun() override;
  HRESULT OnStop() override;

  HRESULT CheckOutput() const;
  HRESULT WriteHeader();
  // Sound up to sample `limit` (in the sound's own rate).
  HRESULT PumpAudio(int64_t limit);
  HRESULT Write(AVPacket* packet);
  HRESULT Finish();
  HRESULT Fail(HRESULT hr, const std::string& reason);

  ComPtr<FileWriter> writer_;
  AVFormatContext* context_ = nullptr;
  AVStream* video_ = nullptr;
  AVStream* audio_ = nullptr;
  ComPtr<IBaseFilter> audioFilter_;
  WaveSource* audioSource_ = nullptr;
  bool raw_ = false;
  int width_ = 0;
  int height_ = 0;
  AVRational videoTb_{1, 25};
  bool headerWritten_ = false;
  bool finished_ = false;
  HRESULT failure_ = S_OK;
  // Sound: samples written, and the part of the last packet read that is not yet written.
  int64_t audioWritten_ = 0;
  std::vector<uint8_t> pending_;
  size_t pendingOffset_ = 0;
  bool audioEnded_ = false;
};
