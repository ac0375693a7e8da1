#include "TestWriterForm.h"

#include "platform/text/WideText.h"

TestWriterForm::TestWriterForm(const WriterProfile& profile) : PlainSettingsForm(profile) {}

void TestWriterForm::SetUpWrite(const std::string& path, int width, int height, int frames) {
  TextToWideBuffer(path, OutputFileName);
  FormatX = width;
  FormatY = height;
  Frames = frames;
  KeyFrameRate = 10;
  Quality = 1.0;
  SetCompressor("None (for postprocessing)");
}

void TestWriterForm::SetCompressor(const std::string& name) { TextToWideBuffer(name, CompressorName); }

void TestWriterForm::PictureStarted(int index, int /*count*/) {
  if (OnPictureStarted) OnPictureStarted(index);
}

void TestWriterForm::FramePushed() {
  ++FramesPushed;
  if (OnFramePushed) OnFramePushed(FramesPushed);
}
