#include "Ffprobe.h"

#include <cstdio>
#include <sstream>

#include "RunCommand.h"

std::vector<ProbedStream> ProbeStreams(const std::string& path) {
  const CommandResult r = RunCommand("ffprobe -v error -count_packets -show_streams " + ShellQuote(path));
  std::vector<ProbedStream> streams;
  if (r.exitCode != 0) return streams;
  std::istringstream lines(r.output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "[STREAM]") {
      streams.emplace_back();
    } else if (!streams.empty() && line != "[/STREAM]") {
      const auto eq = line.find('=');
      if (eq != std::string::npos) streams.back()[line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  return streams;
}

std::string PacketKeyFlags(const std::string& path, const std::string& streamType) {
  const CommandResult r = RunCommand("ffprobe -v error -select_streams " + streamType +
                                     ":0 -show_entries packet=flags -of csv=p=0 " + ShellQuote(path));
  std::string flags;
  std::istringstream lines(r.output);
  std::string line;
  while (std::getline(lines, line))
    if (!line.empty()) flags += line[0] == 'K' ? 'K' : '_';
  return flags;
}

std::vector<int64_t> PacketPositions(const std::string& path, const std::string& streamType) {
  const CommandResult r = RunCommand("ffprobe -v error -select_streams " + streamType +
                                     ":0 -show_entries packet=pos -of csv=p=0 " + ShellQuote(path));
  std::vector<int64_t> positions;
  std::istringstream lines(r.output);
  std::string line;
  while (std::getline(lines, line))
    if (!line.empty()) positions.push_back(std::stoll(line));
  return positions;
}

std::vector<uint8_t> DecodeVideoBgr24(const std::string& path, const std::string& extraFilter) {
  const std::string filter = extraFilter.empty() ? "" : " -vf " + ShellQuote(extraFilter);
  const CommandResult r = RunCommand("ffmpeg -v error -i " + ShellQuote(path) + filter +
                                     " -map 0:v:0 -fps_mode passthrough -f rawvideo -pix_fmt bgr24 -");
  return std::vector<uint8_t>(r.output.begin(), r.output.end());
}

std::vector<DecodedFrame> DecodeVideoFrames(const std::string& path, int width, int height) {
  const std::vector<uint8_t> all = DecodeVideoBgr24(path);
  const size_t frameSize = static_cast<size_t>(width) * height * 3;
  std::vector<DecodedFrame> frames;
  for (size_t offset = 0; frameSize && offset + frameSize <= all.size(); offset += frameSize)
    frames.push_back({width, height, std::vector<uint8_t>(all.begin() + offset, all.begin() + offset + frameSize)});
  return frames;
}
