// Writes a 20-picture show with every transition and reports frames per second
// with the share of each stage. Not a test: run it through scripts/benchmark.sh.
//
//   vistrel_bench <picture folder> <width> <height> <compressor> <output.avi>
//
// Prints one line: frames, seconds, frames per second and the stage shares.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/com/ComRegistry.h"
#include "platform/gdi/Bitmap.h"
#include "platform/imaging/JpegLoader.h"
#include "platform/pusher/SamplePusher.h"
#include "platform/text/WideText.h"
#include "writer/DrawPicture.h"
#include "writer/FrameFormat.h"
#include "writer/PlainSettingsForm.h"
#include "writer/WriterProfiles.h"
#include "console/ScanPictureFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Times the steps of the real frame loop through its hooks: a push runs from
// the frame being shown to FramePushed, a transition frame is computed between
// the previous push and the frame being shown.
class BenchForm : public PlainSettingsForm {
 public:
  BenchForm() : PlainSettingsForm(EditorProfile) {}

  double push = 0;        // encode and mux
  double transition = 0;  // transition frames computed, without the first of each picture
  double firstStep = 0;   // each picture drawn, plus its first transition frame
  int frames = 0;

 protected:
  void PictureStarted(int, int) override {
    mark_ = Clock::now();
    first_ = true;
  }
  void ShowTransitionFrame(const Bitmap&) override {
    const auto now = Clock::now();
    (first_ ? firstStep : transition) += Seconds(now - mark_);
    first_ = false;
    mark_ = now;
  }
  void ShowHoldFrame(const Bitmap&) override {
    const auto now = Clock::now();
    if (first_) firstStep += Seconds(now - mark_);  // no transition: the picture was drawn
    mark_ = now;
  }
  void FramePushed() override {
    const auto now = Clock::now();
    push += Seconds(now - mark_);
    mark_ = now;
    ++frames;
  }
  void ShowWriteError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  void ShowGraphError(GraphStep, const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }

 private:
  Clock::time_point mark_;
  bool first_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s FOLDER WIDTH HEIGHT COMPRESSOR OUTPUT.avi\n", argv[0]);
    return 2;
  }
  std::error_code scanError;
  const std::vector<std::string> pictures = ScanPictureFolder(argv[1], scanError);
  const int width = std::stoi(argv[2]);
  const int height = std::stoi(argv[3]);
  if (pictures.empty()) {
    std::fprintf(stderr, "no pictures in %s\n", argv[1]);
    return 2;
  }
  CoInitialize(nullptr);
  RegisterSamplePusher();

  // Decoding and drawing happen once per picture; measure them apart.
  double decode = 0;
  double render = 0;
  {
    BITMAPINFO header;
    int64_t duration;
    FillFrameFormat(header, duration, width, height, 25);
    std::vector<uint8_t> bits(header.bmiHeader.biSizeImage);
    for (const std::string& picture : pictures) {
      const auto start = Clock::now();
      const auto loaded = LoadJpegFile(picture);
      const auto decoded = Clock::now();
      RenderToDIB(picture, 0, bits.data(), header);
      decode += Seconds(decoded - start);
      render += Seconds(Clock::now() - decoded);
    }
  }
  const double draw = render - decode;

  BenchForm form;
  form.FormatX = width;
  form.FormatY = height;
  form.Frames = 25;
  form.Quality = 0.9;
  form.KeyFrameRate = 25;
  TextToWideBuffer(argv[4], form.CompressorName);
  TextToWideBuffer(argv[5], form.OutputFileName);
  std::vector<Slide> slides;
  for (size_t i = 0; i < pictures.size(); ++i)
    slides.push_back({pictures[i], 0, static_cast<int>(i % 7), 1});  // every kind in turn, one second each

  const auto start = Clock::now();
  const WriteResult result = form.WriteVideo(slides);
  const double total = Seconds(Clock::now() - start);
  if (result != WriteResult::Written) return 1;

  // The first transition step of a picture also drew it: take the drawing off.
  const double firstTransitionFrames = std::max(0.0, form.firstStep - render);
  const double transition = form.transition + firstTransitionFrames;
  const double other = std::max(0.0, total - decode - draw - transition - form.push);
  auto share = [&](double part) { return 100.0 * part / total; };
  std::printf("%d frames in %.2f s: %.1f frames/s; decode %.0f%%, draw %.0f%%, transition %.0f%%, "
              "encode+mux %.0f%%, other %.0f%%\n",
              form.frames, total, form.frames / total, share(decode), share(draw), share(transition),
              share(form.push), share(other));
  CoUninitialize();
  return 0;
}
