// The editor's main window on Qt's offscreen platform, with a store and pictures of
// the test's own and dialogs that the test answers.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include "editor/Main.h"
#include "editor/UserDialogs.h"
#include "support/PictureFiles.h"
#include "support/RegistryStore.h"

// Answers every dialog from the test's queues (an empty queue cancels or says no)
// and keeps what was asked.
class ScriptedDialogs : public TUserDialogs {
 public:
  std::deque<std::vector<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;
  std::deque<std::optional<TColor>> colorAnswers;
  std::deque<bool> confirmAnswers;
  // Runs as each question or save dialog opens.
  std::function<void()> whileOpen;
  std::vector<FileDialogRequest> openRequests, saveRequests;
  std::vector<TColor> colorRequests;
  std::vector<std::string> confirmations, errors;  // "caption: text"

  std::vector<std::string> OpenFiles(const FileDialogRequest& r) override { return Ask(openRequests, r, openAnswers); }
  std::optional<std::string> SaveFile(const FileDialogRequest& r) override {
    if (whileOpen) whileOpen();
    return Ask(saveRequests, r, saveAnswers);
  }
  std::optional<TColor> ChooseColor(TColor initial) override { return Ask(colorRequests, initial, colorAnswers); }
  std::optional<bool> Confirm(const std::string& caption, const std::string& text) override {
    if (whileOpen) whileOpen();
    return Ask(confirmations, caption + ": " + text, confirmAnswers);
  }
  void ShowError(const std::string& caption, const std::string& text) override {
    errors.push_back(caption + ": " + text);
  }

 private:
  template <class Request, class Answer>
  static Answer Ask(std::vector<Request>& asked, const Request& request, std::deque<Answer>& answers) {
    asked.push_back(request);
    if (answers.empty()) return Answer{};
    Answer answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }
};

// A message up to its first line break.
inline std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

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
  // A 32 x 24 BMP of one colour in the test folder; returns its path.
  std::string Picture(const std::string& name, Rgb colour);
  // "Add Picture..." clicked, the dialog answered with the paths.
  void AddPictures(const std::vector<std::string>& paths);
  void ClickEntry(int index, Qt::KeyboardModifiers keys = Qt::NoModifier);
  QPoint EntryCentre(int index) const;
  // The entries' file names, in list order, and the selected indexes.
  std::vector<std::string> Names() const;
  std::vector<int> SelectedIndexes() const;
  // The monitor as the screen shows it.
  Rgb MonitorPixel(int x, int y) const;
  // Runs the event loop until the condition holds; false after a generous deadline.
  static bool WaitUntil(const std::function<bool()>& condition);

  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<TForm1> form_;
};
