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
#include "platform/registry/Registry.h"
#include "platform/text/WideText.h"
#include "support/Ffprobe.h"
#include "support/PictureFiles.h"

namespace {

class AviProperties : public EditorTest {
 protected:
  TDlgSelectComp& dialog() { return *DlgSelectComp; }
  int32_t Stored(const char* name) {
    TRegistry reg;
    int32_t value = -1;
    EXPECT_TRUE(reg.OpenKey("\\Software\\Korvane\\Vistrel", false));
    EXPECT_EQ(reg.ReadInteger(name, value), RegRead::Ok) << name;
    return value;
  }
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

TEST_F(AviProperties, ShowsTheCurrentValuesWithinItsRangesAndOkTakesWhatItShows) {
  StartEditor();
  form_->FormatX = 70000;  // 4464 as a 16-bit position, held at 4000
  form_->FormatY = 0;
  form_->Frames = 60;
  form_->Quality = 0.70;
  TextToWideBuffer("mjpeg COMPRESSOR", form_->CompressorName);
  form_->Modified = true;
  WhileShown(&dialog(), [&] {
    EXPECT_EQ(dialog().ListBox->item(0)->text(), "None (for postprocessing)");
    EXPECT_EQ(dialog().ListBox->currentItem()->text(), "MJPEG Compressor");
    EXPECT_EQ(dialog().TBCompQuality->value(), 70);
    EXPECT_EQ(dialog().edWidth->text(), "4000");
    EXPECT_EQ(dialog().edHeight->text(), "60");
    EXPECT_EQ(dialog().edFrames->text(), "30");
    dialog().edWidth->setText("12345");  // out of range: the up-down keeps 4000
    dialog().edFrames->setText("");
    QTest::keyClick(dialog().edFrames, Qt::Key_1);
    QTest::keyClick(dialog().edFrames, Qt::Key_0);
    QTest::keyClick(dialog().ListBox, Qt::Key_Return);  // Enter is OK
  });
  form_->BtnAVIPropertiesClick();
  EXPECT_EQ(form_->FormatX, 4000);
  EXPECT_EQ(form_->FormatY, 60);
  EXPECT_EQ(form_->Frames, 10);
  EXPECT_DOUBLE_EQ(form_->Quality, 0.70);
  EXPECT_EQ(WideBufferToText(form_->CompressorName), "MJPEG Compressor");
  EXPECT_TRUE(form_->Modified);
  EXPECT_EQ(Stored("FormatX"), 4000);
  EXPECT_EQ(Stored("Frames"), 10);
  EXPECT_EQ(Stored("Compressor Quality"), 70);

  // Cancel, Escape and the close box change nothing; the next opening starts afresh.
  form_->FormatX = 5000;
  TextToWideBuffer("no such codec", form_->CompressorName);
  for (const auto& close : std::vector<std::function<void()>>{[&] { dialog().BtnCancel->click(); },
                                                              [&] { QTest::keyClick(&dialog(), Qt::Key_Escape); },
                                                              [&] { dialog().close(); }}) {
    WhileShown(&dialog(), [&] {
      EXPECT_EQ(dialog().ListBox->currentRow(), 0);
      EXPECT_EQ(dialog().edWidth->text(), "4000");
      dialog().edWidth->setText("640");
      close();
    });
    form_->BtnAVIPropertiesClick();
    EXPECT_EQ(form_->FormatX, 5000);
    EXPECT_EQ(WideBufferToText(form_->CompressorName), "no such codec");
  }
  EXPECT_EQ(Stored("FormatX"), 4000);
}

TEST_F(AviProperties, TheChosenCompressorSizeAndRateWriteTheAviThatTestAviOpens) {
  StartEditor();
  UrlRecorder desktop;
  form_->BtnTestClick();  // nothing written yet
  const std::string picture = dir_.file("p.bmp");
  WriteBmp24(picture, 64, 48, [](int x, int) { return Rgb{static_cast<uint8_t>(x * 4), 90, 30}; });
  AddPictures({picture});

  WhileShown(&dialog(), [&] {
    const auto found = dialog().ListBox->findItems("MJPEG Compressor", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    dialog().ListBox->setCurrentItem(found.front());
    dialog().UpDnWidth->SetPosition(640);
    dialog().UpDnHeight->SetPosition(480);
    dialog().UpDnFrames->SetPosition(10);
    dialog().BtnOK->click();
  });
  form_->BtnAVIPropertiesClick();
  const std::string avi = dir_.file("show");
  dialogs_->saveAnswers.push_back(avi);
  form_->BtnWriteVideoClick();
  EXPECT_TRUE(dialogs_->errors.empty()) << dialogs_->errors.front();

  const auto streams = ProbeStreams(avi + ".AVI");
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("codec_name"), "mjpeg");
  EXPECT_EQ(streams[0].at("width"), "640");
  EXPECT_EQ(streams[0].at("height"), "480");
  EXPECT_EQ(streams[0].at("r_frame_rate"), "10/1");
  TRegistry reg;
  std::string compressor;
  ASSERT_TRUE(reg.OpenKey("\\Software\\Korvane\\Vistrel", false));
  ASSERT_EQ(reg.ReadString("Compressor", compressor), RegRead::Ok);
  EXPECT_EQ(compressor, "MJPEG Compressor");

  form_->BtnTestClick();
  ASSERT_EQ(desktop.opened.size(), 1u);
  EXPECT_EQ(desktop.opened[0], QUrl::fromLocalFile(QString::fromStdString(avi + ".AVI")));
  std::filesystem::remove(avi + ".AVI");
  form_->BtnTestClick();  // the file is gone
  EXPECT_EQ(desktop.opened.size(), 1u);
}

TEST_F(AviProperties, TheStreamFormatDialogOpensEmptyEveryTimeAndChangesNothing) {
  StartEditor();
  TDlgSelFormat& formatDialog = *DlgSelFormat;
  formatDialog.ListBox->addItem("left over");
  const int width = form_->FormatX;
  for (QPushButton* button : {formatDialog.BtnOK, formatDialog.BtnCancel}) {
    WhileShown(&formatDialog, [&] {
      EXPECT_EQ(formatDialog.ListBox->count(), 0);
      EXPECT_EQ(formatDialog.pos(), QPoint(282, 247));
      formatDialog.ListBox->addItem("added meanwhile");
      button->click();
    });
    form_->Label5Click();
  }
  EXPECT_EQ(form_->FormatX, width);
}

}  // namespace

#include "AviPropertiesTest.moc"
