// The writing graph end to end: files written through BuildWriteGraph, pushed
// frames and ReleaseGraph, read back by ffprobe and ffmpeg.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>

#include "platform/dshow/Guids.h"
#include "platform/pusher/SamplePusher.h"
#include "support/Ffprobe.h"
#include "support/GraphTestFixture.h"
#include "support/TempDir.h"

namespace {

class WriteGraphTest : public GraphTestFixture {
 protected:
  WriteGraphTest() {
    form.KeyFrameRate = 5;
    form.Quality = 0.75;
  }
};

struct CompressorCase {
  const char* friendlyName;
  const char* codecName;
  bool everyFrameKey;
};

// What the test list shows for a case.
void PrintTo(const CompressorCase& c, std::ostream* out) { *out << '"' << c.friendlyName << '"'; }

class CompressorTest : public WriteGraphTest, public ::testing::WithParamInterface<CompressorCase> {};

TEST_P(CompressorTest, WritesOneStreamOfTheCompressorsCodecWithKeyFramesAtTheRate) {
  const CompressorCase& c = GetParam();
  form.SetCompressor(c.friendlyName);
  ASSERT_EQ(Write(12), S_OK);
  EXPECT_TRUE(form.GraphErrors.empty());
  EXPECT_EQ(form.WriteError, S_OK);

  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("codec_type"), "video");
  EXPECT_EQ(streams[0].at("codec_name"), c.codecName);
  EXPECT_EQ(streams[0].at("width"), "320");
  EXPECT_EQ(streams[0].at("height"), "240");
  EXPECT_EQ(streams[0].at("r_frame_rate"), "25/1");
  EXPECT_EQ(streams[0].at("nb_frames"), "12");
  EXPECT_EQ(streams[0].at("nb_read_packets"), "12");
  EXPECT_EQ(PacketKeyFlags(out, "v"), c.everyFrameKey ? "KKKKKKKKKKKK" : "K____K____K_");
  EXPECT_EQ(DecodeVideoBgr24(out).size(), 12u * 320 * 240 * 3);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, CompressorTest,
                         ::testing::Values(CompressorCase{"Microsoft Video 1", "msvideo1", false},
                                           CompressorCase{"MJPEG Compressor", "mjpeg", true},
                                           CompressorCase{"Xvid MPEG-4 Codec", "mpeg4", false},
                                           CompressorCase{"Microsoft MPEG-4 Video Codec V2", "msmpeg4v2", false},
                                           CompressorCase{"Cinepak Codec by Radius", "cinepak", false},
                                           CompressorCase{"Huffyuv v2.1.1", "huffyuv", true},
                                           CompressorCase{"x264vfw - H.264/MPEG-4 AVC codec", "h264", false}),
                         [](const ::testing::TestParamInfo<CompressorCase>& info) {
                           return std::string(info.param.codecName);
                         });

class UncompressedTest : public WriteGraphTest, public ::testing::WithParamInterface<int> {};

TEST_P(UncompressedTest, FramesDecodeToThePushedPixelsUpright) {
  const int width = GetParam();
  form.SetFormat(width, 240, 25);
  form.SetCompressor("None (for postprocessing)");
  ASSERT_EQ(Write(3), S_OK);

  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("codec_name"), "rawvideo");
  EXPECT_EQ(streams[0].at("width"), std::to_string(width));
  EXPECT_EQ(streams[0].at("nb_frames"), "3");
  const std::vector<uint8_t> decoded = DecodeVideoBgr24(out);
  const size_t frameBytes = static_cast<size_t>(width) * 240 * 3;
  ASSERT_EQ(decoded.size(), 3 * frameBytes);
  for (int n = 0; n < 3; ++n) {
    const std::vector<uint8_t> expected = PatternTopDown(width, 240, n);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), decoded.begin() + n * frameBytes)) << "frame " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, UncompressedTest, ::testing::Values(320, 322, 81));

TEST_F(WriteGraphTest, FrameRateComesFromTheFrameDuration) {
  form.SetFormat(320, 240, 15);
  form.SetCompressor("Microsoft Video 1");
  ASSERT_EQ(Write(30), S_OK);
  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("r_frame_rate"), "15/1");
  EXPECT_EQ(std::stod(streams[0].at("duration")), 2.0);
}

