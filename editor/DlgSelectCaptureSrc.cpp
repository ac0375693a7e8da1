#include "DlgSelectCaptureSrc.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

TDlgSelectCapture::TDlgSelectCapture(QWidget* parent) : QDialog(parent) {
  setObjectName("DlgSelectCapture");
  setWindowTitle("Videoquelle auswählen:");
  setFixedSize(405, 200);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }

  ListBox = new QListWidget(this);
  ListBox->setObjectName("ListBox");
  ListBox->setGeometry(8, 8, 293, 182);

  BtnOK = new QPushButton("OK", this);
  BtnOK->setObjectName("BtnOK");
  BtnOK->setGeometry(310, 9, 90, 24);
  BtnOK->setDefault(true);
  connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);

  BtnCancel = new QPushButton("Abbrechen", this);
  BtnCancel->setObjectName("BtnCancel");
  BtnCancel->setGeometry(310, 41, 90, 24);
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}
