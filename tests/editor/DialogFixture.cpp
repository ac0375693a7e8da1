#include "DialogFixture.h"

#include <QTimer>

#include "editor/DlgSelectCompressor.h"
#include "editor/DlgSelectFormat.h"

void DialogTest::SetUp() {
  EditorTest::SetUp();
  StartEditor();
  DlgSelectComp = new TDlgSelectComp(form_.get());
  DlgSelFormat = new TDlgSelFormat(form_.get());
}

void DialogTest::TearDown() {
  DlgSelectComp = nullptr;  // they go with the window
  DlgSelFormat = nullptr;
  EditorTest::TearDown();
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
