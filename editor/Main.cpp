// The main window's life: construction, the settings load once the event loop
// runs, the close question, teardown, the monitor and the settings hooks.
#include "Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QWindow>
#include <utility>

#include "BitmapImage.h"
#include "DlgSelectCaptureSrc.h"
#include "DlgSelectCompressor.h"
#include "DlgSelectFormat.h"
#include "TerminationSignals.h"
#include "UserDialogs.h"
#include "platform/com/ComRegistry.h"
#include "platform/dshow/SystemClasses.h"
#include "platform/imaging/ImageGlobals.h"
#include "platform/pusher/SamplePusher.h"
#include "writer/WriterProfiles.h"

TForm1* Form1 = nullptr;
TDlgSelectCapture* DlgSelectCapture = nullptr;
TDlgSelectComp* DlgSelectComp = nullptr;
TDlgSelFormat* DlgSelFormat = nullptr;

QIcon VistrelIcon() {
  // The icon's magenta is transparent.
  QPixmap icon = QPixmap::fromImage(QImage(":/vistrel-icon.bmp"));
  if (!icon.isNull()) icon.setMask(icon.createMaskFromColor(Qt::magenta));
  return icon;
}

namespace {

const QScreen* PrimaryScreen() { return QGuiApplication::primaryScreen(); }

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent), VideoWriterForm(EditorProfile) {
  setWindowIcon(VistrelIcon());
  CreateComponents();
  if (const QScreen* screen = PrimaryScreen()) {
    move((screen->geometry().width() - Profile().windowWidth) / 2,
         (screen->geometry().height() - Profile().windowHeight) / 2);
  }

  CoInitialize(nullptr);
  RegisterSystemClasses();
  RegisterSamplePusher();
  // Loads are asked for the screen's depth; every screen of 16 bits or more counts as 24.
  const int depth = PrimaryScreen() ? PrimaryScreen()->depth() : 24;
  ImageColorDepth = static_cast<uint16_t>(depth >= 16 ? 24 : depth);
  MonitorBitmap = std::make_unique<Bitmap>(320, 240);
  AbortRequested = 0;
  Modified = false;
  FrameBitmap = BitmapFromImage(QImage(":/BMPDIAFRAME.bmp"));
  FrameSelBitmap = BitmapFromImage(QImage(":/BMPDIAFRAMESEL.bmp"));

  // Escape counts wherever it reaches this window, before any control sees it.
  qApp->installEventFilter(this);
  QMetaObject::invokeMethod(this, &TForm1::WMLoadSettings, Qt::QueuedConnection);
}

TForm1::~TForm1() {
  qApp->removeEventFilter(this);
  FormDestroy();
}

void TForm1::FormDestroy() {
  ReleaseGraph();
  Registry.reset();
  MonitorBitmap.reset();
  FrameBitmap.reset();
  FrameSelBitmap.reset();
  LBPictures->ClearEntries();
  CoUninitialize();
}

void TForm1::WMLoadSettings() {
  LoadSettings();
  Modified = false;
}

void TForm1::EnablePages(bool enable) { PageControl->setEnabled(enable); }

void TForm1::FormCloseQuery(bool& canClose) {
  if (!Modified) return;
  const std::optional<bool> save = UserDialogs().Confirm("Bestätigen", "Script modified. Save changes ?");
  if (save == false) return;  // "&Nein": the window closes without saving
  // "&Ja" saves first; a question that ended without an answer (the program is ending) keeps the window.
  canClose = false;
  if (save.has_value()) BtnSaveClick();
}

