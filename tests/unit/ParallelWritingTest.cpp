// The parallel path against the one-frame-after-another path: for every
// compressor, what a decoder reads from both files is the same, key frames
// included, also when a write is aborted or fails.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/dshow/CompressorCatalogue.h"
#include "platform/dshow/ParallelEncoder.h"
#include "support/Ffprobe.h"
#include "support/GraphTestForm.h"
#include "support/PictureFiles.h"
#include "support/TempDir.h"
#include "support/TestWriterForm.h"
#include "writer/WriterProfiles.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kFrames = 10;

struct Written {
  WriteResult result;
  std::vector<std::string> errors;
  std::string keyFlags;
  std::vector<uint8_t> decoded;
  std::vector<int> waitedAfterFrames;
};

class ParallelWritingTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (ConvertTool().empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    // Detailed photos, and flat ones whose cuts make Microsoft Video 1 add key
    // frames of its own; smaller than the frame, so that both paths decode them whole.
    for (int seed = 1; seed <= 2; ++seed) {
      const std::string path = dir.file("plasma" + std::to_string(seed) + ".jpg");
      ASSERT_TRUE(RunConvert("-seed " + std::to_string(seed) + " -size 144x108 plasma: -quality 85 " + path));
      photos.push_back(path);
    }
    white = dir.file("white.bmp");
    WriteBmp24(white, 64, 48, [](int, int) { return Rgb{255, 255, 255}; });
    black = dir.file("black.bmp");
    WriteBmp24(black, 48, 64, [](int x, int) { return x < 24 ? Rgb{0, 0, 0} : Rgb{0, 0, 255}; });
  }

  // Every transition kind, holds of 0 to 3 s, and cuts between flat pictures.
  std::vector<Slide> Show() const {
    std::vector<Slide> slides;
    const std::string pictures[] = {photos[0], white, black, photos[1], white, photos[0], black, photos[1], white};
    for (int i = 0; i < 9; ++i) slides.push_back({pictures[i], 0x202020, i % 7 == 6 ? -1 : i % 7, i % 4});
    for (int i = 0; i < 4; ++i) slides.push_back({i % 2 ? white : black, 0x202020, 0, 1 + i % 2});
    return slides;
  }

  Written Write(const std::string& compressor, bool serial, const std::string& path = "",
                const std::function<void(TestWriterForm&, int)>& onFrame = nullptr) {
    const std::string out = path.empty() ? dir.file(serial ? "serial.avi" : "parallel.avi") : path;
    TestWriterForm form(ConsoleProfile);
    form.SerialWriting = serial;
    form.SetUpWrite(out, kWidth, kHeight, kFrames);
    form.SetCompressor(compressor);
    form.KeyFrameRate = 7;
    form.Quality = 0.7;
    if (onFrame) form.OnFramePushed = [&](int count) { onFrame(form, count); };
    Written written;
    written.result = form.WriteVideo(Show());
    written.errors = form.WriteErrors;
    written.waitedAfterFrames = form.WaitedAfterFrames;
    if (path.empty()) {
      written.keyFlags = PacketKeyFlags(out, "v");
      written.decoded = DecodeVideoBgr24(out);
    }
    return written;
  }

  ComSession com;
  TempDir dir;
  std::vector<std::string> photos;
  std::string white;
  std::string black;
};

std::vector<std::string> EveryCompressor() {
  std::vector<std::string> names{"None (for postprocessing)"};
  for (const InstalledCompressor& c : InstalledCompressors()) names.push_back(c.friendlyName);
  return names;
}

// Peak signal-to-noise ratio of decoded frames against the same frames uncompressed.
double Psnr(const std::vector<uint8_t>& decoded, const std::vector<uint8_t>& original) {
  double squares = 0;
  for (size_t i = 0; i < decoded.size(); ++i) squares += (decoded[i] - original[i]) * (decoded[i] - original[i]);
  return 10 * std::log10(255.0 * 255.0 * decoded.size() / std::max(squares, 1.0));
}

