// The capture-source dialog: created at start-up, never filled or shown.
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

class TDlgSelectCapture : public QDialog {
  Q_OBJECT
 public:
  explicit TDlgSelectCapture(QWidget* parent = nullptr);

  QListWidget* ListBox;
  QPushButton* BtnOK;
  QPushButton* BtnCancel;
};
