// Reading back the AVI files we write, through ffprobe and ffmpeg.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One decoded frame: top-down rows of width x 3 bytes, blue-green-red.
struct DecodedFrame {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgr;
  // Channel values of pixel (x, y) counted from the top.
  const uint8_t* at(int x, int y) const { return bgr.data() + (static_cast<size_t>(y) * width + x) * 3; }
};

// Every video frame of the file as ffmpeg decodes it; empty when ffmpeg fails.
std::vector<DecodedFrame> DecodeVideoFrames(const std::string& path, int width, int height);
