// The few controls of the main window that Qt has no exact counterpart for.
#pragma once

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "platform/gdi/BitmapInfo.h"

class QButtonGroup;
class QToolButton;

// Up and down arrows that hold a position and write it into their edit as decimal
// text. The position is a 16-bit value kept within the range.
class TUpDown : public QWidget {
  Q_OBJECT
 public:
  TUpDown(QWidget* parent, QLineEdit* associate, int minimum, int maximum, int position);
  int Position() const { return position_; }
  void SetPosition(int position);

 protected:
  // The arrow keys in the edit step the position as the arrows do.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* associate_;
  int minimum_;
  int maximum_;
  int position_;
};

// A group of radio buttons whose item index is -1 (none checked) or an item.
class TRadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent);
  int ItemIndex() const { return index_; }
  // Kept between -1 and the last item.
  void SetItemIndex(int index);
  int ItemCount() const;

 signals:
  // The index changed, by the user or by the program.
  void clicked();

 private:
  QButtonGroup* buttons_;
  int index_ = -1;
};

// An edit shown only for its colour: the background colour for new pictures.
// The "N/A" look paints it in the button face but keeps the colour it had.
class TColorSwatch : public QLineEdit {
  Q_OBJECT
 public:
  explicit TColorSwatch(QWidget* parent);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  void ShowButtonFace();
  bool ShowsButtonFace() const { return buttonFace_; }

 private:
  void Repaint();
  TColor color_ = 0;
  bool buttonFace_ = false;
};

// A surface painted by its owner on every paint event.
class TPaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPaintBox(QWidget* parent);

 signals:
  void painted(QPainter& painter);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A label that reports clicks; with the link look: blue, underlined, hand cursor.
class TClickLabel : public QLabel {
  Q_OBJECT
 public:
  TClickLabel(const QString& text, QWidget* parent, bool linkLook);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};
