// The picture list: adding, deleting, reordering, drawing the thumbnails, and the
// property controls that show and edit the selected entries.
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "BitmapImage.h"
#include "Main.h"
#include "PathParts.h"
#include "UserDialogs.h"
#include "platform/text/CompareText.h"
#include "platform/text/WideText.h"

namespace {

void SetEditColor(QLineEdit* edit, QPalette::ColorRole role) {
  QPalette pal = edit->palette();
  pal.setColor(QPalette::Base, QApplication::palette().color(role));
  edit->setPalette(pal);
}

}  // namespace

void TForm1::UpdateListButtons() {
  const bool any = LBPictures->Count() > 0;
  BtnDeletePic->setEnabled(any);
  BtnSave->setEnabled(any);
  BtnWriteVideo->setEnabled(any);
}

void TForm1::AttachDisplayTimeChange() {
  displayTimeChange_ =
      connect(edDisplayTime, &QLineEdit::textChanged, this, [this] { Guarded([this] { edDisplayTimeChange(); }); });
}

void TForm1::AttachChangeHandlers() {
  DetachChangeHandlers();
  AttachDisplayTimeChange();
  transitionClick_ =
      connect(RBTransition, &TRadioGroup::clicked, this, [this] { Guarded([this] { CBAnimationClick(); }); });
}

void TForm1::DetachChangeHandlers() {
  disconnect(displayTimeChange_);
  disconnect(transitionClick_);
}

void TForm1::BtnAddPicClick() {
  std::vector<std::string> names = UserDialogs().OpenFiles({.title = "Add Image",
                                                            .filter = "Images (*.jpg;*.bmp)|*.JPG;*.BMP",
                                                            .fileName = "",
                                                            .initialDir = JPGPath,
                                                            .defaultExt = "JPG",
                                                            .multiSelect = true});
  if (!names.empty()) {
    TBusyState busy(*this);
    TListUpdate update(*LBPictures);

    JPGPath = FolderOf(names.front());
    Modified = true;
    int insertAt = LBPictures->Count();
    for (int i = 0; i < LBPictures->Count(); ++i) {
      if (LBPictures->Selected(i)) {
        insertAt = i;
        break;
      }
    }
    LBPictures->clearSelection();
    // The first new entry becomes the focus entry, so that the monitor shows it.
    const int firstNew = insertAt;
    SortIgnoringCase(names);
    for (const std::string& name : names) {
      QApplication::processEvents();
      auto item = std::make_unique<TPictureItem>(name, edBkColor->Color());
      item->DisplayTime = UpDnDisplayTime->Position();
      item->Transition = RBTransition->ItemIndex();
      LBPictures->InsertEntry(insertAt, name, std::move(item));
      LBPictures->SetSelected(insertAt, true);
      ++insertAt;
    }
    LBPictures->SetItemIndex(firstNew);
  }
  if (!names.empty()) LBPicturesClick();
  UpdateListButtons();
}

void TForm1::BtnDeletePicClick() {
  int lowest = -1;
  for (int i = LBPictures->Count() - 1; i >= 0; --i) {
    if (!LBPictures->Selected(i)) continue;
    Modified = true;
    LBPictures->DeleteEntry(i);
    lowest = i;
  }
  UpdateListButtons();
  BtnAddPic->setEnabled(true);
  if (lowest >= 0 && lowest < LBPictures->Count()) {
    LBPictures->clearSelection();
    LBPictures->SetItemIndex(lowest);
    LBPictures->SetSelected(lowest, true);
    LBPicturesClick();
  } else if (lowest >= 0) {
    LBPictures->clearSelection();
  }
}

void TForm1::LBPicturesKeyDown(int key) {
  if (key == Qt::Key_Delete) BtnDeletePicClick();
}

