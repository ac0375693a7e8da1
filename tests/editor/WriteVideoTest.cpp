// "&Write to AVI" from the window: the file read back by ffprobe and ffmpeg.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "EditorFixture.h"
#include "editor/TerminationSignals.h"
#include "platform/text/WideText.h"
#include "support/Ffprobe.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kFrames = 5;

}  // namespace

class WriteVideoTest : public EditorTest {
 protected:
  // Uncompressed small frames, so that colours read back exactly.
  void UseSmallUncompressedFormat() {
    form_->FormatX = kWidth;
    form_->FormatY = kHeight;
    form_->Frames = kFrames;
    TextToWideBuffer("None (for postprocessing)", form_->CompressorName);
  }
};

TEST_F(WriteVideoTest, EscapeDuringPictureTwoOfFiveWritesExactlyPicturesOneAndTwo) {
  StartEditor();
  const Rgb colours[] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {200, 200, 0}, {0, 200, 200}};
  std::vector<std::string> paths;
  // Names that are no UTF-8: the write still reads their files.
  for (int i = 0; i < 5; ++i) paths.push_back(Picture("p\xff" + std::to_string(i) + ".bmp", colours[i]));
  // Picture 2 fades in: its transition frames belong to it too.
  form_->RBTransition->SetItemIndex(1);
  AddPictures(paths);
  form_->LBPictures->Object(0)->Transition = 0;
  UseSmallUncompressedFormat();

  // Escape arrives through the event loop while picture 2 is being written.
  QObject::connect(form_->ProgressBar, &QProgressBar::valueChanged, form_.get(), [&](int value) {
    if (value == 2) {
      QCoreApplication::postEvent(form_.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }
  });
  dialogs_->saveAnswers.push_back(dir_.file("show"));
  QTest::mouseClick(form_->BtnWriteVideo, Qt::LeftButton);

  EXPECT_TRUE(dialogs_->errors.empty()) << dialogs_->errors.front();
  EXPECT_EQ(form_->AVIPath, dir_.path().string() + "/");
  const std::string avi = dir_.file("show.AVI");
  const std::vector<DecodedFrame> frames = DecodeVideoFrames(avi, kWidth, kHeight);
  // Picture 1: held one second; picture 2: one second of fade, one second held.
  ASSERT_EQ(frames.size(), static_cast<size_t>(3 * kFrames));
  auto colourOf = [](const DecodedFrame& f) {
    const uint8_t* p = f.at(kWidth / 2, kHeight / 2);
    return Rgb{p[2], p[1], p[0]};
  };
  EXPECT_EQ(colourOf(frames[0]), colours[0]);
  EXPECT_NE(colourOf(frames[kFrames]), colours[1]);  // the fade starts from picture 1
  EXPECT_EQ(colourOf(frames[2 * kFrames]), colours[1]);
  EXPECT_EQ(colourOf(frames.back()), colours[1]);
  EXPECT_EQ(ProbeStreams(avi).at(0).at("nb_frames"), std::to_string(3 * kFrames));

  // The monitor shows the last frame, the fade left its frame in the monitor bitmap.
  EXPECT_EQ(MonitorPixel(150, 110), colours[1]);
  EXPECT_EQ(PixelOf(*form_->MonitorBitmap, 150, 110), colours[1]);
  EXPECT_TRUE(form_->BtnTest->isEnabled());
  EXPECT_EQ(form_->ProgressBar->value(), 0);
  EXPECT_TRUE(form_->PageControl->isEnabled());
  EXPECT_TRUE(form_->isVisible());
}

