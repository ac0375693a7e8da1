// "&Write to AVI": the show through the shared frame loop, with the monitor, the
// progress bar and Escape to stop after the current picture.
#include <QApplication>
#include <QProgressBar>
#include <QPushButton>

#include "BitmapImage.h"
#include "Main.h"
#include "PathParts.h"
#include "UserDialogs.h"
#include "platform/text/WideText.h"

void TForm1::BtnWriteVideoClick() {
  const std::optional<std::string> chosen = UserDialogs().SaveFile({.title = "Write AVI File",
                                                                    .filter = "Videofile (*.avi)|*.AVI",
                                                                    .fileName = "",
                                                                    .initialDir = AVIPath,
                                                                    .defaultExt = "AVI",
                                                                    .multiSelect = false});
  if (!chosen) return;
  const std::string name = FileNameWithExtension(*chosen, "AVI");
  AVIPath = FolderOf(name);

  TBusyState busy(*this, TBusyState::Write);
  QApplication::processEvents();
  ProgressBar->setMaximum(std::max(LBPictures->Count(), 1));
  TextToWideBuffer(name, OutputFileName);  // a name that does not fit leaves it empty

  std::vector<Slide> slides;
  for (int i = 0; i < LBPictures->Count(); ++i) {
    const TPictureItem& item = *LBPictures->Object(i);
    slides.push_back({item.FileName, item.BkColor, item.Transition, item.DisplayTime});
  }
  if (WriteVideo(slides, {ScriptFileName}) != WriteResult::NotStarted) {
    BtnTest->setEnabled(true);
    ProgressBar->setValue(0);
  }
}

void TForm1::PictureStarted(int index, int) {
  ProgressBar->setValue(index + 1);
  // A close that came before the first picture, while the flag was still cleared.
  if (closePending_) AbortRequested = 1;
}

void TForm1::ShowTransitionFrame(const Bitmap& frame) {
  StretchBlt(MonitorBitmap.get(), 0, 0, MonitorBitmap->width(), MonitorBitmap->height(), const_cast<Bitmap*>(&frame), 0,
             0, frame.width(), frame.height());
  ShowMonitorFrame(frame);
}

void TForm1::ShowHoldFrame(const Bitmap& frame) { ShowMonitorFrame(frame); }

// Keeps the window alive and lets Escape through.
void TForm1::FramePushed() { QApplication::processEvents(); }

// Paints and takes Escape while the last queued frames are written.
void TForm1::WaitingForGraph() { QApplication::processEvents(); }

void TForm1::ShowWriteError(const std::string& text) { ShowException(text); }

void TForm1::ShowGraphError(GraphStep, const std::string& text) { ShowException(text); }
