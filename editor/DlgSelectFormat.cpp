#include "editor/DlgSelectFormat.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

TDlgSelFormat* DlgSelFormat = nullptr;

TDlgSelFormat::TDlgSelFormat(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("DlgSelFormat");
  setWindowTitle("Format");
  setFixedSize(461, 251);
  move(282, 247);

  ListBox = new QListWidget(this);
  ListBox->setGeometry(8, 8, 353, 233);
  BtnOK = new QPushButton("OK", this);
  BtnOK->setGeometry(369, 9, 85, 24);
  BtnCancel = new QPushButton("Abbruch", this);
  BtnCancel->setGeometry(369, 41, 85, 24);
  for (QPushButton* button : {BtnOK, BtnCancel}) button->setAutoDefault(false);
  connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TDlgSelFormat::keyPressEvent(QKeyEvent* event) {
  // Without a cancel button Escape does nothing; the close box still cancels.
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}
