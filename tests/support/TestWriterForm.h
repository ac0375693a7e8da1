// A form object for tests: errors are collected, and tests can act on each step of a write.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "writer/PlainSettingsForm.h"

class TestWriterForm : public PlainSettingsForm {
 public:
  explicit TestWriterForm(const WriterProfile& profile);

  // Uncompressed output into path at width x height, frames per second.
  void SetUpWrite(const std::string& path, int width, int height, int frames);
  void SetCompressor(const std::string& name);

  std::vector<std::string> WriteErrors;  // what the write reported
  std::vector<std::pair<GraphStep, std::string>> GraphErrors;  // what the graph build reported
  int FramesPushed = 0;
  // Called before each picture with its index, and after each pushed frame with the count so far.
  std::function<void(int)> OnPictureStarted;
  std::function<void(int)> OnFramePushed;
  // Calls of WaitingForGraph, with the frames pushed by then.
  std::vector<int> WaitedAfterFrames;

 protected:
  void PictureStarted(int index, int count) override;
  void FramePushed() override;
  void WaitingForGraph() override { WaitedAfterFrames.push_back(FramesPushed); }
  void ShowWriteError(const std::string& text) override { WriteErrors.push_back(text); }
  void ShowGraphError(GraphStep step, const std::string& text) override { GraphErrors.emplace_back(step, text); }
};
