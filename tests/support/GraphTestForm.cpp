#include "GraphTestForm.h"

#include "platform/com/ComRegistry.h"
#include "platform/dshow/SystemClasses.h"
#include "platform/gdi/BitmapInfo.h"
#include "platform/pusher/SamplePusher.h"
#include "platform/text/WideText.h"
#include "writer/FrameFormat.h"
#include "writer/WriterProfiles.h"

namespace {

void Pixel(int x, int y, int frame, uint8_t* bgr) {
  bgr[0] = static_cast<uint8_t>(x * 7 + frame * 13);
  bgr[1] = static_cast<uint8_t>(y * 5 + frame * 3);
  bgr[2] = static_cast<uint8_t>(x ^ y ^ frame);
}

}  // namespace

GraphTestForm::GraphTestForm(bool soundStep) : TestWriterForm(soundStep ? EditorProfile : ConsoleProfile) {}

GraphTestForm::~GraphTestForm() { ReleaseGraph(); }

void GraphTestForm::SetFormat(int width, int height, int framesPerSecond) {
  FormatX = width;
  FormatY = height;
  Frames = framesPerSecond;
  FillFrameFormat(FrameHeader, FrameDuration, width, height, framesPerSecond);
}

void GraphTestForm::SetOutput(const std::string& path) { TextToWideBuffer(path, OutputFileName); }
void GraphTestForm::SetSound(const std::string& path) { TextToWideBuffer(path, SoundFileName); }

void GraphTestForm::PushFrames(int first, int count) {
  for (int n = first; n < first + count; ++n) {
    const std::vector<uint8_t> bits = PatternFrame(FormatX, FormatY, n);
    Pusher->PushSample(bits.data(), &FrameHeader, FrameDuration);
  }
}

std::vector<uint8_t> PatternFrame(int width, int height, int frame) {
  const int stride = DibStride24(width);
  std::vector<uint8_t> bits(static_cast<size_t>(stride) * height, 0xA5);
  for (int row = 0; row < height; ++row) {
    const int y = height - 1 - row;
    for (int x = 0; x < width; ++x) Pixel(x, y, frame, &bits[static_cast<size_t>(row) * stride + x * 3]);
  }
  return bits;
}

std::vector<uint8_t> PatternTopDown(int width, int height, int frame) {
  std::vector<uint8_t> bits(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) Pixel(x, y, frame, &bits[(static_cast<size_t>(y) * width + x) * 3]);
  return bits;
}

ComSession::ComSession() {
  CoInitialize(nullptr);
  RegisterSystemClasses();
  RegisterSamplePusher();
}

ComSession::~ComSession() { CoUninitialize(); }