TEST_F(WriteGraphTest, QualityReachesTheEncoder) {
  form.SetCompressor("MJPEG Compressor");
  form.Quality = 1.0;
  ASSERT_EQ(Write(5), S_OK);
  const auto best = std::filesystem::file_size(out);
  form.Quality = 0.1;
  ASSERT_EQ(Write(5), S_OK);
  const auto worst = std::filesystem::file_size(out);
  EXPECT_GT(best, worst * 2);
}

TEST_F(WriteGraphTest, AGraphWithoutFramesStillGivesAReadableFile) {
  form.SetCompressor("Microsoft Video 1");
  ASSERT_EQ(Write(0), S_OK);
  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("codec_name"), "msvideo1");
  EXPECT_EQ(PacketKeyFlags(out, "v"), "");
}

TEST_F(WriteGraphTest, AWidthMicrosoftVideo1RefusesIsARenderingError) {
  form.SetFormat(322, 240, 25);
  form.SetCompressor("Microsoft Video 1");
  EXPECT_EQ(Write(1), VFW_E_CANNOT_CONNECT);
  ASSERT_EQ(form.GraphErrors.size(), 1u);
  EXPECT_EQ(form.GraphErrors[0].first, GraphStep::RenderGraph);
  EXPECT_EQ(form.GraphErrors[0].second, "Error 0x80040217 rendering the graph\n" + out +
                                            ": Microsoft Video 1 cannot take frames of 322 x 240: width and height "
                                            "must be multiples of 4");
  form.ReleaseGraph();
  EXPECT_FALSE(std::filesystem::exists(out)) << "a failed build leaves no empty file behind";
}

TEST_F(WriteGraphTest, AFailedBuildLeavesAnExistingFileAsItWas) {
  { std::ofstream(out) << "an earlier video"; }
  form.SetFormat(322, 240, 25);
  form.SetCompressor("Microsoft Video 1");
  EXPECT_EQ(Write(1), VFW_E_CANNOT_CONNECT);
  form.ReleaseGraph();
  std::ifstream in(out);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "an earlier video");
}

TEST_F(WriteGraphTest, ANameNoCompressorHasWritesUncompressed) {
  form.SetCompressor("None (for postprocessing)");
  ASSERT_EQ(Write(2), S_OK);
  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("codec_name"), "rawvideo");
}

TEST_F(WriteGraphTest, AnEmptyNameTakesTheFirstCompressor) {
  std::vector<std::string> names;
  form.ListDeviceNames(&CLSID_VideoCompressorCategory, names);
  ASSERT_FALSE(names.empty());
  ASSERT_EQ(names[0], "Cinepak Codec by Radius");
  form.SetCompressor("");
  ASSERT_EQ(Write(2), S_OK);
  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("codec_name"), "cinepak");
}

TEST_F(WriteGraphTest, ReleaseGraphTwiceOrWithoutABuildIsHarmless) {
  form.ReleaseGraph();
  ASSERT_EQ(form.BuildWriteGraph(), S_OK);
  form.PushFrames(0, 2);
  form.ReleaseGraph();
  form.ReleaseGraph();
  EXPECT_EQ(form.Graph, nullptr);
  EXPECT_EQ(form.Pusher, nullptr);
  EXPECT_EQ(form.MuxFilter, nullptr);
  EXPECT_EQ(form.MediaControl, nullptr);
  EXPECT_EQ(ProbeStreams(out).size(), 1u);
}

TEST_F(WriteGraphTest, TheBuildSetsTheFrameSizeOnThePushSource) {
  form.SetFormat(200, 120, 25);
  ASSERT_EQ(form.BuildWriteGraph(), S_OK);
  int32_t width = 0, height = 0;
  ASSERT_NE(form.Pusher, nullptr);
  form.Pusher->GetFrameSize(&width, &height);
  EXPECT_EQ(width, 200);
  EXPECT_EQ(height, 120);
  // The frame size is fixed once the graph is connected.
  EXPECT_NE(form.Pusher->SetFrameSize(100, 100), S_OK);
  // A frame of another size is refused, not written.
  const std::vector<uint8_t> small = PatternFrame(100, 100, 0);
  BITMAPINFO header = form.FrameHeader;
  header.bmiHeader.biWidth = 100;
  header.bmiHeader.biHeight = 100;
  EXPECT_EQ(form.Pusher->PushSample(small.data(), &header, form.FrameDuration), VFW_E_TYPE_NOT_ACCEPTED);
  form.ReleaseGraph();
  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(PacketKeyFlags(out, "v"), "");
}

}  // namespace
