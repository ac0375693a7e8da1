// The main window: its form, the close question, the Close button, access keys,
// Escape and errors that leave a handler.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include "EditorFixture.h"
#include "editor/DlgSelectCompressor.h"

namespace {

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

constexpr const char* kQuestion = "Bestätigen: Script modified. Save changes ?";

}  // namespace

class MainWindowTest : public EditorTest {};

TEST_F(MainWindowTest, FormHasItsSizeTitleAndStartState) {
  StartEditor();
  EXPECT_EQ(form_->windowTitle(), "JPG Images to AVI Video");
  EXPECT_EQ(form_->size(), QSize(752, 494));
  EXPECT_EQ(form_->PageControl->currentWidget(), form_->tsRecord);
  EXPECT_EQ(form_->PaintBoxMonitor->size(), QSize(316, 236));
  EXPECT_FALSE(form_->BtnTest->isEnabled());
  // The film-strip frames: white window and holes on a black or blue border.
  EXPECT_EQ(PixelOf(*form_->FrameBitmap, 0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelOf(*form_->FrameSelBitmap, 0, 0), (Rgb{0, 0, 255}));
  EXPECT_EQ(PixelOf(*form_->FrameSelBitmap, 8, 2), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelOf(*form_->FrameSelBitmap, 3, 7), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelOf(*form_->FrameSelBitmap, 3, 11), (Rgb{0, 0, 255}));
  // A first start: defaults, window centred, nothing written yet.
  EXPECT_EQ(form_->Frames, 25);
  EXPECT_FALSE(form_->Modified);
  EXPECT_EQ(StoreText().find("\"Top\""), std::string::npos);
}

TEST_F(MainWindowTest, CloseAsksOnlyAfterChangesAndNoClosesWithoutSaving) {
  StartEditor();
  form_->close();
  EXPECT_FALSE(form_->isVisible());
  EXPECT_TRUE(dialogs_->confirmations.empty());

  StartEditor();
  AddPictures({Picture("a.bmp", {1, 2, 3})});
  form_->close();
  EXPECT_EQ(dialogs_->confirmations, std::vector<std::string>{kQuestion});
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(StoreText().find("\"Top\""), std::string::npos);
}

TEST_F(MainWindowTest, YesSavesTheScriptAndKeepsTheWindowOpenUntilTheNextClose) {
  StartEditor();
  AddPictures({Picture("a.bmp", {1, 2, 3})});
  QTest::mouseClick(form_->BtnDeletePic, Qt::LeftButton);
  ASSERT_FALSE(form_->BtnSave->isEnabled());
  dialogs_->confirmAnswers = {true, true};
  form_->close();
  EXPECT_TRUE(form_->isVisible());
  ASSERT_EQ(dialogs_->saveRequests.size(), 1u);
  EXPECT_EQ(dialogs_->saveRequests[0].title, "Save Script ");
  EXPECT_TRUE(form_->Modified);
  form_->close();
  EXPECT_EQ(dialogs_->confirmations.size(), 2u);
  EXPECT_TRUE(form_->isVisible());
}

TEST_F(MainWindowTest, CloseButtonSavesTheSettingsBeforeTheQuestion) {
  StartEditor();
  AddPictures({Picture("a.bmp", {1, 2, 3})});
  QTest::mouseClick(form_->BtnClose, Qt::LeftButton);
  EXPECT_EQ(dialogs_->confirmations.size(), 1u);
  EXPECT_FALSE(form_->isVisible());
  const std::string store = StoreText();
  for (const char* name : {"\"Compressor\"", "\"Top\"", "\"Frames\"", "\"BkColor\"", "\"DisplayTime\"",
                           "\"Transition\""}) {
    EXPECT_EQ(CountOf(store, name), 1) << name;
  }
  EXPECT_EQ(CountOf(store, "=dword:") + CountOf(store, "=\""), 17);
}

TEST_F(MainWindowTest, ASettingsSaveThatFailsIsShownAndTheWindowStays) {
  // A store whose folder is a plain file cannot be written.
  WriteBytes(dir_.file("plain"), {});
  UseStoreFile(dir_.file("plain") + "/registry.reg");
  StartEditor();
  QTest::mouseClick(form_->BtnClose, Qt::LeftButton);
  ASSERT_EQ(dialogs_->errors.size(), 1u);
  EXPECT_EQ(dialogs_->errors[0], "Vistrel: Fehler beim Setzen der Daten für 'Compressor'");
  EXPECT_TRUE(form_->isVisible());
}

TEST_F(MainWindowTest, AccessKeysClickTheirButtonsAndSharedLettersMoveTheFocus) {
  StartEditor();
  AddPictures({Picture("a.bmp", {1, 2, 3})});
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));

  struct Key {
    Qt::Key key;
    QPushButton* button;
  };
  for (const Key& k : {Key{Qt::Key_O, form_->BtnOpen}, Key{Qt::Key_S, form_->BtnSave},
                       Key{Qt::Key_A, form_->BtnAVIProperties}, Key{Qt::Key_W, form_->BtnWriteVideo}}) {
    QSignalSpy clicked(k.button, &QPushButton::clicked);
    if (k.button == form_->BtnAVIProperties) WhileShown(DlgSelectComp, [] { DlgSelectComp->reject(); });
    QTest::keyClick(form_.get(), k.key, Qt::AltModifier);
    EXPECT_TRUE(WaitUntil([&] { return clicked.count() == 1; })) << k.button->objectName().toStdString();
    form_->activateWindow();  // no window manager hands it back after the modal dialog
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }
  EXPECT_EQ(dialogs_->saveRequests.size(), 2u);  // the script and the AVI file

  form_->BtnTest->setEnabled(true);
  QSignalSpy testClicked(form_->BtnTest, &QPushButton::clicked);
  // Each press moves the focus to the other of the two.
  auto focusOnTransition = [&] {
    QTest::keyClick(form_.get(), Qt::Key_T, Qt::AltModifier);
    const bool onTransition = form_->RBTransition->isAncestorOf(QApplication::focusWidget());
    EXPECT_TRUE(onTransition || QApplication::focusWidget() == form_->BtnTest);
    return onTransition;
  };
  const bool first = focusOnTransition();
  EXPECT_NE(focusOnTransition(), first);
  EXPECT_EQ(focusOnTransition(), first);
  EXPECT_EQ(testClicked.count(), 0);

  QTest::keyClick(form_.get(), Qt::Key_C, Qt::AltModifier);
  EXPECT_TRUE(WaitUntil([&] { return !form_->isVisible(); }));
}

TEST_F(MainWindowTest, EscapeOnTheWindowRequestsAnAbortOnce) {
  StartEditor();
  QTest::keyClick(form_->LBPictures, Qt::Key_Escape);
  EXPECT_EQ(form_->AbortRequested, 1);
}
