// Whole writes through the real graph, read back from the AVI file by ffmpeg.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "support/Ffprobe.h"
#include "support/GraphTestForm.h"
#include "support/PictureFiles.h"
#include "support/TempDir.h"
#include "support/TestWriterForm.h"
#include "writer/TransitionKind.h"
#include "writer/WriterProfiles.h"

namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

int TransitionFrames(int kind, int frames) {
  if (kind >= TransitionFadeIn && kind <= TransitionFromBottom) return frames;
  if (kind == TransitionSquare) return frames >= 2 ? (frames - 2) + (frames - 1) : 0;
  return 0;
}

class FrameLoopTest : public ::testing::Test {
 protected:
  std::string Picture(const std::string& name, Rgb colour) {
    const std::string path = dir.file(name + ".bmp");
    WriteBmp24(path, kWidth, kHeight, [&](int, int) { return colour; });
    return path;
  }

  std::vector<DecodedFrame> Write(TestWriterForm& form, const std::vector<Slide>& slides, int frames,
                                  WriteResult expected = WriteResult::Written, int width = kWidth) {
    const std::string out = dir.file("show.avi");
    form.SetUpWrite(out, width, kHeight, frames);
    EXPECT_EQ(form.WriteVideo(slides), expected);
    EXPECT_TRUE(form.WriteErrors.empty()) << form.WriteErrors.front();
    EXPECT_EQ(form.AbortRequested.load(), 0);  // cleared when a write ends
    return DecodeVideoFrames(out, width, kHeight);
  }

  // The frames a write pushes, counted by the form; for cases where the file adds nothing.
  int Count(TestWriterForm& form, const std::vector<Slide>& slides, int frames,
            WriteResult expected = WriteResult::Written) {
    form.SetUpWrite(dir.file("count.avi"), kWidth, kHeight, frames);
    EXPECT_EQ(form.WriteVideo(slides), expected);
    return form.FramesPushed;
  }

  ComSession com;
  TempDir dir;
  const Rgb white{255, 255, 255};
  const Rgb black{0, 0, 0};
  const Rgb red{255, 0, 0};
  const Rgb blue{0, 0, 255};
};

Rgb PixelAt(const DecodedFrame& frame, int x, int y) {
  const uint8_t* p = frame.at(x, y);
  return Rgb{p[2], p[1], p[0]};
}

bool Solid(const DecodedFrame& frame, Rgb colour) {
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x)
      if (!(PixelAt(frame, x, y) == colour)) return false;
  return true;
}

}  // namespace

TEST_F(FrameLoopTest, EveryKindMakesItsFrameCountAtEveryRate) {
  const std::string picture = Picture("p", red);
  for (int frames : {25, 15, 2, 1}) {
    for (int kind : {0, 1, 2, 3, 4, 5, 6, 7, -1}) {
      TestWriterForm form(ConsoleProfile);
      EXPECT_EQ(Count(form, {{picture, 0, kind, 0}}, frames), TransitionFrames(kind, frames) + 1)
          << "kind " << kind << " at " << frames << " frames per second";
    }
  }
  // The file holds what was pushed.
  TestWriterForm form(ConsoleProfile);
  const auto decoded = Write(form, {{picture, 0, TransitionSquare, 0}}, 15);
  EXPECT_EQ(static_cast<int>(decoded.size()), form.FramesPushed);
}

TEST_F(FrameLoopTest, HoldCountIsDisplayTimeTimesRateAndAtLeastOne) {
  const std::string picture = Picture("p", red);
  TestWriterForm form(EditorProfile);
  const auto decoded = Write(form, {{picture, 0, 0, 3}, {picture, 0, 0, 0}, {picture, 0, 0, -2}}, 15);
  EXPECT_EQ(decoded.size(), 45u + 1 + 1);
}

TEST_F(FrameLoopTest, FadeRoundsHalvesAwayFromZeroAndStartsFromBlack) {
  TestWriterForm form(EditorProfile);
  const auto decoded =
      Write(form, {{Picture("white", white), 0, TransitionFadeIn, 0}, {Picture("black", black), 0, 1, 0}}, 25);
  ASSERT_EQ(decoded.size(), 52u);
  EXPECT_TRUE(Solid(decoded[0], black));           // the first transition starts from black
  EXPECT_TRUE(Solid(decoded[12], Rgb{128, 128, 128}));  // 0 -> 255 at one half
  EXPECT_TRUE(Solid(decoded[24], white));
  EXPECT_TRUE(Solid(decoded[26 + 12], Rgb{127, 127, 127}));  // 255 -> 0 at one half
  EXPECT_TRUE(Solid(decoded[26 + 24], black));
}

