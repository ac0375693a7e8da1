// The editor's main window on Qt's offscreen platform, with a store and pictures of
// the test's own and dialogs that the test answers.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QPoint>
#include <gtest/gtest.h>

#include "editor/Main.h"
#include "editor/UserDialogs.h"
#include "support/PictureFiles.h"
#include "support/RegistryStore.h"

// Answers every dialog from the test's queues (an empty queue cancels) and keeps what was asked.
class ScriptedDialogs : public TUserDialogs {
 public:
  std::deque<std::vector<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;
  std::deque<std::optional<TColor>> colorAnswers;
  std::deque<bool> confirmAnswers;

  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;
  std::vector<TColor> colorRequests;
  std::vector<std::string> confirmations;  // "caption: text"
  std::vector<std::string> errors;         // "caption: text"

  std::vector<std::string> OpenFiles(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<TColor> ChooseColor(TColor initial) override;
  bool Confirm(const std::string& caption, const std::string& text) override;
  void ShowError(const std::string& caption, const std::string& text) override;
};

class QDialog;

// Runs action inside the dialog's own event loop as soon as it shows; the action
// is expected to close the dialog.
void WhileShown(QDialog* dialog, std::function<void()> action);

class EditorTest : public RegistryStoreTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new main window with its three dialogs, shown, once its settings have loaded.
  void StartEditor();
  // A solid-colour BMP in the test folder; returns its path.
  std::string Picture(const std::string& name, Rgb colour);
  // "Add Picture..." clicked, the dialog answered with the paths.
  void AddPictures(const std::vector<std::string>& paths);
  // A click on entry index with the given keys held.
  void ClickEntry(int index, Qt::KeyboardModifiers keys = Qt::NoModifier);
  QPoint EntryCentre(int index) const;
  // The entries' file names (without folders), in list order.
  std::vector<std::string> Names() const;
  std::vector<int> SelectedIndexes() const;
  // The monitor as the screen shows it, at (x, y) of the paint box.
  Rgb MonitorPixel(int x, int y) const;
  // Polls the event loop until the condition holds; false after a generous deadline.
  static bool WaitUntil(const std::function<bool()>& condition);

  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<TForm1> form_;
};
