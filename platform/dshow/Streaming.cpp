#include "platform/dshow/Streaming.h"

#include <cerrno>
#include <cstdio>

extern "C" {
#include <libavutil/error.h>
}

namespace {
constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;
constexpr REFERENCE_TIME kDefaultDuration = 400'000;  // 25 frames per second
}  // namespace

AVRational FrameTimeBase(REFERENCE_TIME duration) {
  if (duration <= 0) duration = kDefaultDuration;
  AVRational tb;
  av_reduce(&tb.num, &tb.den, duration, kUnitsPerSecond, 65535);
  if (tb.num == 0) tb = {1, 65535};
  return tb;
}

HRESULT HresultFromAvError(int error) {
  if (error >= 0) return S_OK;
  switch (error) {
    case AVERROR(ENOENT):
    case AVERROR(ENOTDIR):
      return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    case AVERROR(EACCES):
    case AVERROR(EPERM):
    case AVERROR(EISDIR):
      return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    case AVERROR(EROFS):
      return HRESULT_FROM_WIN32(ERROR_WRITE_PROTECT);
    case AVERROR(ENOSPC):
    case AVERROR(EDQUOT):
    case AVERROR(EFBIG):
      return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    case AVERROR(EIO):
      return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
    case AVERROR(ENOMEM):
      return E_OUTOFMEMORY;
    case AVERROR(EINVAL):
      return E_INVALIDARG;
    default:
      return E_FAIL;
  }
}

std::string AvErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

std::string HresultHex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}
