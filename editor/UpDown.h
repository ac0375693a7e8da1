// TUpDown: the up-down control attached to an edit. It keeps its position within
// its range and shows it in the edit; asked for its position, it first takes a
// whole number within the range from the edit, and keeps its position when the
// edit holds anything else.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
  Q_OBJECT

 public:
  TUpDown(QWidget* parent, QLineEdit* associate, int min, int max, int position);

  int Min() const { return min_; }
  int Max() const { return max_; }
  // The position is 16 bits: value is taken by its low 16 bits as a signed
  // number, then held at the nearer end of the range.
  void SetPosition(int value);
  int Position();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Step(int delta);

  QLineEdit* associate_;
  QToolButton* up_;
  QToolButton* down_;
  int min_;
  int max_;
  int position_ = 0;
};
