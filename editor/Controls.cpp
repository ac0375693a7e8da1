#include "Controls.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TUpDown::TUpDown(QWidget* parent, QLineEdit* associate, int minimum, int maximum, int position)
    : QWidget(parent), associate_(associate), minimum_(minimum), maximum_(maximum), position_(position) {
  auto* up = new QToolButton(this);
  auto* down = new QToolButton(this);
  up->setArrowType(Qt::UpArrow);
  down->setArrowType(Qt::DownArrow);
  up->setAutoRepeat(true);
  down->setAutoRepeat(true);
  up->setFocusPolicy(Qt::NoFocus);
  down->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(up);
  layout->addWidget(down);
  connect(up, &QToolButton::clicked, this, [this] { SetPosition(position_ + 1); });
  connect(down, &QToolButton::clicked, this, [this] { SetPosition(position_ - 1); });
  associate_->setText(QString::number(position_));
  associate_->installEventFilter(this);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == associate_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      SetPosition(position_ + (key == Qt::Key_Up ? 1 : -1));
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TUpDown::SetPosition(int position) {
  // The position is a 16-bit value, then held within the range.
  position = std::clamp(static_cast<int>(static_cast<int16_t>(position)), minimum_, maximum_);
  position_ = position;
  associate_->setText(QString::number(position_));
}

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->setSpacing(0);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_->addButton(button, i);
    layout->addWidget(button);
  }
  connect(buttons_, &QButtonGroup::idClicked, this, [this](int id) {
    if (id == index_) return;
    index_ = id;
    emit clicked();
  });
}

int TRadioGroup::ItemCount() const { return static_cast<int>(buttons_->buttons().size()); }

void TRadioGroup::SetItemIndex(int index) {
  index = std::clamp(index, -1, ItemCount() - 1);
  if (index == index_) return;
  index_ = index;
  if (index < 0) {
    // An exclusive group cannot uncheck its last checked button.
    buttons_->setExclusive(false);
    for (QAbstractButton* button : buttons_->buttons()) button->setChecked(false);
    buttons_->setExclusive(true);
  } else {
    buttons_->button(index)->setChecked(true);
  }
  emit clicked();
}

TColorSwatch::TColorSwatch(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
  Repaint();
}

void TColorSwatch::SetColor(TColor color) {
  color_ = color;
  buttonFace_ = false;
  Repaint();
}

void TColorSwatch::ShowButtonFace() {
  buttonFace_ = true;
  Repaint();
}

void TColorSwatch::Repaint() {
  QPalette pal = palette();
  const QColor shown =
      buttonFace_ ? pal.color(QPalette::Button) : QColor(ColorRed(color_), ColorGreen(color_), ColorBlue(color_));
  pal.setColor(QPalette::Base, shown);
  setPalette(pal);
}

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TPaintBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  emit painted(painter);
}

TClickLabel::TClickLabel(const QString& text, QWidget* parent, bool linkLook) : QLabel(text, parent) {
  if (!linkLook) return;
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, Qt::blue);
  setPalette(pal);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  setCursor(Qt::PointingHandCursor);
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QLabel::mouseReleaseEvent(event);
}
