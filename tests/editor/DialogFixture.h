// The main window with the AVI properties and stream-format dialogs that the
// program entry creates beside it.
#pragma once

#include <functional>

#include "EditorFixture.h"

class QDialog;

class DialogTest : public EditorTest {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// Runs action inside the dialog's own event loop once exec() shows it; the action
// is expected to close the dialog.
void WhileShown(QDialog* dialog, std::function<void()> action);
