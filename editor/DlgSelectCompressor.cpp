#include "editor/DlgSelectCompressor.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

#include "editor/Controls.h"
#include "editor/Placement.h"


namespace {

// A static text at (left, top) whose access key moves the focus to focusControl.
QLabel* StaticText(QWidget* parent, const char* name, const QString& caption, int left, int top,
                   QWidget* focusControl = nullptr) {
  QLabel* label = PlaceLabel(new QLabel(caption, parent), name, left, top);
  if (focusControl) label->setBuddy(focusControl);
  return label;
}

// Keys that the dialog itself handles, and Delete, which removes text rather than
// typing a character; they never reach the key filter.
bool IsCharacterKey(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
      return false;
    default:
      return !key.text().isEmpty();
  }
}

}  // namespace

TDlgSelectComp::TDlgSelectComp(QWidget* parent) : QDialog(parent) {
  setObjectName("DlgSelectComp");
  setWindowTitle("AVI File Properties:");
  setFixedSize(342, 292);

  ListBox = Place(new QListWidget(this), "ListBox", 8, 71, 217, 153);
  ListBox->setSelectionMode(QAbstractItemView::SingleSelection);
  ListBox->setUniformItemSizes(true);

  TBCompQuality = Place(new QSlider(Qt::Horizontal, this), "TBCompQuality", 4, 245, 221, 31);
  TBCompQuality->setRange(0, 100);
  TBCompQuality->setPageStep(10);
  TBCompQuality->setTickInterval(10);
  TBCompQuality->setTickPosition(QSlider::TicksBothSides);

  BtnOK = Place(new QPushButton("OK", this), "BtnOK", 241, 25, 90, 24);
  BtnOK->setDefault(true);
  connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
  BtnCancel = Place(new QPushButton("Abbrechen", this), "BtnCancel", 241, 57, 90, 24);
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

  edWidth = Place(new QLineEdit(this), "edWidth", 8, 24, 40, 21);
  edHeight = Place(new QLineEdit(this), "edHeight", 72, 24, 40, 21);
  UpDnWidth = Place(new TUpDown(this, edWidth, 80, 4000, 320), "UpDnWidth", 48, 24, 17, 21);
  UpDnHeight = Place(new TUpDown(this, edHeight, 60, 3000, 240), "UpDnHeight", 112, 24, 17, 21);
  edFrames = Place(new QLineEdit(this), "edFrames", 144, 25, 30, 21);
  UpDnFrames = Place(new TUpDown(this, edFrames, 1, 30, 25), "UpDnFrames", 174, 25, 15, 21);
  for (QLineEdit* edit : {edWidth, edHeight, edFrames}) {
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);  // composed text would pass the key filter
    edit->installEventFilter(this);
  }

  Label3 = StaticText(this, "Label3", "&Width:", 8, 9, edWidth);
  Label5 = StaticText(this, "Label5", "&Height:", 73, 9, edHeight);
  x = StaticText(this, "x", "x", 65, 26);
  Label6 = StaticText(this, "Label6", "&Frames/s:", 145, 9, edFrames);
  Label7 = StaticText(this, "Label7", "@", 131, 28);
  Label4 = StaticText(this, "Label4", "&Compressor:", 8, 55, ListBox);
  Label1 = StaticText(this, "Label1", "&Quality:", 9, 232, TBCompQuality);
  Label2 = StaticText(this, "Label2", "100 %", 229, 256);

  QWidget* order[] = {ListBox, TBCompQuality, BtnOK, BtnCancel, edWidth, edHeight, edFrames};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void TDlgSelectComp::edWidthKeyPress(QObject* /*Sender*/, char& Key) {
  if (static_cast<signed char>(Key) < '0' || static_cast<signed char>(Key) > '9') Key = 0;
}

bool TDlgSelectComp::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == edWidth || watched == edHeight || watched == edFrames)) {
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (IsCharacterKey(*keyEvent)) {
      const char16_t c = keyEvent->text().at(0).unicode();
      char Key = c < 0x100 ? static_cast<char>(c) : '?';  // what the 8-bit code page makes of it
      edWidthKeyPress(watched, Key);
      if (Key == 0) return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TDlgSelectComp::showEvent(QShowEvent* event) {
  if (const QScreen* display = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(display->geometry().center());
    move(frame.topLeft());
  }
  QDialog::showEvent(event);
}