TEST_F(WriteVideoTest, AFailedBuildShowsBothMessagesAndLeavesTestAviDisabled) {
  StartEditor();
  AddPictures({Picture("a.bmp", {1, 2, 3})});
  UseSmallUncompressedFormat();
  dialogs_->saveAnswers.push_back(dir_.file("no-such-folder/clip.avi"));
  QTest::mouseClick(form_->BtnWriteVideo, Qt::LeftButton);
  // The messages may go on with the reason on further lines.
  ASSERT_EQ(dialogs_->errors.size(), 2u);
  EXPECT_EQ(FirstLine(dialogs_->errors[0]), "Vistrel: Error 0x80070003 rendering the graph");
  EXPECT_EQ(FirstLine(dialogs_->errors[1]), "Vistrel: Error 0x80070003 writing AVI. DirectX installed ?");
  EXPECT_FALSE(form_->BtnTest->isEnabled());
  EXPECT_EQ(form_->AVIPath, dir_.file("no-such-folder/"));
  EXPECT_TRUE(form_->PageControl->isEnabled());
}

TEST_F(WriteVideoTest, AWriteOverAFileTheShowReadsOrOverADeviceIsRefusedAndWritesNothing) {
  StartEditor();
  const std::string picture = Picture("a.bmp", {1, 2, 3}), sound = dir_.file("tune.wav"), device = dir_.file("d.avi");
  AddPictures({picture});
  std::ofstream(sound) << "a sound";
  TextToWideBuffer(sound, form_->SoundFileName);
  dialogs_->saveAnswers.push_back(dir_.file("show.ini"));
  QTest::mouseClick(form_->BtnSave, Qt::LeftButton);
  form_->SaveSettings();
  std::filesystem::create_symlink("/dev/null", device);
  const std::string store = form_->Registry->FileName().string();
  for (const std::string& output : {picture, sound, dir_.file("show.ini"), store, device}) {
    const std::string before = FileContents(output);
    dialogs_->errors.clear();
    dialogs_->saveAnswers.push_back(output);
    QTest::mouseClick(form_->BtnWriteVideo, Qt::LeftButton);
    const std::string why = output == device ? " is not a regular file." : " is " + output + ", which this run reads.";
    EXPECT_EQ(dialogs_->errors, std::vector<std::string>{"Vistrel: Cannot write AVI: " + output + why +
                                                          " Nothing was written."});
    EXPECT_TRUE(FileContents(output) == before) << output;
  }
}

TEST_F(WriteVideoTest, ASignalOrACloseDuringLongWorkTakesEffectOnceItEnds) {
  StartEditor();
  TTerminationSignals termination([this] { form_->TerminationSignal(); });
  const std::vector<std::string> paths(3, Picture("a.bmp", {1, 2, 3}));
  form_->RBTransition->SetItemIndex(0);
  AddPictures(paths);
  UseSmallUncompressedFormat();
  // During a write: it stops after the picture, its file is whole, and the changed
  // show is not asked about.
  QObject::connect(form_->ProgressBar, &QProgressBar::valueChanged, form_.get(), [](int value) {
    if (value == 2) std::raise(SIGTERM);
  });
  dialogs_->saveAnswers.push_back(dir_.file("show.avi"));
  QTest::mouseClick(form_->BtnWriteVideo, Qt::LeftButton);
  EXPECT_TRUE(WaitUntil([&] { return !form_->isVisible(); }));
  EXPECT_TRUE(dialogs_->confirmations.empty());
  EXPECT_EQ(ProbeStreams(dir_.file("show.avi")).at(0).at("nb_frames"), std::to_string(2 * kFrames));

  // During an add, a signal and then a close: each asks about the changed show once
  // the add has ended; "Ja" keeps the window, "Nein" closes it.
  StartEditor();
  dialogs_->confirmAnswers = {true, false};
  QTimer::singleShot(0, [] { std::raise(SIGTERM); });
  AddPictures(paths);
  EXPECT_TRUE(WaitUntil([&] { return dialogs_->saveRequests.size() == 2; }));
  QTimer::singleShot(0, form_.get(), [this] { form_->close(); });
  AddPictures(paths);
  EXPECT_TRUE(WaitUntil([&] { return !form_->isVisible(); }));
  EXPECT_EQ(dialogs_->confirmations.size(), 2u);
}
