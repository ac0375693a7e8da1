// An uncompressed file past 1 GiB continues as OpenDML and plays to its last frame.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/pusher/SamplePusher.h"
#include "support/Ffprobe.h"
#include "support/GraphTestForm.h"
#include "support/TempDir.h"

namespace {

TEST(OpenDmlTest, AFilePastOneGibibyteKeepsEveryFrame) {
  ComSession com;
  TempDir dir;
  ScopedChdir chdir(dir.path());
  GraphTestForm form;
  const std::string out = dir.file("big.avi");
  constexpr int kFrames = 420;  // 420 x 1280 x 720 x 3 bytes: about 1.1 GB
  form.SetFormat(1280, 720, 25);
  form.SetOutput(out);
  form.SetCompressor("None (for postprocessing)");
  ASSERT_EQ(form.BuildWriteGraph(), S_OK);
  form.PushFrames(0, kFrames);
  form.ReleaseGraph();
  ASSERT_EQ(form.WriteError, S_OK);
  EXPECT_GT(std::filesystem::file_size(out), 1ull << 30);

  const auto streams = ProbeStreams(out);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("nb_read_packets"), std::to_string(kFrames));
  const std::vector<uint8_t> last = DecodeVideoBgr24(out, "select=eq(n\\," + std::to_string(kFrames - 1) + ")");
  const std::vector<uint8_t> expected = PatternTopDown(1280, 720, kFrames - 1);
  ASSERT_EQ(last.size(), expected.size());
  EXPECT_TRUE(last == expected);
}

}  // namespace
