// The console converter's form object: it only holds the settings and the
// state of one run; nothing shows it.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "writer/VideoWriterForm.h"

class TForm1 : public VideoWriterForm {
 public:
  // arguments: the command line after the program name.
  explicit TForm1(std::vector<std::string> arguments);
  // FormDestroy: releases the graph and writes the settings back.
  ~TForm1() override;

  // The whole run; returns the process's exit code.
  int ConvertFolderToAVI();

  std::string Compressor;
  TColor BkColor = 0;
  int DisplayTime = 0;
  int Transition = 0;
  int Top = 0;
  int Left = 0;
  std::vector<std::string> PictureFiles;

 protected:
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

  void PictureStarted(int index, int count) override;
  void ShowWriteError(const std::string& text) override;
  void ShowGraphError(GraphStep step, const std::string& text) override;

 private:
  void FormDestroy();
  // Reads the options over the loaded settings; false after a message when one is unusable.
  bool ReadOptions(std::string& outputName, std::string& folder);

  std::vector<std::string> arguments_;
};

// The one form object of the process; the control handler reaches the abort flag through it.
extern std::atomic<TForm1*> Form1;

int ConsoleMain(std::vector<std::string> arguments);
