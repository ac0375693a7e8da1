// A form object whose window-side settings are plain members rather than
// controls: the console's form, which is never shown, and test forms.
#pragma once

#include <string>

#include "writer/VideoWriterForm.h"

class PlainSettingsForm : public VideoWriterForm {
 public:
  std::string Compressor;
  TColor BkColor = 0;
  int DisplayTime = 0;
  int Transition = 0;
  int Top = 0;
  int Left = 0;

 protected:
  using VideoWriterForm::VideoWriterForm;

  int SettingsTop() const override { return Top; }
  void SetSettingsTop(int top) override { Top = top; }
  int SettingsLeft() const override { return Left; }
  void SetSettingsLeft(int left) override { Left = left; }
  // There is no display; the hidden form is centred on a common one.
  int ScreenWidth() const override { return 1920; }
  int ScreenHeight() const override { return 1080; }
  TColor SettingsBkColor() const override { return BkColor; }
  void SetSettingsBkColor(TColor color) override { BkColor = color; }
  int SettingsDisplayTime() const override { return DisplayTime; }
  void SetSettingsDisplayTime(int seconds) override { DisplayTime = seconds; }
  int SettingsTransition() const override { return Transition; }
  void SetSettingsTransition(int kind) override { Transition = kind; }
  void SetSettingsCompressor(const std::string& text) override { Compressor = text; }
};