void TForm1::LBPicturesClick() {
  DetachChangeHandlers();
  SetEditColor(edDisplayTime, QPalette::Base);
  int selected = 0;
  for (int i = 0; i < LBPictures->Count(); ++i) {
    if (!LBPictures->Selected(i)) continue;
    const TPictureItem& item = *LBPictures->Object(i);
    UpDnDisplayTime->SetPosition(item.DisplayTime);
    edDisplayTime->setText(QString::number(item.DisplayTime));
    edBkColor->clear();
    edBkColor->SetColor(item.BkColor);
    RBTransition->SetItemIndex(item.Transition);
    ++selected;
  }
  if (selected > 1) {
    FillRect(MonitorBitmap.get(), {0, 0, MonitorBitmap->width(), MonitorBitmap->height()}, MakeColor(128, 128, 128));
    SetEditColor(edDisplayTime, QPalette::Button);
    edDisplayTime->setText("N/A");
    edBkColor->ShowButtonFace();
    edBkColor->setText("N/A");
  } else if (selected == 1 && LBPictures->ItemIndex() >= 0) {
    BitBlt(MonitorBitmap.get(), 0, 0, LBPictures->Object(LBPictures->ItemIndex())->Preview.get());
  }
  InvalidateMonitor();
  BtnAddPic->setEnabled(selected <= 1);
  AttachChangeHandlers();
}

bool TForm1::LBPicturesDragOver(QObject* source) { return source == LBPictures; }

void TForm1::LBPicturesDragDrop(QObject*, const QPoint& point) {
  const int target = LBPictures->ItemAtPos(point);
  const int focus = LBPictures->ItemIndex();
  if (target < 0 || focus < 0) return;
  LBPictures->MoveEntry(focus, target);
}

void TForm1::LBPicturesDrawItem(QPainter& canvas, int index, const QRect& rect, bool selected) {
  Bitmap thumbnail(96, 64);
  BitBlt(&thumbnail, 0, 0, selected ? FrameSelBitmap.get() : FrameBitmap.get());
  Bitmap* preview = LBPictures->Object(index)->Preview.get();
  StretchBlt(&thumbnail, 8, 2, 80, 60, preview, 0, 0, preview->width(), preview->height());
  canvas.fillRect(rect, LBPictures->palette().color(selected ? QPalette::Highlight : QPalette::Base));
  canvas.drawImage(rect.topLeft(), ImageFromBitmap(thumbnail));
}

void TForm1::CBAnimationClick() {
  for (int i = 0; i < LBPictures->Count(); ++i) {
    if (LBPictures->Selected(i)) LBPictures->Object(i)->Transition = RBTransition->ItemIndex();
  }
  Modified = true;
}

void TForm1::edDisplayTimeChange() {
  Modified = true;
  for (int i = 0; i < LBPictures->Count(); ++i) {
    if (LBPictures->Selected(i)) LBPictures->Object(i)->DisplayTime = UpDnDisplayTime->Position();
  }
}

void TForm1::BtnBkColorClick() {
  for (int i = LBPictures->Count() - 1; i >= 0; --i) {
    if (LBPictures->Selected(i)) {
      ColorDialogColor = LBPictures->Object(i)->BkColor;
      break;
    }
  }
  const std::optional<TColor> chosen = UserDialogs().ChooseColor(ColorDialogColor);
  if (!chosen) return;
  ColorDialogColor = *chosen;

  TBusyState busy(*this);
  ProgressBar->setMaximum(std::max(LBPictures->SelCount(), 1));
  ProgressBar->setValue(0);
  const QString text = edBkColor->text();
  edBkColor->SetColor(*chosen);
  edBkColor->setText(text);
  TPictureItem* last = nullptr;
  for (int i = 0; i < LBPictures->Count(); ++i) {
    if (!LBPictures->Selected(i)) continue;
    ProgressBar->setValue(ProgressBar->value() + 1);
    QApplication::processEvents();
    TPictureItem& item = *LBPictures->Object(i);
    item.BkColor = *chosen;
    item.DrawPicture(item.Preview.get(), {0, 0, item.Preview->width(), item.Preview->height()});
    last = &item;
  }
  if (last) {
    Modified = true;
    BitBlt(MonitorBitmap.get(), 0, 0, last->Preview.get());
    InvalidateMonitor();
  }
  ProgressBar->setValue(0);
  LBPictures->viewport()->update();
}

void TForm1::BtnSoundClick() {
  const std::vector<std::string> names = UserDialogs().OpenFiles({.title = "Add Soundfile",
                                                                  .filter = "Sound file (*.wav)|*.WAV",
                                                                  .fileName = "",
                                                                  .initialDir = SoundPath,
                                                                  .defaultExt = "WAV",
                                                                  .multiSelect = false});
  if (names.empty()) return;
  SoundPath = FolderOf(names.front());
  TextToWideBuffer(names.front(), SoundFileName);  // a path that does not fit leaves it empty
}