TEST_F(FrameLoopTest, SlidesMoveTheNewPictureInOverTheOldOneFromEachSide) {
  const std::string redPicture = Picture("red", red);
  const std::string bluePicture = Picture("blue", blue);
  const int frames = 5;  // step 2 of 4: the new picture covers half the frame
  struct Case {
    int kind;
    // Which corner of the frame the new picture has reached at half way.
    int x, y;
  } cases[] = {{TransitionFromLeft, 0, kHeight / 2},
               {TransitionFromTop, kWidth / 2, 0},
               {TransitionFromRight, kWidth - 1, kHeight / 2},
               {TransitionFromBottom, kWidth / 2, kHeight - 1}};
  for (const Case& c : cases) {
    TestWriterForm form(EditorProfile);
    const auto decoded = Write(form, {{redPicture, 0, 0, 0}, {bluePicture, 0, c.kind, 0}}, frames);
    ASSERT_EQ(decoded.size(), 1u + frames + 1) << "kind " << c.kind;
    const DecodedFrame& first = decoded[1];
    const DecodedFrame& half = decoded[1 + 2];
    const DecodedFrame& last = decoded[1 + frames - 1];
    EXPECT_TRUE(Solid(first, red)) << "kind " << c.kind << ": step 0 shows the previous picture";
    EXPECT_TRUE(Solid(last, blue)) << "kind " << c.kind << ": the last step shows the new picture";
    EXPECT_EQ(PixelAt(half, c.x, c.y), blue) << "kind " << c.kind;
    EXPECT_EQ(PixelAt(half, kWidth - 1 - c.x, kHeight - 1 - c.y), red) << "kind " << c.kind;
  }
}

TEST_F(FrameLoopTest, SingleFrameTransitionsShowTheNewPicture) {
  const std::string redPicture = Picture("red", red);
  const std::string bluePicture = Picture("blue", blue);
  for (int kind = TransitionFadeIn; kind <= TransitionFromBottom; ++kind) {
    TestWriterForm form(EditorProfile);
    const auto decoded = Write(form, {{redPicture, 0, 0, 0}, {bluePicture, 0, kind, 0}}, 1);
    ASSERT_EQ(decoded.size(), 3u);
    EXPECT_TRUE(Solid(decoded[1], blue)) << "kind " << kind;
  }
}

TEST_F(FrameLoopTest, SquareDissolvesIntoBlocksOfTheNewPicture) {
  // Red columns 0..17 and blue beyond once doubled into the frame: blocks that
  // straddle the border mix the two.
  const std::string split = dir.file("split.bmp");
  WriteBmp24(split, kWidth / 2, kHeight / 2, [&](int x, int) { return x < 9 ? red : blue; });
  TestWriterForm form(EditorProfile);
  const auto decoded = Write(form, {{split, 0, TransitionSquare, 0}}, 5);
  ASSERT_EQ(decoded.size(), 3u + 4 + 1);
  // Second run, block size 5 (frame 3): columns 15..19 form one block of 3 red and 2 blue columns.
  const Rgb mixed = PixelAt(decoded[3], 15, 0);
  EXPECT_EQ(PixelAt(decoded[3], 19, 0), mixed);
  EXPECT_EQ(mixed.r, 153);
  EXPECT_EQ(mixed.b, 102);
  EXPECT_EQ(PixelAt(decoded[3], 0, 0), red);
  // Last transition frame, block size 2: columns 18 and 19 lie in one block, both blue.
  EXPECT_EQ(PixelAt(decoded[6], 17, 5), red);
  EXPECT_EQ(PixelAt(decoded[6], 18, 5), blue);
}

