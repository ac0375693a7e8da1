// The editor's main window: the owner of the slide show, the settings and the
// writing graph. Its components carry the names of the form; the handlers carry the
// names of the events they are bound to.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

#include "editor/Controls.h"
#include "editor/PictureListBox.h"
#include "platform/gdi/Bitmap.h"
#include "writer/VideoWriterForm.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QFrame;
class TDlgSelectCapture;
class TDlgSelectComp;
class TDlgSelFormat;

class TForm1 : public QWidget, public VideoWriterForm {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);
  // FormDestroy; the settings are not saved here.
  ~TForm1() override;

  // ---- components of the form ----
  QTabWidget* PageControl = nullptr;
  QWidget* tsRecord = nullptr;
  QWidget* TabSheet1 = nullptr;
  QFrame* PanelMonitor = nullptr;
  TPaintBox* PaintBoxMonitor = nullptr;
  TPictureListBox* LBPictures = nullptr;
  QPushButton* BtnAddPic = nullptr;
  QPushButton* BtnDeletePic = nullptr;
  QPushButton* BtnOpen = nullptr;
  QPushButton* BtnSave = nullptr;
  QPushButton* BtnAVIProperties = nullptr;
  QPushButton* BtnSound = nullptr;
  QPushButton* BtnWriteVideo = nullptr;
  QPushButton* BtnTest = nullptr;
  QPushButton* BtnClose = nullptr;
  TRadioGroup* RBTransition = nullptr;
  QGroupBox* GBImageProps = nullptr;
  QLabel* Label14 = nullptr;
  QLineEdit* edDisplayTime = nullptr;
  TUpDown* UpDnDisplayTime = nullptr;
  QLabel* Label15 = nullptr;
  QLabel* Label16 = nullptr;
  TColorSwatch* edBkColor = nullptr;
  QPushButton* BtnBkColor = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QLabel* InfoIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* Label13 = nullptr;
  TClickLabel* Label5 = nullptr;
  TClickLabel* lbMail = nullptr;
  TClickLabel* lbHyperlink = nullptr;

  // ---- state of the editor ----
  bool Modified = false;
  // The 320 x 240 monitor and the two 96 x 64 film-strip frames of the list.
  std::unique_ptr<Bitmap> MonitorBitmap;
  std::unique_ptr<Bitmap> FrameBitmap;
  std::unique_ptr<Bitmap> FrameSelBitmap;
  // The colour of the ColorDialog, kept between two openings.
  TColor ColorDialogColor = 0;

  // True while a long operation (adding, recolouring, opening, writing) runs.
  bool Busy() const { return busyDepth_ > 0; }
  // Switches the page control, with both tabs and all their controls.
  void EnablePages(bool enable);

  // ---- handlers: program entry and main window ----
  void WMLoadSettings();
  void FormCloseQuery(bool& canClose);
  // SIGINT, SIGTERM or SIGHUP. During a write: the write stops as Escape stops it and
  // completes its file, then the window closes without the question. Otherwise: a
  // close as by the close box (the question when the show has changed), and the
  // program ends when the window closes; a further signal while the question is
  // open ends it at once.
  void TerminationSignal();
  void FormDestroy();
  void PaintBoxMonitorPaint(QPainter& canvas);
  void cmCloseClick();
  void lbHyperlinkClick();
  void lbMailClick();

  // ---- handlers: picture list ----
  void BtnAddPicClick();
  void BtnDeletePicClick();
  void LBPicturesKeyDown(int key);
  void LBPicturesClick();
  bool LBPicturesDragOver(QObject* source);
  void LBPicturesDragDrop(QObject* source, const QPoint& point);
  void LBPicturesDrawItem(QPainter& canvas, int index, const QRect& rect, bool selected);
  void CBAnimationClick();
  void edDisplayTimeChange();
  void BtnBkColorClick();
  void BtnSoundClick();

  // The script last opened or saved: a write must not replace it.
  std::string ScriptFileName;

  // ---- handlers: writing ----
  void BtnWriteVideoClick();

  // ---- handlers: scripts, AVI properties, stream format ----
  void BtnSaveClick();
  void BtnOpenClick();
  void BtnAVIPropertiesClick();
  void BtnTestClick();
  void Label5Click();
  void SelectStreamFormat();

  // Runs a handler; an exception that leaves it is shown in the application's
  // error box and the program goes on.
  template <class Handler>
  void Guarded(Handler&& handler);
  void ShowException(const std::string& text);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // ---- the writer's hooks ----
  void PictureStarted(int index, int count) override;
  void ShowTransitionFrame(const Bitmap& frame) override;
  void ShowHoldFrame(const Bitmap& frame) override;
  void FramePushed() override;
  void WaitingForGraph() override;
  void ShowWriteError(const std::string& text) override;
  void ShowGraphError(GraphStep step, const std::string& text) override;

  int SettingsTop() const override;
  void SetSettingsTop(int top) override;
  int SettingsLeft() const override;
  void SetSettingsLeft(int left) override;
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  TColor SettingsBkColor() const override;
  void SetSettingsBkColor(TColor color) override;
  int SettingsDisplayTime() const override;
  void SetSettingsDisplayTime(int seconds) override;
  int SettingsTransition() const override;
  void SetSettingsTransition(int kind) override;
  void SetSettingsCompressor(const std::string& text) override;

 private:
  friend class TBusyState;
  void CreateComponents();
  void CreateEditorTab();
  void CreateInfoTab();
  void AttachDisplayTimeChange();
  void AttachChangeHandlers();
  void DetachChangeHandlers();
  void UpdateListButtons();
  // Shows a frame stretched over the monitor's visible area until the next refresh.
  void ShowMonitorFrame(const Bitmap& frame);
  void InvalidateMonitor();

  QMetaObject::Connection displayTimeChange_;
  QMetaObject::Connection transitionClick_;
  QImage liveFrame_;
  int busyDepth_ = 0;
  // Set for the busy state of a write.
  bool writing_ = false;
  // A close that came while a long operation ran; it goes on once the operation ends.
  bool closePending_ = false;
  // A signal came during a write: the close after it asks nothing.
  bool closeWithoutQuestion_ = false;
  // True while the close question and what it leads to run.
  bool asking_ = false;
};

// Hourglass cursor and the page control off for its lifetime; undone also when
// the work ends by an exception. A close asked for meanwhile goes on afterwards.
class TBusyState {
 public:
  enum Kind { Other, Write };
  explicit TBusyState(TForm1& form, Kind kind = Other);
  ~TBusyState();
  TBusyState(const TBusyState&) = delete;
  TBusyState& operator=(const TBusyState&) = delete;

 private:
  TForm1& form_;
};

template <class Handler>
void TForm1::Guarded(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowException(e.what());
  }
}

// The four forms of the program, created at start-up and valid for its life.
extern TForm1* Form1;
extern TDlgSelectCapture* DlgSelectCapture;
extern TDlgSelectComp* DlgSelectComp;
extern TDlgSelFormat* DlgSelFormat;

// The program's icon, 32 x 32 with a transparent background.
QIcon VistrelIcon();

// The program entry after the application object exists: creates the four forms,
// shows the main window and runs the event loop until it closes.
int RunVistrel();
