#include "platform/dshow/CompressorCatalogue.h"

#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

std::vector<CompressorDevice> StandardCatalogue() {
  return {
      {"Cinepak Codec by Radius", {"cinepak"}},
      {"Huffyuv v2.1.1", {"huffyuv"}},
      {"Microsoft MPEG-4 Video Codec V2", {"msmpeg4v2"}},
      {"Microsoft Video 1", {"msvideo1"}},
      {"MJPEG Compressor", {"mjpeg"}},
      {"x264vfw - H.264/MPEG-4 AVC codec", {"libx264"}},
      {"Xvid MPEG-4 Codec", {"libxvid", "mpeg4"}},
  };
}

std::mutex catalogueMutex;
std::vector<CompressorDevice>& Catalogue() {
  static std::vector<CompressorDevice> catalogue = StandardCatalogue();
  return catalogue;
}

}  // namespace

std::vector<InstalledCompressor> InstalledCompressors() {
  std::lock_guard lock(catalogueMutex);
  std::vector<InstalledCompressor> installed;
  for (const CompressorDevice& device : Catalogue()) {
    for (const std::string& name : device.encoders) {
      if (const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str())) {
        installed.push_back({device.friendlyName, codec});
        break;
      }
    }
  }
  return installed;
}

void SetCompressorCatalogue(std::vector<CompressorDevice> devices) {
  std::lock_guard lock(catalogueMutex);
  Catalogue() = std::move(devices);
}

void RestoreCompressorCatalogue() { SetCompressorCatalogue(StandardCatalogue()); }
