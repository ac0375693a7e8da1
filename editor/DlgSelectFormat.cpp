#include "editor/DlgSelectFormat.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

#include "editor/Placement.h"


TDlgSelFormat::TDlgSelFormat(QWidget* parent) : QDialog(parent) {
  setObjectName("DlgSelFormat");
  setWindowTitle("Format");
  setFixedSize(461, 251);
  move(282, 247);

  ListBox = Place(new QListWidget(this), "ListBox", 8, 8, 353, 233);
  BtnOK = Place(new QPushButton("OK", this), "BtnOK", 369, 9, 85, 24);
  BtnCancel = Place(new QPushButton("Abbruch", this), "BtnCancel", 369, 41, 85, 24);
  for (QPushButton* button : {BtnOK, BtnCancel}) button->setAutoDefault(false);
  connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TDlgSelFormat::keyPressEvent(QKeyEvent* event) {
  // Without a cancel button Escape does nothing; the close box still cancels.
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}
