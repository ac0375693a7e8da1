#include "platform/imaging/JpegLoader.h"

#include <turbojpeg.h>

#include <new>
#include <string>

#include "platform/imaging/PictureFile.h"

namespace {

struct TjDestroy {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDestroy>;

uint8_t Mul255(unsigned a, unsigned b) { return static_cast<uint8_t>((a * b + 127) / 255); }

// The smallest of TurboJPEG's reducing scales whose picture still covers
// minWidth x minHeight. Only a picture at least twice that size on both sides is
// reduced (to half or less): a smaller reduction would change the pixels of a
// picture that is stretched only a little, so it keeps its full size.
void ReduceToCover(int* width, int* height, int minWidth, int minHeight) {
  if (*width / 2 < minWidth || *height / 2 < minHeight) return;
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  int bestWidth = *width, bestHeight = *height;
  for (int i = 0; factors && i < count; ++i) {
    const tjscalingfactor f = factors[i];
    if (f.num >= f.denom) continue;
    const int w = TJSCALED(*width, f), h = TJSCALED(*height, f);
    if (w >= minWidth && h >= minHeight && w < bestWidth) bestWidth = w, bestHeight = h;
  }
  *width = bestWidth;
  *height = bestHeight;
}

// Decodes into out. A decoder warning (a file cut short, stray bytes, corrupt
// data that the decoder steps over) keeps what was decoded, as other viewers
// show such files; only a fatal error keeps nothing.
bool Decode(tjhandle tj, unsigned char* jpeg, size_t size, uint8_t* out, int width, int pitch, int height,
            int pixelFormat, int flags) {
  if (tjDecompress2(tj, jpeg, size, out, width, pitch, height, pixelFormat, flags | TJFLAG_STOPONWARNING) == 0)
    return true;
  if (tjGetErrorCode(tj) != TJERR_WARNING) return false;
  // TurboJPEG reports a fatal error after a warning as a warning too. The
  // decoder prints only its first warning, so a different last message on the
  // way past the warnings is a fatal error.
  const std::string firstWarning = tjGetErrorStr2(tj);
  if (tjDecompress2(tj, jpeg, size, out, width, pitch, height, pixelFormat, flags) == 0) return true;
  return tjGetErrorCode(tj) == TJERR_WARNING && firstWarning == tjGetErrorStr2(tj);
}

std::unique_ptr<Bitmap> DecodeCovering(const uint8_t* data, size_t size, size_t maxBitmapBytes,
                                       const CoverSize& cover, int* fullWidth, int* fullHeight) {
  if (!data || size < 4 || size > kMaxPictureFileBytes) return nullptr;
  TjHandle tj(tjInitDecompress());
  if (!tj) return nullptr;
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  // TurboJPEG takes a non-const buffer but only reads it.
  unsigned char* jpeg = const_cast<unsigned char*>(data);
  if (tjDecompressHeader3(tj.get(), jpeg, size, &width, &height, &subsampling, &colorspace) != 0) return nullptr;
  if (!BitmapFits(width, height, maxBitmapBytes)) return nullptr;
  *fullWidth = width;
  *fullHeight = height;
  if (cover) {
    const auto [minWidth, minHeight] = cover(width, height);
    if (minWidth > 0 && minHeight > 0) ReduceToCover(&width, &height, minWidth, minHeight);
  }
  std::unique_ptr<Bitmap> bitmap = CreateCompatibleBitmap(width, height);
  if (!bitmap) return nullptr;
  // Progressive scans are capped against files built to take forever.
  const int flags = TJFLAG_LIMITSCANS | TJFLAG_ACCURATEDCT;

  if (colorspace != TJCS_CMYK && colorspace != TJCS_YCCK) {
    if (!Decode(tj.get(), jpeg, size, bitmap->bits(), width, bitmap->stride(), height, TJPF_BGR,
                flags | TJFLAG_BOTTOMUP))
      return nullptr;
    return bitmap;
  }

  const size_t cmykStride = static_cast<size_t>(width) * 4;
  std::unique_ptr<uint8_t[]> cmyk(new (std::nothrow) uint8_t[cmykStride * static_cast<size_t>(height)]);
  if (!cmyk) return nullptr;
  if (!Decode(tj.get(), jpeg, size, cmyk.get(), width, static_cast<int>(cmykStride), height, TJPF_CMYK, flags))
    return nullptr;
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = cmyk.get() + static_cast<size_t>(y) * cmykStride;
    uint8_t* out = bitmap->scanLine(y);
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
      // CMYK JPEGs store ink inverted (255 = no ink), as Photoshop began it and as
      // ImageMagick and web browsers read every one of them: each channel keeps what
      // its own ink and the black ink leave of it.
      out[0] = Mul255(in[2], in[3]);
      out[1] = Mul255(in[1], in[3]);
      out[2] = Mul255(in[0], in[3]);
    }
  }
  return bitmap;
}

}  // namespace

std::unique_ptr<Bitmap> LoadJpegMemory(const uint8_t* data, size_t size, size_t maxBitmapBytes) {
  int width = 0, height = 0;
  return DecodeCovering(data, size, maxBitmapBytes, nullptr, &width, &height);
}

std::unique_ptr<Bitmap> LoadJpegFile(const std::string& fileName) {
  return LoadJpegFileCovering(fileName, nullptr).bitmap;
}

ScaledJpeg LoadJpegFileCovering(const std::string& fileName, const CoverSize& cover) {
  ScaledJpeg picture;
  if (const auto data = ReadPictureFile(fileName))
    picture.bitmap =
        DecodeCovering(data->data(), data->size(), kMaxBitmapBytes, cover, &picture.width, &picture.height);
  return picture;
}