TEST_P(ParallelWritingTest, DecodesToTheSameFramesWithKeyFramesInTheSamePlaces) {
  const Written serial = Write(GetParam(), true);
  const Written parallel = Write(GetParam(), false);
  ASSERT_EQ(serial.result, WriteResult::Written);
  ASSERT_EQ(parallel.result, WriteResult::Written);
  ASSERT_FALSE(serial.keyFlags.empty());
  EXPECT_EQ(parallel.keyFlags, serial.keyFlags);
  ASSERT_EQ(parallel.decoded.size(), serial.decoded.size());
  if (GetParam().starts_with("x264")) {
    // x264 on its own threads decides a little differently: no worse than alone.
    const std::vector<uint8_t> original = Write("None (for postprocessing)", true).decoded;
    ASSERT_EQ(original.size(), serial.decoded.size());
    EXPECT_GT(Psnr(parallel.decoded, original), Psnr(serial.decoded, original) - 0.5);
    return;
  }
  EXPECT_TRUE(parallel.decoded == serial.decoded);
}

TEST_P(ParallelWritingTest, AnAbortEndsTheFileWhereTheSerialPathEndsIt) {
  auto abortAt = [](TestWriterForm& form, int count) {
    if (count == 150) form.AbortRequested = 1;
  };
  const Written serial = Write(GetParam(), true, "", abortAt);
  const Written parallel = Write(GetParam(), false, "", abortAt);
  ASSERT_EQ(serial.result, WriteResult::Aborted);
  ASSERT_EQ(parallel.result, WriteResult::Aborted);
  EXPECT_EQ(parallel.keyFlags.size(), 150u);
  // The program's window is kept alive while the frames queued are written.
  ASSERT_FALSE(parallel.waitedAfterFrames.empty());
  EXPECT_EQ(parallel.waitedAfterFrames.front(), 150);
  EXPECT_EQ(parallel.keyFlags, serial.keyFlags);
  if (!GetParam().starts_with("x264")) {
    EXPECT_TRUE(parallel.decoded == serial.decoded);
  }
}

TEST_P(ParallelWritingTest, AFullDiskIsReportedAsBefore) {
  const ScopedFileSizeLimit full(0);
  const Written serial = Write(GetParam(), true, dir.file("full.avi"));
  std::filesystem::remove(dir.file("full.avi"));  // else the second write keeps it, and says so
  const Written parallel = Write(GetParam(), false, dir.file("full.avi"));
  EXPECT_EQ(parallel.result, serial.result);
  EXPECT_EQ(parallel.errors, serial.errors);
  EXPECT_FALSE(parallel.errors.empty());
}

std::string TestName(const std::string& text) {
  std::string name;
  for (char c : text) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, ParallelWritingTest, ::testing::ValuesIn(EveryCompressor()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return TestName(info.param); });

// Odd sizes leave rows that are not a whole number of pixel groups: the
// encoders' converter reads past each row, the last one too.
using OddSizeTest = ::testing::TestWithParam<std::tuple<std::string, std::pair<int, int>>>;

