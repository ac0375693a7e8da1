#include "DlgSelectFormat.h"

TDlgSelFormat::TDlgSelFormat(QWidget* parent) : QDialog(parent) {
  setObjectName("DlgSelFormat");
  setWindowTitle("Format");
}
