// The main window: the film-strip bitmaps, the close question, the Close button,
// access keys and errors that leave a handler.
#include <QAbstractFileIconProvider>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <tuple>

#include "EditorFixture.h"
#include "editor/DlgSelectCompressor.h"

namespace {

constexpr const char* kQuestion = "Bestätigen: Script modified. Save changes ?";

int ValuesIn(const std::string& store) {
  int count = 0;
  for (size_t at = store.find("\n\""); at != std::string::npos; at = store.find("\n\"", at + 1)) ++count;
  return count;
}

}  // namespace

class MainWindowTest : public EditorTest {};

TEST_F(MainWindowTest, FilmStripFramesAreBlackOrBlueAroundWhiteWindowAndHoles) {
  StartEditor();
  for (const auto& [frame, border] :
       {std::pair{form_->FrameBitmap.get(), Rgb{0, 0, 0}}, std::pair{form_->FrameSelBitmap.get(), Rgb{0, 0, 255}}}) {
    EXPECT_EQ(PixelOf(*frame, 7, 30), border);
    EXPECT_EQ(PixelOf(*frame, 8, 2), (Rgb{255, 255, 255}));
    EXPECT_EQ(PixelOf(*frame, 91, 1), (Rgb{255, 255, 255}));  // half hole
    EXPECT_EQ(PixelOf(*frame, 3, 57), (Rgb{255, 255, 255}));  // last hole
    EXPECT_EQ(PixelOf(*frame, 3, 58), border);
  }
}

TEST_F(MainWindowTest, CloseAsksOnlyAfterChangesAndOnlyTheCloseButtonSavesSettings) {
  StartEditor();
  form_->close();
  EXPECT_FALSE(form_->isVisible());
  EXPECT_TRUE(dialogs_->confirmations.empty());
  EXPECT_EQ(ValuesIn(StoreText()), 0);

  // "No" closes; the seventeen settings were saved before the question.
  StartEditor();
  AddPictures({Picture("a.bmp", {1, 2, 3})});
  QTest::mouseClick(form_->BtnClose, Qt::LeftButton);
  EXPECT_EQ(dialogs_->confirmations, std::vector<std::string>{kQuestion});
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(ValuesIn(StoreText()), 17);
}

TEST_F(MainWindowTest, YesRunsTheScriptSaveAndAsksAgainAfterACancelledSave) {
  StartEditor();
  AddPictures({Picture("a.bmp", {1, 2, 3})});
  QTest::mouseClick(form_->BtnDeletePic, Qt::LeftButton);
  dialogs_->confirmAnswers = {true, true};
  // Close requests while the question and the save dialog are open, as a window
  // manager's close box sends them and through close(), change nothing.
  dialogs_->whileOpen = [&] {
    QCloseEvent request;
    QApplication::sendEvent(form_->windowHandle(), &request);
    form_->close();
  };
  form_->close();
  EXPECT_TRUE(form_->isVisible());
  ASSERT_EQ(dialogs_->saveRequests.size(), 1u);
  EXPECT_EQ(dialogs_->saveRequests[0].title, "Save Script ");
  form_->close();
  EXPECT_EQ(dialogs_->confirmations.size(), 2u);
  EXPECT_TRUE(form_->isVisible());
}

TEST_F(MainWindowTest, ASettingsSaveThatFailsIsShownAndTheWindowStays) {
  // A store whose folder is a plain file cannot be written.
  WriteBytes(dir_.file("plain"), {});
  UseStoreFile(dir_.file("plain") + "/registry.reg");
  StartEditor();
  QTest::mouseClick(form_->BtnClose, Qt::LeftButton);
  ASSERT_EQ(dialogs_->errors.size(), 1u);
  EXPECT_EQ(FirstLine(dialogs_->errors[0]), "Vistrel: Fehler beim Setzen der Daten für 'Compressor'");
  EXPECT_TRUE(form_->isVisible());
}