void TForm1::closeEvent(QCloseEvent* event) {
  // A close while a long operation runs would destroy the window under it: it is
  // remembered until the operation ends, and a write stops as Escape stops it.
  if (Busy()) {
    closePending_ = true;
    AbortRequested = 1;
    event->ignore();
    return;
  }
  bool canClose = true;
  if (!closeWithoutQuestion_) {
    asking_ = true;
    Guarded([&] { FormCloseQuery(canClose); });
    asking_ = false;
  }
  if (canClose) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TForm1::TerminationSignal() {
  if (writing_) {
    closeWithoutQuestion_ = true;
    close();
    return;
  }
  // A signal while the close question (or the save it leads to) is open ends at once;
  // ending also ends the event loops of dialogs that are open.
  if (asking_ || close()) QApplication::exit(0);
}

void TForm1::cmCloseClick() {
  SaveSettings();
  close();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  // A close request while the close question or its save dialog is open changes nothing.
  // Qt would count it as the close already under way and destroy the window under them.
  if (event->type() == QEvent::Close && asking_ && watched == windowHandle()) {
    event->ignore();
    return true;
  }
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
      watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this && !AbortRequested) {
    AbortRequested = 1;
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::PaintBoxMonitorPaint(QPainter& canvas) {
  if (!liveFrame_.isNull()) {
    canvas.drawImage(0, 0, liveFrame_);
  } else if (MonitorBitmap) {
    canvas.drawImage(0, 0, ImageFromBitmap(*MonitorBitmap));
  }
}

void TForm1::InvalidateMonitor() {
  liveFrame_ = QImage();
  PaintBoxMonitor->update();
}

void TForm1::ShowMonitorFrame(const Bitmap& frame) {
  liveFrame_ = ImageFromBitmap(*StretchedCopy(frame, PaintBoxMonitor->width(), PaintBoxMonitor->height()));
  PaintBoxMonitor->update();
}

void TForm1::ShowException(const std::string& text) { UserDialogs().ShowError("Vistrel", text); }

// ---- settings hooks: the window's position and the three property controls ----

int TForm1::SettingsTop() const { return pos().y(); }
void TForm1::SetSettingsTop(int top) { move(pos().x(), top); }
int TForm1::SettingsLeft() const { return pos().x(); }
void TForm1::SetSettingsLeft(int left) { move(left, pos().y()); }
int TForm1::ScreenWidth() const { return PrimaryScreen() ? PrimaryScreen()->geometry().width() : 0; }
int TForm1::ScreenHeight() const { return PrimaryScreen() ? PrimaryScreen()->geometry().height() : 0; }
TColor TForm1::SettingsBkColor() const { return edBkColor->Color(); }
void TForm1::SetSettingsBkColor(TColor color) { edBkColor->SetColor(color); }
int TForm1::SettingsDisplayTime() const { return UpDnDisplayTime->Position(); }
void TForm1::SetSettingsDisplayTime(int seconds) { UpDnDisplayTime->SetPosition(seconds); }
int TForm1::SettingsTransition() const { return RBTransition->ItemIndex(); }
void TForm1::SetSettingsTransition(int kind) { RBTransition->SetItemIndex(kind); }
// The editor keeps the compressor only in CompressorName.
void TForm1::SetSettingsCompressor(const std::string&) {}

TBusyState::TBusyState(TForm1& form, Kind kind) : form_(form) {
  if (kind == Write) form_.writing_ = true;
  if (form_.busyDepth_++ == 0) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    form_.EnablePages(false);
  }
}

TBusyState::~TBusyState() {
  if (--form_.busyDepth_ == 0) {
    QApplication::restoreOverrideCursor();
    form_.EnablePages(true);
    form_.writing_ = false;
    // Closed once the handler that ran the operation has returned.
    if (std::exchange(form_.closePending_, false)) {
      QMetaObject::invokeMethod(&form_, [form = &form_] { form->close(); }, Qt::QueuedConnection);
    }
  }
}

int RunVistrel() {
  // Signals are handed to the window only by the event loop, when it exists.
  TTerminationSignals termination([] { Form1->TerminationSignal(); });
  Form1 = new TForm1;
  DlgSelectCapture = new TDlgSelectCapture(Form1);
  DlgSelectComp = new TDlgSelectComp(Form1);
  DlgSelFormat = new TDlgSelFormat(Form1);
  Form1->show();
  QApplication::exec();
  delete Form1;  // the dialogs go with it
  Form1 = nullptr;
  DlgSelectCapture = nullptr;
  DlgSelectComp = nullptr;
  DlgSelFormat = nullptr;
  return 0;
}
