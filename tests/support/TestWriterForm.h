// A form object for tests: the settings that live in window controls are plain
// members, errors are collected, and tests can act on each step of a write.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "writer/VideoWriterForm.h"

class TestWriterForm : public VideoWriterForm {
 public:
  explicit TestWriterForm(const WriterProfile& profile);

  // Uncompressed output into path at width x height, frames per second.
  void SetUpWrite(const std::string& path, int width, int height, int frames);
  void SetCompressor(const std::string& name);

  int Top = 0, Left = 0;
  TColor BkColor = 0;
  int DisplayTime = 0;
  int Transition = 0;
  std::string Compressor;

  std::vector<std::string> WriteErrors;  // what the write reported
  std::vector<std::pair<GraphStep, std::string>> GraphErrors;  // what the graph build reported
  int FramesPushed = 0;
  // Called before each picture with its index, and after each pushed frame with the count so far.
  std::function<void(int)> OnPictureStarted;
  std::function<void(int)> OnFramePushed;

 protected:
  int SettingsTop() const override { return Top; }
  void SetSettingsTop(int top) override { Top = top; }
  int SettingsLeft() const override { return Left; }
  void SetSettingsLeft(int left) override { Left = left; }
  int ScreenWidth() const override { return 1024; }
  int ScreenHeight() const override { return 768; }
  TColor SettingsBkColor() const override { return BkColor; }
  void SetSettingsBkColor(TColor color) override { BkColor = color; }
  int SettingsDisplayTime() const override { return DisplayTime; }
  void SetSettingsDisplayTime(int seconds) override { DisplayTime = seconds; }
  int SettingsTransition() const override { return Transition; }
  void SetSettingsTransition(int kind) override { Transition = kind; }
  void SetSettingsCompressor(const std::string& text) override { Compressor = text; }

  void PictureStarted(int index, int count) override;
  void FramePushed() override;
  void ShowWriteError(const std::string& text) override { WriteErrors.push_back(text); }
  void ShowGraphError(GraphStep step, const std::string& text) override { GraphErrors.emplace_back(step, text); }
};
