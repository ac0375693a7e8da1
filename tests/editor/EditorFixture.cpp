#include "EditorFixture.h"

#include <QCoreApplication>
#include <QDialog>
#include <QTimer>

#include "editor/DlgSelectCompressor.h"
#include "editor/DlgSelectFormat.h"

std::optional<std::string> ScriptedDialogs::Next(const FileDialogRequest& request) {
  requests.push_back(request);
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected file dialog \"" << request.title << '"';
    return std::nullopt;
  }
  std::optional<std::string> answer = answers.front();
  answers.pop_front();
  return answer;
}

std::vector<std::string> ScriptedDialogs::OpenFiles(const FileDialogRequest& request) {
  const auto answer = Next(request);
  return answer ? std::vector<std::string>{*answer} : std::vector<std::string>{};
}

std::optional<std::string> ScriptedDialogs::SaveFile(const FileDialogRequest& request) { return Next(request); }

void EditorTest::SetUp() {
  RegistryStoreTest::SetUp();
  auto scripted = std::make_unique<ScriptedDialogs>();
  dialogs = scripted.get();
  SetUserDialogs(std::move(scripted));
  Form1 = form = new TForm1;
  DlgSelectComp = new TDlgSelectComp(form);
  DlgSelFormat = new TDlgSelFormat(form);
  QCoreApplication::sendPostedEvents(form);  // the settings load that the window posts itself
}

void EditorTest::TearDown() {
  delete form;
  Form1 = nullptr;
  DlgSelectComp = nullptr;
  DlgSelFormat = nullptr;
  SetUserDialogs(std::make_unique<ScriptedDialogs>());
  RegistryStoreTest::TearDown();
}

void WhileShown(QDialog* dialog, std::function<void()> action) {
  // A zero timer fires inside the event loop that exec() runs, after the dialog shows.
  QTimer::singleShot(0, dialog, [dialog, action = std::move(action)] {
    action();
    if (dialog->isVisible()) {
      ADD_FAILURE() << "the dialog is still open";
      dialog->reject();
    }
  });
}
