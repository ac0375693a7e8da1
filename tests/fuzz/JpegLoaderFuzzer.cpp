// Feeds arbitrary bytes to the JPEG decoder: it must return a bitmap or nothing,
// never crash, hang or run out of memory.
#include <cstddef>
#include <cstdint>

#include "platform/imaging/JpegLoader.h"

// Smaller than the loader's own limit, so that each input decodes quickly.
constexpr size_t kFuzzBitmapBytes = 64u << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto bitmap = LoadJpegMemory(data, size, kFuzzBitmapBytes);
  if (bitmap) {
    // Touch both ends of the pixels so that the sanitizer checks the allocation.
    volatile uint8_t ends = bitmap->bits()[0] ^ bitmap->bits()[bitmap->sizeBytes() - 1];
    (void)ends;
  }
  return 0;
}
