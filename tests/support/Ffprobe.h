// What ffprobe and ffmpeg (not ours) read from a media file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One stream's fields as ffprobe prints them (codec_type, codec_name, width,
// height, r_frame_rate, nb_frames, nb_read_packets, duration, sample_rate, ...).
using ProbedStream = std::map<std::string, std::string>;

// Every stream of the file; empty when ffprobe cannot read it.
std::vector<ProbedStream> ProbeStreams(const std::string& path);

// "K" or "_" per packet of the first stream of a type ("v" or "a"), in file order.
std::string PacketKeyFlags(const std::string& path, const std::string& streamType);

// File positions of the packets of the first stream of a type.
std::vector<int64_t> PacketPositions(const std::string& path, const std::string& streamType);

// The video decoded by ffmpeg as top-down rows of 24-bit BGR without padding,
// all frames one after the other.
std::vector<uint8_t> DecodeVideoBgr24(const std::string& path, const std::string& extraFilter = "");

// One decoded frame: top-down rows of width x 3 bytes, blue-green-red.
struct DecodedFrame {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgr;
  // Channel values of pixel (x, y) counted from the top.
  const uint8_t* at(int x, int y) const { return bgr.data() + (static_cast<size_t>(y) * width + x) * 3; }
};

// DecodeVideoBgr24 cut into its frames of width x height.
std::vector<DecodedFrame> DecodeVideoFrames(const std::string& path, int width, int height);
