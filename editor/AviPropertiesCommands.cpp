// The AVI properties dialog, the finished AVI opened by the desktop, and the
// stream-format dialog behind the Info tab's notice.
#include <QDesktopServices>
#include <QFileInfo>
#include <QListWidget>
#include <QSlider>
#include <QUrl>

#include "editor/Controls.h"
#include "editor/DlgSelectCompressor.h"
#include "editor/DlgSelectFormat.h"
#include "editor/Main.h"
#include "platform/dshow/Guids.h"
#include "platform/text/WideText.h"
#include "writer/CompressorQuality.h"

void TForm1::BtnAVIPropertiesClick() {
  TDlgSelectComp& dialog = *DlgSelectComp;
  std::vector<std::string> names;
  ListDeviceNames(&CLSID_VideoCompressorCategory, names);
  dialog.ListBox->clear();
  dialog.ListBox->addItem("None (for postprocessing)");
  for (const std::string& name : names) dialog.ListBox->addItem(QString::fromStdString(name));
  const QString current = QString::fromStdString(WideBufferToText(CompressorName));
  int selected = 0;
  while (selected < dialog.ListBox->count() &&
         dialog.ListBox->item(selected)->text().compare(current, Qt::CaseInsensitive) != 0)
    ++selected;
  dialog.ListBox->setCurrentRow(selected < dialog.ListBox->count() ? selected : 0);

  dialog.TBCompQuality->setValue(QualityPercent(Quality));  // held within 0..100 by the track bar
  dialog.UpDnWidth->SetPosition(FormatX);
  dialog.UpDnHeight->SetPosition(FormatY);
  dialog.UpDnFrames->SetPosition(Frames);
  if (dialog.exec() != QDialog::Accepted) return;

  ReleaseGraph();
  Quality = QualityFromPercent(dialog.TBCompQuality->value());
  FormatX = dialog.UpDnWidth->Position();
  FormatY = dialog.UpDnHeight->Position();
  Frames = dialog.UpDnFrames->Position();
  TextToWideBuffer(dialog.ListBox->currentItem()->text().toStdString(), CompressorName);
  SaveSettings();
}

void TForm1::BtnTestClick() {
  // Nothing, and no message, without a written file or a program for it.
  const QString name = QString::fromUtf16(OutputFileName);
  if (!name.isEmpty() && QFileInfo::exists(name)) QDesktopServices::openUrl(QUrl::fromLocalFile(name));
}

void TForm1::Label5Click() { SelectStreamFormat(); }

void TForm1::SelectStreamFormat() {
  // The capture formats could only come from a live writing graph, and none exists
  // while the Info tab can be used: the list stays empty and the answer changes nothing.
  DlgSelFormat->ListBox->clear();
  DlgSelFormat->exec();
}
