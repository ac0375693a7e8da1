#include "AviFrames.h"

#include "RunCommand.h"

std::vector<DecodedFrame> DecodeVideoFrames(const std::string& path, int width, int height) {
  const CommandResult result =
      RunCommand("ffmpeg -v error -i " + ShellQuote(path) + " -map 0:v:0 -f rawvideo -pix_fmt bgr24 -");
  std::vector<DecodedFrame> frames;
  const size_t frameSize = static_cast<size_t>(width) * height * 3;
  if (result.exitCode != 0 || frameSize == 0) return frames;
  for (size_t offset = 0; offset + frameSize <= result.output.size(); offset += frameSize) {
    DecodedFrame frame{width, height, {}};
    frame.bgr.assign(result.output.begin() + offset, result.output.begin() + offset + frameSize);
    frames.push_back(std::move(frame));
  }
  return frames;
}
