// The stream-format dialog.
#pragma once

#include <QDialog>

class TDlgSelFormat : public QDialog {
  Q_OBJECT
 public:
  explicit TDlgSelFormat(QWidget* parent = nullptr);
};
