#include <array>

#include "FrameBuffers.h"
#include "MosaicFrame.h"
#include "TransitionKind.h"
#include "VideoWriterForm.h"
#include "platform/gdi/MulDiv.h"

namespace {

// How far step n of frames has come, as a part of extent. With a single frame
// the step is the last one: it shows the new picture.
int StepOffset(int extent, int n, int frames) { return frames > 1 ? MulDiv(extent, n, frames - 1) : extent; }

void FadeStep(const Bitmap& prev, const Bitmap& next, Bitmap& out, int n, int frames) {
  // One MulDiv per possible difference instead of one per byte.
  std::array<uint8_t, 511> add;
  for (int d = -255; d <= 255; ++d) add[d + 255] = static_cast<uint8_t>(StepOffset(d, n, frames));
  const uint8_t* p = prev.bits();
  const uint8_t* q = next.bits();
  uint8_t* o = out.bits();
  const size_t size = out.sizeBytes();
  for (size_t i = 0; i < size; ++i) o[i] = static_cast<uint8_t>(p[i] + add[q[i] - p[i] + 255]);
}

}  // namespace

bool VideoWriterForm::PushTransitionFrame(const Bitmap& frame) {
  if (WriteError != S_OK) return true;
  ShowTransitionFrame(frame);
  PushFrame(frame);
  return WriteError != S_OK || (Profile().abortAfterEveryFrame && AbortRequested.load(std::memory_order_relaxed));
}

void VideoWriterForm::RenderTransition(int kind, FrameBuffers& buffers) {
  const int frames = Frames;
  const int width = FrameHeader.bmiHeader.biWidth;
  const int height = FrameHeader.bmiHeader.biHeight;
  Bitmap& out = *buffers.OUT;
  Bitmap& prev = *buffers.PREV;
  Bitmap& next = *buffers.NEW;

  switch (kind) {
    case TransitionFadeIn:
      for (int n = 0; n < frames; ++n) {
        FadeStep(prev, next, out, n, frames);
        if (PushTransitionFrame(out)) return;
      }
      return;
    case TransitionFromLeft:
    case TransitionFromTop:
    case TransitionFromRight:
    case TransitionFromBottom:
      // The slides never clear OUT: the new picture moves in over the previous one.
      for (int n = 0; n < frames; ++n) {
        int x = 0, y = 0;
        if (kind == TransitionFromLeft) x = StepOffset(width, n, frames) - width;
        if (kind == TransitionFromTop) y = StepOffset(height, n, frames) - height;
        if (kind == TransitionFromRight) x = width - StepOffset(width, n, frames);
        if (kind == TransitionFromBottom) y = height - StepOffset(height, n, frames);
        BitBlt(&out, x, y, &next);
        if (PushTransitionFrame(out)) return;
      }
      return;
    case TransitionSquare:
      // The previous picture dissolves into ever larger blocks; an abort ends
      // only this run, so one frame of the new picture still follows.
      for (int block = 2; block < frames; ++block) {
        BitBlt(&out, 0, 0, &prev);
        MosaicFrame(FrameHeader.bmiHeader, out.bits(), block);
        if (PushTransitionFrame(out)) break;
      }
      for (int block = frames; block > 1; --block) {
        BitBlt(&out, 0, 0, &next);
        MosaicFrame(FrameHeader.bmiHeader, out.bits(), block);
        if (PushTransitionFrame(out)) return;
      }
      return;
    default:
      return;
  }
}