TEST_F(FrameLoopTest, WidthsThatAreNotAMultipleOfFourKeepEveryRowIntact) {
  const std::string split = dir.file("split.bmp");
  // Doubled into 42 x 30: red rows 0..9, then blue columns 0..19 and white beyond.
  WriteBmp24(split, 21, kHeight / 2, [&](int x, int y) { return y < 5 ? red : (x < 10 ? blue : white); });
  TestWriterForm form(EditorProfile);
  const auto decoded = Write(form, {{split, 0, TransitionFadeIn, 1}}, 5, WriteResult::Written, 42);
  ASSERT_EQ(decoded.size(), 5u + 5);
  const DecodedFrame& held = decoded.back();
  EXPECT_EQ(PixelAt(held, 0, 0), red);
  EXPECT_EQ(PixelAt(held, 41, 9), red);
  EXPECT_EQ(PixelAt(held, 19, 10), blue);
  EXPECT_EQ(PixelAt(held, 20, 29), white);
  EXPECT_EQ(PixelAt(held, 41, 29), white);
}

TEST_F(FrameLoopTest, EditorStopsOnlyBetweenPictures) {
  const std::string picture = Picture("p", red);
  TestWriterForm form(EditorProfile);
  // Escape during the transition of picture 2 of 3.
  form.OnFramePushed = [&](int pushed) {
    if (pushed == 5 + 5 + 2) form.AbortRequested = 1;
  };
  const auto decoded = Write(form, {{picture, 0, 1, 1}, {picture, 0, 1, 1}, {picture, 0, 1, 1}}, 5,
                             WriteResult::Aborted);
  EXPECT_EQ(decoded.size(), 20u);
}

TEST_F(FrameLoopTest, AFlagSetBeforeTheWriteIsCleared) {
  const std::string picture = Picture("p", red);
  TestWriterForm form(ConsoleProfile);
  form.AbortRequested = 1;
  const auto decoded = Write(form, {{picture, 0, 0, 1}, {picture, 0, 0, 1}}, 5);
  EXPECT_EQ(decoded.size(), 10u);
}

TEST_F(FrameLoopTest, ConsoleStopsAfterTheFrameDuringWhichTheFlagWasSet) {
  const std::string whitePicture = Picture("white", white);
  const int frames = 15;
  struct Case {
    const char* what;
    int kind;
    int abortAtFrame;  // the pushed frame after which the flag is found set
    size_t expected;
  } cases[] = {
      {"fade, 6th frame", TransitionFadeIn, 6, 6 + 1},
      {"square, first run at block 6", TransitionSquare, 5, 5 + 1 + 1},
      {"square, second run, 3rd frame", TransitionSquare, 13 + 3, 13 + 3 + 1},
      {"hold, 3rd frame", TransitionNone, 3, 3},
  };
  for (const Case& c : cases) {
    TestWriterForm form(ConsoleProfile);
    form.OnFramePushed = [&](int pushed) {
      if (pushed == c.abortAtFrame) form.AbortRequested = 1;
    };
    const auto decoded = Write(form, {{whitePicture, 0, c.kind, 2}, {whitePicture, 0, c.kind, 2}}, frames,
                               WriteResult::Aborted);
    EXPECT_EQ(decoded.size(), c.expected) << c.what;
    if (c.kind == TransitionFadeIn && decoded.size() == c.expected) {
      EXPECT_TRUE(Solid(decoded[5], Rgb{91, 91, 91}));  // MulDiv(255, 5, 14)
      EXPECT_TRUE(Solid(decoded[6], white));            // the one hold frame shows the picture
    }
  }
}

TEST_F(FrameLoopTest, ConsoleFlagAlreadySetWhenATransitionStarts) {
  const std::string picture = Picture("p", red);
  const int frames = 15;
  for (int kind : {0, 1, 2, 3, 4, 5, 6}) {
    TestWriterForm form(ConsoleProfile);
    form.OnPictureStarted = [&](int index) {
      if (index == 1) form.AbortRequested = 1;
    };
    const int pushed =
        Count(form, {{picture, 0, kind, 1}, {picture, 0, kind, 1}, {picture, 0, kind, 1}}, frames,
              WriteResult::Aborted);
    const int first = TransitionFrames(kind, frames) + frames;
    const int second = (kind == TransitionSquare ? 2 : kind == TransitionNone ? 0 : 1) + 1;
    EXPECT_EQ(pushed, first + second) << "kind " << kind;
  }
}

