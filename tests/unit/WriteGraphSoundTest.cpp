// The sound track of the writing graph, and the graph log.
#include <gtest/gtest.h>
#include <dirent.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

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

  // Silence under a header that says what it is told, its bytes per second wrong as some writers leave them.
  std::string MakeWav(const std::string& name, uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits,
                      uint16_t blockAlign, uint32_t frames = 1) {
    const uint32_t size = frames * blockAlign;
#pragma pack(push, 1)
    const struct {
      char riff[4]; uint32_t riffSize; char wave[8]; uint32_t fmtSize; uint16_t format, channels;
      uint32_t rate, bytesPerSecond; uint16_t blockAlign, bits; char data[4]; uint32_t dataSize;
    } header{{'R', 'I', 'F', 'F'}, 36 + size, {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}, 16, format, channels,
             rate, rate / 7, blockAlign, bits, {'d', 'a', 't', 'a'}, size};
#pragma pack(pop)
    std::ofstream(dir.file(name), std::ios::binary).write(reinterpret_cast<const char*>(&header), sizeof header)
        << std::string(size, '\0');
    return dir.file(name);
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

TEST_F(WriteGraphSoundTest, ASoundThatCannotBeUsedFailsNamingItAndLeavesTheOutputAsItWasOrUnmade) {
  std::ofstream(dir.file("empty.wav")).flush();
  const std::string tooFast = "bytes a second; an AVI file's header holds at most 268435455";
  for (auto [sound, reason] :
       {std::pair<std::string, std::string>{dir.file("empty.wav"), "cannot be read"},
        {MakeWav("alaw.wav", 6, 1, 8000, 8, 1), "is not PCM"},
        {MakeWav("wide.wav", 1, 65535, 8000, 8, 65535), "has 65535 channels; an AVI file is read back with 1 to 512"},
        {MakeWav("odd.wav", 1, 2, 8000, 12, 3), "has blocks of 3 bytes where 2 channels of 16 bits take 4"},
        {MakeWav("fastest.wav", 1, 1, 2147483647, 8, 1), "has 2147483647 " + tooFast},
        {MakeWav("full.wav", 1, 512, 192000, 32, 2048), "has 393216000 " + tooFast}}) {
    form.SetSound(sound);
    for (bool existed : {true, false}) {
      if (existed) std::ofstream(out) << "an earlier video";
      form.GraphErrors.clear();
      EXPECT_NE(form.BuildWriteGraph(), S_OK);
      // Not even an empty file while the errors are shown.
      EXPECT_TRUE(existed ? FileContents(out) == "an earlier video" : !std::filesystem::exists(out)) << sound;
      form.ReleaseGraph();
      ASSERT_EQ(form.GraphErrors.size(), 1u);
      EXPECT_NE(form.GraphErrors[0].second.find("the sound file " + sound + " " + reason), std::string::npos);
      EXPECT_TRUE(existed ? FileContents(out) == "an earlier video" : !std::filesystem::exists(out)) << sound;
      std::filesystem::remove(out);
    }
  }
}

TEST_F(WriteGraphSoundTest, SoundFormatsAtTheEdgesReadBack) {
  for (auto [format, channels, rate, bits] : {std::tuple{1, 512, 8000, 16}, {1, 1, 1, 8}, {3, 3, 96000, 32},
                                              {1, 6, 44100, 24}, {1, 1, 268435455, 8}}) {
    const int frames = std::min(rate, 44100);
    form.SetSound(MakeWav("edge.wav", format, channels, rate, bits, channels * bits / 8, frames));
    ASSERT_EQ(Write(25), S_OK);
    const auto sound = ProbeStreams(out).at(1);
    EXPECT_EQ(sound.at("channels") + " " + sound.at("sample_rate") + " " + sound.at("bits_per_sample") + " " +
                  sound.at("nb_frames"),
              std::to_string(channels) + " " + std::to_string(rate) + " " + std::to_string(bits) + " " +
                  std::to_string(frames));
    // The audio stream header's ("auds") rate over its scale: the samples a second.
    const std::string avi = FileContents(out);
    uint32_t scaleRate[2] = {};
    const size_t at = avi.find("auds");
    ASSERT_NE(at, std::string::npos);
    std::memcpy(scaleRate, avi.data() + at + 20, sizeof scaleRate);
    EXPECT_TRUE(scaleRate[0] != 0 && scaleRate[1] == uint64_t{scaleRate[0]} * rate) << scaleRate[1];
  }
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

TEST_F(WriteGraphSoundTest, WithDebugEachBuildEmptiesTheLogAndClosesItBeforeReturning) {
  std::ofstream(dir.file("LOG.TXT")) << "an old log\n";
  form.Debug = true;
  ASSERT_EQ(form.BuildWriteGraph(), S_OK);
  EXPECT_FALSE(IsOpenHere(dir.path() / "LOG.TXT"));
  form.PushFrames(0, 2);
  form.ReleaseGraph();
  const std::string log = FileContents(dir.file("LOG.TXT"));
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
  const std::string log = FileContents(dir.file("LOG.TXT"));
  EXPECT_NE(log.find("multiples of 4"), std::string::npos) << log;
  form.ReleaseGraph();
}

TEST_F(WriteGraphSoundTest, WithoutDebugTheLogIsNeitherMadeNorTouched) {
  ASSERT_EQ(Write(1), S_OK);
  EXPECT_FALSE(std::filesystem::exists(dir.file("LOG.TXT")));
  std::ofstream(dir.file("LOG.TXT")) << "kept\n";
  ASSERT_EQ(Write(1), S_OK);
  EXPECT_EQ(FileContents(dir.file("LOG.TXT")), "kept\n");
}

}  // namespace
