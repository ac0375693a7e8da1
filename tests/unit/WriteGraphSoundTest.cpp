// The sound track of the writing graph, and the graph log.
#include <gtest/gtest.h>
#include <dirent.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/pusher/SamplePusher.h"
#include "support/Ffprobe.h"
#include "support/GraphTestFixture.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace {

class WriteGraphSoundTest : public GraphTestFixture {
 protected:
  WriteGraphSoundTest() { form.SetCompressor("Microsoft Video 1"); }

  std::string MakeTone(const std::string& name, double seconds, int rate = 44100, int channels = 2) {
    const std::string path = dir.file(name);
    const CommandResult r = RunCommand("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                                       " -b 16 " + ShellQuote(path) + " synth " + std::to_string(seconds) +
                                       " sine 440 2>&1");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return path;
  }

};

TEST_F(WriteGraphSoundTest, ALongerSoundIsCutAtTheEndOfTheVideo) {
  form.SetSound(MakeTone("long.wav", 5));
  ASSERT_EQ(Write(50), S_OK);
  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 2u);
  EXPECT_EQ(streams[0].at("codec_type"), "video");
  EXPECT_EQ(streams[1].at("codec_type"), "audio");
  EXPECT_EQ(streams[1].at("codec_name"), "pcm_s16le");
  EXPECT_EQ(streams[1].at("sample_rate"), "44100");
  EXPECT_EQ(streams[1].at("channels"), "2");
  // Samples: exactly the two seconds of the 50 frames.
  EXPECT_EQ(streams[1].at("nb_frames"), "88200");
  EXPECT_EQ(streams[0].at("nb_frames"), "50");
  const CommandResult samples = RunCommand("ffmpeg -v error -i " + ShellQuote(out) + " -map 0:a -f s16le -");
  EXPECT_EQ(samples.output.size(), 88200u * 4);
}

TEST_F(WriteGraphSoundTest, SoundIsInterleavedWithTheFrames) {
  form.SetSound(MakeTone("long.wav", 5));
  ASSERT_EQ(Write(50), S_OK);
  const std::vector<int64_t> video = PacketPositions(out, "v");
  const std::vector<int64_t> audio = PacketPositions(out, "a");
  ASSERT_EQ(video.size(), 50u);
  ASSERT_GT(audio.size(), 10u);
  // Sound of the first second lies among the first second's frames.
  EXPECT_LT(audio.front(), video[1]);
  EXPECT_LT(audio[audio.size() / 2], video[40]);
}

TEST_F(WriteGraphSoundTest, AShorterSoundEndsWhereItEnds) {
  form.SetSound(MakeTone("short.wav", 1, 22050, 1));
  ASSERT_EQ(Write(50), S_OK);
  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 2u);
  EXPECT_EQ(streams[1].at("sample_rate"), "22050");
  EXPECT_EQ(streams[1].at("nb_frames"), "22050");
  EXPECT_EQ(streams[0].at("nb_frames"), "50");
}

TEST_F(WriteGraphSoundTest, ASoundFileThatIsNotSoundIsARenderingError) {
  std::ofstream(dir.file("notes.wav")) << "these are not samples\n";
  form.SetSound(dir.file("notes.wav"));
  const HRESULT hr = form.BuildWriteGraph();
  EXPECT_EQ(hr, VFW_E_UNKNOWN_FILE_TYPE);
  ASSERT_EQ(form.GraphErrors.size(), 1u);
  EXPECT_EQ(form.GraphErrors[0].first, GraphStep::RenderGraph);
  EXPECT_EQ(form.GraphErrors[0].second, "Error 0x80040240 rendering the graph\n" + out + ": the sound file " +
                                            dir.file("notes.wav") + " cannot be read");
}

TEST_F(WriteGraphSoundTest, AFailedVideoRenderingIsReportedWithItsOwnResult) {
  form.SetFormat(322, 240, 25);
  form.SetSound(dir.file("notes.wav"));
  std::ofstream(dir.file("notes.wav")) << "these are not samples\n";
  EXPECT_EQ(form.BuildWriteGraph(), VFW_E_CANNOT_CONNECT);
}

TEST_F(WriteGraphSoundTest, AMissingSoundFileOrAFolderGivesASilentFile) {
  form.SetSound(dir.file("absent.wav"));
  ASSERT_EQ(Write(5), S_OK);
  EXPECT_EQ(ProbeStreams(out).size(), 1u);
  form.SetSound(dir.path().string());
  ASSERT_EQ(Write(5), S_OK);
  EXPECT_EQ(ProbeStreams(out).size(), 1u);
  EXPECT_TRUE(form.GraphErrors.empty());
}

TEST_F(WriteGraphSoundTest, TheConsoleGraphHasNoSoundStep) {
  GraphTestForm console(false);
  console.SetFormat(320, 240, 15);
  console.SetOutput(out);
  console.SetCompressor("Microsoft Video 1");
  console.SetSound(MakeTone("long.wav", 2));
  ASSERT_EQ(console.BuildWriteGraph(), S_OK);
  console.PushFrames(0, 5);
  console.ReleaseGraph();
  EXPECT_EQ(ProbeStreams(out).size(), 1u);
}

// Whether this process holds a file of that name open.
bool IsOpenHere(const std::filesystem::path& path) {
  const std::filesystem::path wanted = std::filesystem::canonical(path);
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    if (std::filesystem::read_symlink(fd.path(), ec) == wanted) return true;
  }
  return false;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(WriteGraphSoundTest, WithDebugEachBuildEmptiesTheLogAndClosesItBeforeReturning) {
  std::ofstream(dir.file("LOG.TXT")) << "an old log\n";
  form.Debug = true;
  ASSERT_EQ(form.BuildWriteGraph(), S_OK);
  EXPECT_FALSE(IsOpenHere(dir.path() / "LOG.TXT"));
  form.PushFrames(0, 2);
  form.ReleaseGraph();
  const std::string log = ReadAll(dir.file("LOG.TXT"));
  EXPECT_EQ(log.find("an old log"), std::string::npos);
  EXPECT_NE(log.find("AddFilter \"Sample Pusher Source Filter\""), std::string::npos) << log;
  EXPECT_NE(log.find("RenderStream"), std::string::npos) << log;
  // Nothing is written into it after the build.
  EXPECT_EQ(log.find("frames pushed"), std::string::npos) << log;
}

TEST_F(WriteGraphSoundTest, AFailedRenderingAlsoLeavesTheLogClosedWithItsReason) {
  form.Debug = true;
  form.SetFormat(322, 240, 25);
  EXPECT_EQ(form.BuildWriteGraph(), VFW_E_CANNOT_CONNECT);
  EXPECT_FALSE(IsOpenHere(dir.path() / "LOG.TXT"));
  const std::string log = ReadAll(dir.file("LOG.TXT"));
  EXPECT_NE(log.find("multiples of 4"), std::string::npos) << log;
  form.ReleaseGraph();
}

TEST_F(WriteGraphSoundTest, WithoutDebugTheLogIsNeitherMadeNorTouched) {
  ASSERT_EQ(Write(1), S_OK);
  EXPECT_FALSE(std::filesystem::exists(dir.file("LOG.TXT")));
  std::ofstream(dir.file("LOG.TXT")) << "kept\n";
  ASSERT_EQ(Write(1), S_OK);
  EXPECT_EQ(ReadAll(dir.file("LOG.TXT")), "kept\n");
}

}  // namespace
