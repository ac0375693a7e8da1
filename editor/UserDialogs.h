// The dialogs that the main window asks the user through: file, colour, question
// and error boxes. The program uses Qt's; tests put in their own to answer them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/BitmapInfo.h"

// What a handler sets on the shared open or save dialog before showing it.
struct FileDialogRequest {
  std::string title;
  std::string filter;  // "Description (*.x)|*.X", as the form's dialogs take it
  std::string fileName;
  std::string initialDir;
  std::string defaultExt;
  bool multiSelect = false;
};

class TUserDialogs {
 public:
  virtual ~TUserDialogs() = default;
  // The chosen files, first one first; empty when cancelled.
  virtual std::vector<std::string> OpenFiles(const FileDialogRequest& request) = 0;
  // The chosen name; nothing when cancelled. The overwrite question is the dialog's.
  virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
  virtual std::optional<TColor> ChooseColor(TColor initial) = 0;
  // The confirmation box with the buttons "&Ja" and "&Nein": true for yes, false for
  // no, nothing when it ended without an answer (the program is ending).
  virtual std::optional<bool> Confirm(const std::string& caption, const std::string& text) = 0;
  virtual void ShowError(const std::string& caption, const std::string& text) = 0;
};

// Qt's dialogs.
std::unique_ptr<TUserDialogs> QtDialogs();
// The dialogs in use; Qt's until SetUserDialogs replaces them.
TUserDialogs& UserDialogs();
void SetUserDialogs(std::unique_ptr<TUserDialogs> dialogs);
