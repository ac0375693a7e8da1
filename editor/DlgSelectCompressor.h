// TDlgSelectComp: the AVI properties dialog (compressor, quality, frame size and
// frame rate). BtnAVIPropertiesClick fills it from TForm1 at every opening and
// takes its values on OK.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class TUpDown;

class TDlgSelectComp : public QDialog {
  Q_OBJECT

 public:
  explicit TDlgSelectComp(QWidget* parent = nullptr);

  QListWidget* ListBox;
  QSlider* TBCompQuality;
  QPushButton* BtnOK;
  QPushButton* BtnCancel;
  QLineEdit* edWidth;
  QLineEdit* edHeight;
  TUpDown* UpDnWidth;
  TUpDown* UpDnHeight;
  QLineEdit* edFrames;
  TUpDown* UpDnFrames;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QLabel* Label7;
  QLabel* x;

  // The key filter of the three edits: only the ten digits reach them; any other
  // character, Backspace and every control character included, becomes the zero
  // character, which discards the key press.
  void edWidthKeyPress(QObject* Sender, char& Key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
};

