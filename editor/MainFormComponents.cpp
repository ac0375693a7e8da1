// The main window's form: every component with its name, place, caption and
// properties, and the binding of its events to the handlers.
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include "Main.h"
#include "Placement.h"

void TForm1::CreateComponents() {
  setObjectName("Form1");
  setWindowTitle("JPG Images to AVI Video");
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  QFont font("MS Sans Serif", 8);
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  setFixedSize(752, 494);

  PageControl = Place(new QTabWidget(this), "PageControl", 5, 5, 743, 484);
  tsRecord = new QWidget;
  tsRecord->setObjectName("tsRecord");
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName("TabSheet1");
  PageControl->addTab(tsRecord, "Editor");
  PageControl->addTab(TabSheet1, "Info");
  PageControl->setCurrentWidget(tsRecord);
  CreateEditorTab();
  CreateInfoTab();
}

void TForm1::CreateEditorTab() {
  QWidget* tab = tsRecord;
  PanelMonitor = Place(new QFrame(tab), "PanelMonitor", 307, 16, 320, 240);
  PanelMonitor->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  PanelMonitor->setLineWidth(2);
  PaintBoxMonitor = Place(new TPaintBox(PanelMonitor), "PaintBoxMonitor", 2, 2, 316, 236);
  connect(PaintBoxMonitor, &TPaintBox::painted, this, [this](QPainter& canvas) { PaintBoxMonitorPaint(canvas); });

  LBPictures = Place(new TPictureListBox(tab), "LBPictures", 6, 16, 291, 417);
  LBPictures->OnClick = [this] { Guarded([this] { LBPicturesClick(); }); };
  LBPictures->OnDrawItem = [this](QPainter& canvas, int index, const QRect& rect, bool selected) {
    LBPicturesDrawItem(canvas, index, rect, selected);
  };
  LBPictures->OnKeyDown = [this](int key) { Guarded([this, key] { LBPicturesKeyDown(key); }); };
  LBPictures->OnDragOver = [this](QObject* source) { return LBPicturesDragOver(source); };
  LBPictures->OnDragDrop = [this](QObject* source, const QPoint& point) {
    Guarded([&] { LBPicturesDragDrop(source, point); });
  };

  struct ButtonRow {
    QPushButton* TForm1::*member;
    const char* name;
    const char* caption;
    int top;
    bool enabled;
    void (TForm1::*handler)();
  };
  const ButtonRow buttons[] = {
      {&TForm1::BtnAddPic, "BtnAddPic", "Add Picture...", 14, true, &TForm1::BtnAddPicClick},
      {&TForm1::BtnDeletePic, "BtnDeletePic", "Delete Picture", 45, false, &TForm1::BtnDeletePicClick},
      {&TForm1::BtnOpen, "BtnOpen", "&Open Script...", 76, true, &TForm1::BtnOpenClick},
      {&TForm1::BtnSave, "BtnSave", "&Save Script...", 107, false, &TForm1::BtnSaveClick},
      {&TForm1::BtnAVIProperties, "BtnAVIProperties", "&AVI Properties...", 139, true, &TForm1::BtnAVIPropertiesClick},
      {&TForm1::BtnSound, "BtnSound", "Add Sound...", 169, true, &TForm1::BtnSoundClick},
      {&TForm1::BtnWriteVideo, "BtnWriteVideo", "&Write to AVI", 200, false, &TForm1::BtnWriteVideoClick},
      {&TForm1::BtnTest, "BtnTest", "&Test AVI", 231, false, &TForm1::BtnTestClick},
      {&TForm1::BtnClose, "BtnClose", "&Close", 264, true, &TForm1::cmCloseClick},
  };
  for (const ButtonRow& row : buttons) {
    QPushButton* button = Place(new QPushButton(row.caption, tab), row.name, 638, row.top, 90, 24);
    button->setEnabled(row.enabled);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this,
            [this, handler = row.handler] { Guarded([&] { (this->*handler)(); }); });
    this->*row.member = button;
  }

  RBTransition = new TRadioGroup(
      "&Transition:", {"None", "Fade In", "From Left", "From Top", "From Right", "From Bottom", "Square"}, tab);
  Place(RBTransition, "RBTransition", 308, 264, 154, 169);

  GBImageProps = Place(new QGroupBox("&Display:", tab), "GBImageProps", 473, 264, 154, 169);
  Label14 = PlaceLabel(new QLabel("Display Time:", GBImageProps), "Label14", 10, 24);
  edDisplayTime = Place(new QLineEdit("1", GBImageProps), "edDisplayTime", 10, 40, 67, 21);
  edDisplayTime->setReadOnly(true);
  UpDnDisplayTime = Place(new TUpDown(GBImageProps, edDisplayTime, 0, 1000, 1), "UpDnDisplayTime", 77, 40, 15, 21);
  Label15 = PlaceLabel(new QLabel("s", GBImageProps), "Label15", 98, 44);
  Label16 = PlaceLabel(new QLabel("Background color:", GBImageProps), "Label16", 10, 71);
  edBkColor = Place(new TColorSwatch(GBImageProps), "edBkColor", 10, 87, 67, 21);
  BtnBkColor = Place(new QPushButton("...", GBImageProps), "BtnBkColor", 78, 90, 17, 16);
  BtnBkColor->setAutoDefault(false);
  connect(BtnBkColor, &QPushButton::clicked, this, [this] { Guarded([this] { BtnBkColorClick(); }); });
  GBImageProps->setFocusProxy(edDisplayTime);

  ProgressBar = Place(new QProgressBar(tab), "ProgressBar", 0, 440, 735, 16);
  ProgressBar->setTextVisible(false);
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);

  // From the window's creation the display time applies to the selection; the
  // transition only once the list has been clicked.
  AttachDisplayTimeChange();
}
