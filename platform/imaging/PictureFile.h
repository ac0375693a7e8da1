// Reads a picture file whole into memory for the decoders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Files larger than this are not pictures the decoders could take anyway.
constexpr uint64_t kMaxPictureFileBytes = uint64_t{1} << 30;

// The bytes of a regular file (or a link to one); nothing for a missing, unreadable,
// special (pipe, device) or oversized file.
std::optional<std::vector<uint8_t>> ReadPictureFile(const std::string& fileName);
