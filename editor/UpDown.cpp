#include "editor/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

// A whole number in plain digits (no thousands separator), optionally negative.
std::optional<int> WholeNumber(const QString& text) {
  bool ok = false;
  const int value = text.toInt(&ok);
  const bool plain = !text.isEmpty() && std::all_of(text.begin() + (text.startsWith('-') ? 1 : 0), text.end(),
                                                    [](QChar c) { return c >= '0' && c <= '9'; });
  if (!ok || !plain) return std::nullopt;
  return value;
}

}  // namespace

TUpDown::TUpDown(QWidget* parent, QLineEdit* associate, int min, int max, int position)
    : QWidget(parent), associate_(associate), up_(new QToolButton(this)), down_(new QToolButton(this)),
      min_(min), max_(max) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QToolButton* button : {up_, down_}) {
    button->setArrowType(button == up_ ? Qt::UpArrow : Qt::DownArrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    layout->addWidget(button);
  }
  connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
  associate_->installEventFilter(this);  // the arrow keys in the edit step too
  SetPosition(position);
}

void TUpDown::SetPosition(int value) {
  position_ = std::clamp<int>(static_cast<int16_t>(static_cast<uint16_t>(value)), min_, max_);
  associate_->setText(QString::number(position_));
}

int TUpDown::Position() {
  const auto typed = WholeNumber(associate_->text());
  if (typed && *typed >= min_ && *typed <= max_) position_ = *typed;
  return position_;
}

void TUpDown::Step(int delta) { SetPosition(std::clamp(Position() + delta, min_, max_)); }

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == associate_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}
