// The video compressors that the compressor category lists: FFmpeg encoders
// under the names users know from compressor lists, in a fixed order.
#pragma once

#include <string>
#include <vector>

struct AVCodec;

struct CompressorDevice {
  std::string friendlyName;
  // Encoder names, best first; the device uses the first that libavcodec has.
  std::vector<std::string> encoders;
};

// The devices of the current catalogue whose encoders the linked libavcodec has.
struct InstalledCompressor {
  std::string friendlyName;
  const AVCodec* encoder;
};
std::vector<InstalledCompressor> InstalledCompressors();

// Replaces the catalogue (for tests); RestoreCompressorCatalogue brings back ours.
void SetCompressorCatalogue(std::vector<CompressorDevice> devices);
void RestoreCompressorCatalogue();
