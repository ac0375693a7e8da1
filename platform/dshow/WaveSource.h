// The audio source filter: reads a sound file (WAV) packet by packet for the
// AVI multiplexer, which takes PCM as it is.
#pragma once

#include <string>
#include <vector>

#include "platform/dshow/FilterBase.h"

struct AVFormatContext;
struct AVCodecParameters;

class WaveSource final : public Filter<> {
 public:
  // VFW_E_UNKNOWN_FILE_TYPE for a file that holds no sound.
  static HRESULT Open(const std::string& path, IBaseFilter** filter);

  StopStage Stage() const override { return StopStage::Source; }

  // Empty when the sound is PCM that an AVI file carries and FFmpeg reads back;
  // otherwise why not, in words that follow the file's name ("is not PCM").
  std::string Problem() const;
  const std::string& Path() const { return path_; }
  const AVCodecParameters* Params() const;
  int BlockAlign() const { return blockAlign_; }
  // The next packet's bytes; S_FALSE at the end of the file.
  HRESULT Read(std::vector<uint8_t>& data);

 private:
  WaveSource() = default;
  ~WaveSource() override;

  std::string path_;
  AVFormatContext* input_ = nullptr;
  int stream_ = -1;
  int blockAlign_ = 0;
};
