#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "EditorFixture.h"
#include "editor/DlgSelectCompressor.h"
#include "editor/DlgSelectFormat.h"
#include "platform/text/WideText.h"
#include "support/Ffprobe.h"
#include "writer/CompressorQuality.h"

namespace {

class AviProperties : public EditorTest {
 protected:
  TDlgSelectComp& dialog() { return *DlgSelectComp; }
  // What the dialog shows and what the form holds, one line each.
  std::string Shown() {
    return (dialog().ListBox->item(0)->text() + " | " + dialog().ListBox->currentItem()->text() + " | " +
            QString::number(dialog().TBCompQuality->value()) + " | " + dialog().edWidth->text() + "x" +
            dialog().edHeight->text() + "@" + dialog().edFrames->text())
        .toStdString();
  }
  std::string Held() const {
    return WideBufferToText(form_->CompressorName) + " " + std::to_string(QualityPercent(form_->Quality)) + " " +
           std::to_string(form_->FormatX) + "x" + std::to_string(form_->FormatY) + "@" + std::to_string(form_->Frames);
  }
  // The store's line of a value, as the settings file holds it.
  bool Stored(const std::string& line) const { return StoreText().find(line + "\n") != std::string::npos; }
};

// Records what the desktop is asked to open.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  UrlRecorder() { QDesktopServices::setUrlHandler("file", this, "Open"); }
  ~UrlRecorder() override { QDesktopServices::unsetUrlHandler("file"); }
  std::vector<QUrl> opened;
 public slots:
  void Open(const QUrl& url) { opened.push_back(url); }
};

TEST_F(AviProperties, ShowsTheValuesWithinItsRangesTakesOnlyDigitsAndOkStoresWhatItShows) {
  StartEditor();
  form_->FormatX = 70000;  // 4464 as a 16-bit position, held at 4000
  form_->FormatY = 0;
  form_->Frames = 60;
  form_->Quality = 0.70;
  TextToWideBuffer("mjpeg COMPRESSOR", form_->CompressorName);
  form_->Modified = true;
  WhileShown(&dialog(), [&] {
    EXPECT_EQ(Shown(), "None (for postprocessing) | MJPEG Compressor | 70 | 4000x60@30");
    QLineEdit* width = dialog().edWidth;
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, "6a4 -0.");
    QTest::sendKeyEvent(QTest::Press, width, Qt::Key_Eacute, QString::fromUtf8("\xC3\xA9"), Qt::NoModifier);
    QTest::keyClick(width, Qt::Key_Backspace);
    QTest::keyClick(width, Qt::Key_V, Qt::ControlModifier);  // the control character 22
    EXPECT_EQ(width->text(), "640");
    QTest::keyClick(width, Qt::Key_Up);  // steps from what the edit holds
    width->setText("12345");             // out of range: the up-down keeps 641
    dialog().edHeight->selectAll();
    QTest::keyClick(dialog().edHeight, Qt::Key_Delete);  // empty: the up-down keeps 60
    dialog().edFrames->selectAll();
    QTest::keyClicks(dialog().edFrames, "10");
    QTest::keyClick(dialog().ListBox, Qt::Key_Return);  // Enter is OK
  });
  form_->BtnAVIPropertiesClick();
  EXPECT_EQ(Held(), "MJPEG Compressor 70 641x60@10");
  for (const char* line : {"\"Compressor\"=\"MJPEG Compressor\"", "\"FormatX\"=dword:00000281",
                           "\"FormatY\"=dword:0000003c", "\"Frames\"=dword:0000000a"})
    EXPECT_TRUE(Stored(line)) << line << " in\n" << StoreText();
  EXPECT_TRUE(form_->Modified);

  // Cancel, Escape and the close box change nothing; the next opening starts afresh.
  form_->FormatX = 5000;
  TextToWideBuffer("no such codec", form_->CompressorName);
  for (const auto& close : std::vector<std::function<void()>>{[&] { dialog().BtnCancel->click(); },
                                                              [&] { QTest::keyClick(&dialog(), Qt::Key_Escape); },
                                                              [&] { dialog().close(); }}) {
    WhileShown(&dialog(), [&] {
      EXPECT_EQ(Shown(), "None (for postprocessing) | None (for postprocessing) | 70 | 4000x60@10");
      dialog().edWidth->setText("640");
      close();
    });
    form_->BtnAVIPropertiesClick();
    EXPECT_EQ(Held(), "no such codec 70 5000x60@10");
  }
  EXPECT_TRUE(Stored("\"FormatX\"=dword:00000281"));
}

TEST_F(AviProperties, TheChosenCompressorSizeAndRateWriteTheAviThatTestAviOpens) {
  StartEditor();
  UrlRecorder desktop;
  form_->BtnTestClick();  // nothing written yet
  AddPictures({Picture("p.bmp", {200, 90, 30})});
  WhileShown(&dialog(), [&] {
    dialog().ListBox->setCurrentItem(dialog().ListBox->findItems("MJPEG Compressor", Qt::MatchExactly).value(0));
    dialog().UpDnWidth->SetPosition(640);
    dialog().UpDnHeight->SetPosition(480);
    dialog().UpDnFrames->SetPosition(10);
    dialog().BtnOK->click();
  });
  form_->BtnAVIPropertiesClick();
  EXPECT_TRUE(Stored("\"Compressor\"=\"MJPEG Compressor\"")) << StoreText();
  const std::string avi = dir_.file("show");
  dialogs_->saveAnswers.push_back(avi);
  form_->BtnWriteVideoClick();
  EXPECT_TRUE(dialogs_->errors.empty()) << dialogs_->errors.front();
  const auto streams = ProbeStreams(avi + ".AVI");
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("codec_name") + " " + streams[0].at("width") + "x" + streams[0].at("height") + " " +
                streams[0].at("r_frame_rate"),
            "mjpeg 640x480 10/1");

  form_->BtnTestClick();
  std::filesystem::remove(avi + ".AVI");
  form_->BtnTestClick();  // the file is gone
  EXPECT_EQ(desktop.opened, std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(avi + ".AVI"))});
}

TEST_F(AviProperties, TheStreamFormatDialogOpensEmptyOnlyButtonsAndTheCloseBoxCloseIt) {
  StartEditor();
  TDlgSelFormat& format = *DlgSelFormat;
  format.ListBox->addItem("left over");
  const std::string held = Held();
  for (const auto& close : std::vector<std::function<void()>>{[&] { format.BtnOK->click(); },
                                                              [&] { format.BtnCancel->click(); },
                                                              [&] { format.close(); }}) {
    WhileShown(&format, [&] {
      EXPECT_EQ(format.ListBox->count(), 0);
      EXPECT_EQ(format.pos(), QPoint(282, 247));
      format.ListBox->addItem("added meanwhile");
      format.ListBox->setFocus();
      for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(format.ListBox, key);
      format.BtnOK->setFocus();
      QTest::keyClick(format.BtnOK, Qt::Key_Return);
      EXPECT_TRUE(format.isVisible());
      close();
    });
    form_->Label5Click();
  }
  EXPECT_EQ(Held(), held);
}

}  // namespace

#include "AviPropertiesTest.moc"
