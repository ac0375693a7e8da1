#include "DlgSelectCompressor.h"

TDlgSelectComp::TDlgSelectComp(QWidget* parent) : QDialog(parent) {
  setObjectName("DlgSelectComp");
  setWindowTitle("AVI File Properties:");
}
