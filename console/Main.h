// The console converter's form object: it only holds the settings and the
// state of one run; nothing shows it.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "writer/PlainSettingsForm.h"

class TForm1 : public PlainSettingsForm {
 public:
  // arguments: the command line after the program name.
  explicit TForm1(std::vector<std::string> arguments);

  // The whole run; returns the process's exit code.
  int ConvertFolderToAVI();
  // Releases the graph and writes the settings back, once, before the object is
  // deleted; false after a message when the settings could not be stored.
  bool FormDestroy();

  std::vector<std::string> PictureFiles;

 protected:
  void PictureStarted(int index, int count) override;
  void ShowWriteError(const std::string& text) override;
  void ShowGraphError(GraphStep step, const std::string& text) override;

 private:
  // Reads the options over the loaded settings; false after a message when one is unusable.
  bool ReadOptions(std::string& outputName, std::string& folder);

  std::vector<std::string> arguments_;
};

// The one form object of the process; the control handler reaches the abort flag through it.
extern std::atomic<TForm1*> Form1;

int ConsoleMain(std::vector<std::string> arguments);