TEST_F(MainWindowTest, AccessKeysClickTheirButtonsAndSharedLettersMoveTheFocus) {
  StartEditor();
  AddPictures({Picture("a.bmp", {1, 2, 3})});
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));

  for (const auto& [key, button] :
       {std::pair{Qt::Key_O, form_->BtnOpen}, std::pair{Qt::Key_S, form_->BtnSave},
        std::pair{Qt::Key_A, form_->BtnAVIProperties}, std::pair{Qt::Key_W, form_->BtnWriteVideo}}) {
    QSignalSpy clicked(button, &QPushButton::clicked);
    if (button == form_->BtnAVIProperties) WhileShown(DlgSelectComp, [] { DlgSelectComp->reject(); });
    QTest::keyClick(form_.get(), key, Qt::AltModifier);
    EXPECT_TRUE(WaitUntil([&] { return clicked.count() == 1; })) << button->objectName().toStdString();
    form_->activateWindow();  // no window manager hands it back after the modal dialog
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }

  // "&Transition:" and "&Test AVI": each press moves the focus to the other, nothing is clicked.
  form_->BtnTest->setEnabled(true);
  QSignalSpy testClicked(form_->BtnTest, &QPushButton::clicked);
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

TEST_F(MainWindowTest, QtsFileDialogsTypeFilesByNameAndItsQuestionEndsOnlyByItsButtons) {
  StartEditor();
  const std::unique_ptr<TUserDialogs> qt = QtDialogs();
  // A picture's bytes under a name without extension: the type comes from the name
  // alone, as reading a FIFO or a file in /proc to learn its type would never return.
  const QFileInfo unnamed(QString::fromStdString(Picture("picture", {1, 2, 3})));
  // Each dialog is the modal widget once its event loop runs.
  QTimer::singleShot(0, [&] {
    auto* dialog = static_cast<QFileDialog*>(QApplication::activeModalWidget());
    EXPECT_EQ(dialog->iconProvider()->type(unnamed).toStdString(),
              QMimeDatabase().mimeTypeForName("application/octet-stream").comment().toStdString());
    dialog->reject();
  });
  EXPECT_TRUE(qt->OpenFiles({"Add Image", "Images (*.jpg)|*.JPG", "", dir_.path(), "JPG", false}).empty());

  QTimer::singleShot(0, [] {
    auto* box = static_cast<QMessageBox*>(QApplication::activeModalWidget());
    QTest::keyClick(box, Qt::Key_Escape);
    box->close();
    EXPECT_TRUE(box->isVisible());
    box->buttons().at(0)->click();  // "&Ja"
  });
  EXPECT_EQ(qt->Confirm("Bestätigen", "Script modified. Save changes ?"), true);
  // Ended by the program, not by a button: no answer, so not "&Nein" either.
  QTimer::singleShot(0, [] { static_cast<QDialog*>(QApplication::activeModalWidget())->done(QDialog::Rejected); });
  EXPECT_EQ(qt->Confirm("Bestätigen", "Script modified. Save changes ?"), std::nullopt);
}

TEST_F(MainWindowTest, QtsOpenDialogMeansTheFileANameTypedWithoutItsExtensionNames) {
  StartEditor();
  const std::string picture = Picture("pic.jpg", {1, 2, 3}), sound = Picture("snd.wav", {1, 2, 3});
  for (const auto& [typed, extension, multiSelect, meant] :
       {std::tuple{"pic", "JPG", true, picture}, std::tuple{"snd", "WAV", false, sound}}) {
    QTimer::singleShot(0, [&] {
      auto* dialog = static_cast<QFileDialog*>(QApplication::activeModalWidget());
      // Qt's "File not found" box would wait for an answer: it is answered and noted.
      QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          ADD_FAILURE() << box->text().toStdString();
          box->reject();
        }
      });
      dialog->selectFile(typed);
      static_cast<QDialog*>(dialog)->accept();  // as Return in its name field
      if (dialog->isVisible()) dialog->reject();
    });
    EXPECT_EQ(QtDialogs()->OpenFiles({"Add", "Files (*.*)|*.*", "", dir_.path(), extension, multiSelect}),
              std::vector<std::string>{meant});
  }
}
