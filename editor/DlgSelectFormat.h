// TDlgSelFormat: the stream-format dialog. SelectStreamFormat shows it with an
// empty list; neither button is the default or the cancel button, so Enter and
// Escape do not close it.
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

class TDlgSelFormat : public QDialog {
  Q_OBJECT

 public:
  explicit TDlgSelFormat(QWidget* parent = nullptr);

  QListWidget* ListBox;
  QPushButton* BtnOK;
  QPushButton* BtnCancel;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

