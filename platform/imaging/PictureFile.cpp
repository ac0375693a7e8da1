#include "platform/imaging/PictureFile.h"

#include "platform/kernel/ReplaceFile.h"

std::optional<std::vector<uint8_t>> ReadPictureFile(const std::string& fileName) {
  std::vector<uint8_t> data;
  if (ReadRegularFile(fileName, data, kMaxPictureFileBytes) != FileRead::Read) return std::nullopt;
  return data;
}
