// Writes a show of the pictures of a folder, every transition in turn, and
// reports its speed, CPU use and peak memory. Not a test: run it through
// scripts/benchmark.sh.
//
//   vistrel_bench <picture folder> <width> <height> <compressor> <output.avi> <serial|parallel> <seconds>
//                 [<frames per second> <key-frame interval>]
//
// Prints one line: frames, seconds, frames per second, CPU use (100% = one
// core busy) and peak memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "console/ScanPictureFolder.h"
#include "platform/com/ComRegistry.h"
#include "platform/dshow/SystemClasses.h"
#include "platform/pusher/SamplePusher.h"
#include "platform/text/WideText.h"
#include "writer/PlainSettingsForm.h"
#include "writer/WriterProfiles.h"

namespace {

class BenchForm : public PlainSettingsForm {
 public:
  BenchForm() : PlainSettingsForm(EditorProfile) {}
  int frames = 0;

 protected:
  void FramePushed() override { ++frames; }
  void ShowWriteError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  void ShowGraphError(GraphStep, const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8 && argc != 10) {
    std::fprintf(stderr, "usage: %s FOLDER WIDTH HEIGHT COMPRESSOR OUTPUT.avi serial|parallel SECONDS [FPS KEYINTERVAL]\n",
                 argv[0]);
    return 2;
  }
  std::error_code scanError;
  const std::vector<std::string> pictures = ScanPictureFolder(argv[1], scanError);
  if (pictures.empty()) {
    std::fprintf(stderr, "no pictures in %s\n", argv[1]);
    return 2;
  }
  CoInitialize(nullptr);
  RegisterSystemClasses();
  RegisterSamplePusher();

  BenchForm form;
  form.SerialWriting = std::string(argv[6]) == "serial";
  form.FormatX = std::stoi(argv[2]);
  form.FormatY = std::stoi(argv[3]);
  form.Frames = argc == 10 ? std::stoi(argv[8]) : 25;
  form.Quality = 0.9;
  form.KeyFrameRate = argc == 10 ? std::stoi(argv[9]) : 25;
  TextToWideBuffer(argv[4], form.CompressorName);
  TextToWideBuffer(argv[5], form.OutputFileName);
  std::vector<Slide> slides;
  for (size_t i = 0; i < pictures.size(); ++i)
    slides.push_back({pictures[i], 0, static_cast<int>(i % 7), std::stoi(argv[7])});

  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  const WriteResult result = form.WriteVideo(slides);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuStart;
  if (result != WriteResult::Written) return 1;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%d frames in %.2f s: %.1f frames/s; CPU %.0f%%; peak %.0f MB\n", form.frames, seconds,
              form.frames / seconds, 100 * cpu / seconds, usage.ru_maxrss / 1024.0);
  CoUninitialize();
  return 0;
}
