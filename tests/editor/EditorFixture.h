// The main window and its two dialogs on a store of the test's own, with file
// dialogs that answer from a queue.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/Main.h"
#include "editor/UserDialogs.h"
#include "support/RegistryStore.h"

class QDialog;

// Runs action inside the dialog's own event loop once exec() shows it; the action
// is expected to close the dialog.
void WhileShown(QDialog* dialog, std::function<void()> action);

class ScriptedDialogs : public TUserDialogs {
 public:
  // What the next file dialogs return; nullopt cancels one.
  std::deque<std::optional<std::string>> answers;
  std::vector<FileDialogRequest> requests;
  std::vector<std::string> errors;

  std::vector<std::string> OpenFiles(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<TColor> ChooseColor(TColor) override { return std::nullopt; }
  bool Confirm(const std::string&, const std::string&) override { return false; }
  void ShowError(const std::string&, const std::string& text) override { errors.push_back(text); }

 private:
  std::optional<std::string> Next(const FileDialogRequest& request);
};

class EditorTest : public RegistryStoreTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  TForm1* form = nullptr;
  ScriptedDialogs* dialogs = nullptr;
};