TEST_P(OddSizeTest, WritesTheSameBytesOnEveryRunAndPath) {
  const auto& [compressor, size] = GetParam();
  const auto [width, height] = size;
  if (ConvertTool().empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  ComSession com;
  TempDir dir;
  std::vector<Slide> slides;
  for (int seed = 1; seed <= 3; ++seed) {
    const std::string path = dir.file(std::to_string(seed) + ".jpg");
    ASSERT_TRUE(RunConvert("-seed " + std::to_string(seed) + " -size 288x216 plasma: " + path));
    slides.push_back({path, 0x405060, seed, 1});
  }
  auto write = [&](bool serial, const std::string& name) {
    TestWriterForm form(ConsoleProfile);
    form.SerialWriting = serial;
    form.SetUpWrite(dir.file(name), width, height, kFrames);
    form.SetCompressor(compressor);
    form.KeyFrameRate = 7;
    EXPECT_EQ(form.WriteVideo(slides), WriteResult::Written);
    return ReadBytes(dir.file(name));
  };
  const std::vector<uint8_t> serial = write(true, "serial.avi");
  ASSERT_FALSE(serial.empty());
  EXPECT_TRUE(write(true, "serial2.avi") == serial);
  EXPECT_TRUE(write(false, "parallel.avi") == serial);
  EXPECT_TRUE(write(false, "parallel2.avi") == serial);
}

// Frames of 64 x 48: changing every frame, cuts between flat colours, holds.
std::vector<uint8_t> BudgetFrame(int i) {
  std::vector<uint8_t> frame(static_cast<size_t>(DibStride24(64)) * 48);
  const int phase = i / 6;
  for (size_t k = 0; k < frame.size(); ++k)
    frame[k] = static_cast<uint8_t>(phase % 3 == 0 ? phase * 40 : phase % 3 == 1 ? k % 192 + i : 255);
  return frame;
}

// A run that cannot fit the budget is encoded as it comes, and no more than
// the budget's work waits: the frames written stay the same.
TEST(ParallelEncoderBudgetTest, HoldsAndQueuesNoMoreThanItsBudget) {
  std::string missing;
  for (const char* name : {"msmpeg4v2", "msvideo1", "mjpeg"}) {
    EncoderSettings settings;
    settings.encoder = avcodec_find_encoder_by_name(name);
    if (!settings.encoder) {
      missing += std::string(" ") + name;
      continue;
    }
    settings.width = 64;
    settings.height = 48;
    settings.keyFrameRate = 20;
    settings.quality = 0.7;
    auto encode = [&](EncodeBudget budget) {
      std::vector<std::vector<uint8_t>> packets;
      auto sink = [&](const AVPacket& packet, int64_t index) {
        EXPECT_EQ(index, static_cast<int64_t>(packets.size()));
        packets.emplace_back(packet.data, packet.data + packet.size);
        return S_OK;
      };
      ParallelEncoder encoder(settings, {1, 25}, sink, nullptr, 4, budget);
      for (int i = 0; i < 150; ++i) {
        const bool costKnown = !packets.empty();  // a run was encoded and written
        EXPECT_EQ(encoder.Push(BudgetFrame(i).data()), S_OK);
        EXPECT_LE(encoder.HeldBytes(), encoder.MaxHeldBytes()) << name << " frame " << i;
        if (budget.backlogSeconds == 0 && costKnown) {
          EXPECT_FALSE(encoder.RunsWaiting()) << name << " frame " << i;
        }
      }
      EXPECT_EQ(encoder.Finish(), S_OK);
      return packets;
    };
    const std::vector<std::vector<uint8_t>> unbounded = encode({});
    EXPECT_TRUE(encode({.heldBytesPerThread = 1}) == unbounded) << name;
    EXPECT_TRUE(encode({.backlogSeconds = 0}) == unbounded) << name;
  }
  if (!missing.empty()) GTEST_SKIP() << "this FFmpeg lacks the encoders" << missing;
}

// Opened twice, a converter lets go of the first frames (the sanitizer build finds a leak otherwise).
TEST(FrameConverterTest, OpensTwiceWithoutLeaking) {
  FrameConverter converter;
  EXPECT_TRUE(converter.Open(64, 48, AV_PIX_FMT_YUV420P) && converter.Open(32, 16, AV_PIX_FMT_YUV420P));
}

std::string OddSizeName(const ::testing::TestParamInfo<OddSizeTest::ParamType>& info) {
  const auto& [compressor, size] = info.param;
  return TestName(compressor) + "_" + std::to_string(size.first) + "x" + std::to_string(size.second);
}

INSTANTIATE_TEST_SUITE_P(Sizes, OddSizeTest,
                         ::testing::Combine(::testing::Values("MJPEG Compressor", "Microsoft MPEG-4 Video Codec V2"),
                                            ::testing::Values(std::make_pair(321, 241), std::make_pair(313, 366))),
                         OddSizeName);

}  // namespace