TEST_F(FrameLoopTest, ValuesThatCannotMakeAVideoAreRefusedBeforeAnythingIsWritten) {
  const std::string picture = Picture("p", red);
  for (auto [width, height, frames] :
       {std::tuple{40, 30, 0}, {40, 30, -5}, {40, 30, 1001}, {0, 30, 25}, {40, -1, 25}, {30000, 20000, 25}}) {
    TestWriterForm form(ConsoleProfile);
    const std::string out = dir.file("refused.avi");
    form.SetUpWrite(out, width, height, frames);
    EXPECT_EQ(form.WriteVideo({{picture, 0, 0, 1}}), WriteResult::NotStarted);
    ASSERT_EQ(form.WriteErrors.size(), 1u);
    EXPECT_NE(form.WriteErrors[0].find("Cannot write AVI"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

TEST_F(FrameLoopTest, AWriteErrorStopsTheWriteAtOnceIsReportedOnceAndKeepsAnOldFile) {
  const std::string picture = Picture("p", red);
  const std::string out = dir.file("full.avi");
  for (int kind : {TransitionFadeIn, TransitionSquare}) {
    // The first write makes the file as far as it gets; the second finds an old one to keep.
    const bool replacing = kind == TransitionSquare;
    if (replacing) std::ofstream(out, std::ios::binary) << "an older show";
    TestWriterForm form(EditorProfile);  // whose abort test comes only between pictures
    form.SetUpWrite(out, 320, 240, 25);
    const ScopedFileSizeLimit full(0);
    EXPECT_EQ(form.WriteVideo({{picture, 0, kind, 2}, {picture, 0, kind, 2}}), WriteResult::WriteFailed);
    EXPECT_LE(form.FramesPushed, 1) << "the file's buffer takes one frame before the error shows";
    EXPECT_EQ(form.WriteErrors, std::vector<std::string>{"Error 0x80070070 writing AVI " + out + ": File too large. " +
                                                          (replacing ? "The old file was kept."
                                                                     : "The file is incomplete.")});
    EXPECT_EQ(FileContents(out), replacing ? "an older show" : "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "no temporary is left";
  }
}

TEST_F(FrameLoopTest, AnExceptionInTheWriteStillCompletesTheFileWithTheFramesPushed) {
  const std::string picture = Picture("p", red);
  TestWriterForm form(ConsoleProfile);
  form.SetUpWrite(dir.file("thrown.avi"), kWidth, kHeight, 5);
  form.OnFramePushed = [](int pushed) {
    if (pushed == 7) throw std::runtime_error("no room");
  };
  EXPECT_THROW(form.WriteVideo({{picture, 0, 1, 2}, {picture, 0, 1, 2}}), std::runtime_error);
  EXPECT_EQ(form.Graph, nullptr);
  EXPECT_EQ(DecodeVideoFrames(dir.file("thrown.avi"), kWidth, kHeight).size(), 7u);
}

TEST_F(FrameLoopTest, SidesTooLargeForTheFileOrTheEncoderAreRefusedBeforeTheFileIsTouched) {
  const std::string picture = Picture("p", red), out = dir.file("earlier.avi");
  for (auto [width, height, compressor, message] :
       {std::tuple{65536, 2, "", "65536x2 is too large; AVI files take at most 65535 pixels a side"},
        {4, 70000, "", "4x70000 is too large"},
        {30000, 20000, "", "need more than this program's limit of 600 MB a frame"},
        {8192, 8, "Xvid MPEG-4 Codec", "Xvid MPEG-4 Codec cannot take frames of 8192 x 8: at most 8191 pixels"}}) {
    std::ofstream(out) << "an earlier video";
    TestWriterForm form(ConsoleProfile);
    form.SetUpWrite(out, width, height, 25);
    if (*compressor) form.SetCompressor(compressor);
    EXPECT_EQ(form.WriteVideo({{picture, 0, 1, 1}}), WriteResult::NotStarted);
    const std::string shown = form.GraphErrors.empty() ? form.WriteErrors.at(0) : form.GraphErrors.at(0).second;
    EXPECT_NE(shown.find(message), std::string::npos) << shown;
    EXPECT_EQ(std::filesystem::file_size(out), 16u);
  }
}

TEST_F(FrameLoopTest, AMissingPictureGivesItsBackgroundColour) {
  TestWriterForm form(EditorProfile);
  const auto decoded = Write(form, {{dir.file("gone.jpg"), MakeColor(0, 0, 255), 0, 1}}, 2);
  ASSERT_EQ(decoded.size(), 2u);
  EXPECT_TRUE(Solid(decoded[0], blue));
}
