// The AVI properties dialog.
#pragma once

#include <QDialog>

class TDlgSelectComp : public QDialog {
  Q_OBJECT
 public:
  explicit TDlgSelectComp(QWidget* parent = nullptr);
};
