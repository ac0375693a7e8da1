#include "DrawPicture.h"
#include "FrameBuffers.h"
#include "FrameFormat.h"
#include "VideoWriterForm.h"
#include "HresultText.h"
#include "OutputFileProblem.h"
#include "platform/pusher/SamplePusher.h"
#include "platform/text/WideText.h"

#include <sys/stat.h>

#include <future>
#include <system_error>

namespace {

// The frames a picture is held for: its display time in seconds, at least one frame.
int64_t HoldCount(int displayTime, int frames) {
  return displayTime > 0 ? static_cast<int64_t>(displayTime) * frames : 1;
}

// Releases the writing graph however the write leaves its scope, an exception
// included: stopping the graph completes the file with the frames pushed so far.
class GraphRelease {
 public:
  explicit GraphRelease(VideoWriterForm& form) : form_(form) {}
  ~GraphRelease() { form_.ReleaseGraph(); }
  GraphRelease(const GraphRelease&) = delete;
  GraphRelease& operator=(const GraphRelease&) = delete;

 private:
  VideoWriterForm& form_;
};

}  // namespace

std::vector<std::string> VideoWriterForm::FilesRead(const std::vector<Slide>& slides,
                                                    const std::vector<std::string>& alsoRead) const {
  std::vector<std::string> files = alsoRead;
  for (const Slide& slide : slides) files.push_back(slide.FileName);
  if (Profile().hasSoundStep && SoundFileName[0]) files.push_back(WideBufferToText(SoundFileName));
  if (Registry) files.push_back(Registry->FileName().string());
  return files;
}

void VideoWriterForm::PushFrame(const Bitmap& frame) {
  if (WriteError != S_OK) return;
  // Going on after a failed write would only repeat the failure for every frame left.
  WriteError = Pusher->PushSample(frame.bits(), &FrameHeader, FrameDuration);
  if (WriteError == S_OK) FramePushed();
}

WriteResult VideoWriterForm::WriteVideo(const std::vector<Slide>& slides, const std::vector<std::string>& alsoRead) {
  const std::string output = WideBufferToText(OutputFileName);
  // Before anything is opened: opening a FIFO would block, and a file read would be replaced.
  if (const std::string problem = OutputFileProblem(output, FilesRead(slides, alsoRead)); !problem.empty()) {
    ShowWriteError(problem);
    return WriteResult::NotStarted;
  }
  if (const std::string problem = FrameFormatProblem(FormatX, FormatY, Frames); !problem.empty()) {
    ShowWriteError(problem);
    return WriteResult::NotStarted;
  }
  FillFrameFormat(FrameHeader, FrameDuration, FormatX, FormatY, Frames);

  // Made before the graph, so that frames too large for memory leave no empty file behind.
  auto buffers = MakeFrameBuffers(FrameHeader);
  if (!buffers) {
    ShowWriteError("Cannot write AVI: there is not enough memory for frames of " + std::to_string(FormatX) + "x" +
                   std::to_string(FormatY) + ".");
    return WriteResult::NotStarted;
  }

  // The message says what a failed write left: the old file, or the new one as far as written.
  struct stat before{};
  const bool replacing = stat(output.c_str(), &before) == 0;
  const HRESULT built = BuildWriteGraph();
  if (built != S_OK) {
    ShowWriteError(HresultText("Error 0x%1x writing AVI. DirectX installed ?", built));
    ReleaseGraph();
    return WriteResult::NotStarted;
  }

  bool aborted = false;
  {
    const GraphRelease release(*this);
    WriteSlides(slides, *buffers);
    aborted = AbortRequested.load(std::memory_order_relaxed) != 0;
    buffers.reset();
  }
  AbortRequested.store(0, std::memory_order_relaxed);

  if (WriteError != S_OK) {
    struct stat after{};
    const bool kept = replacing && stat(output.c_str(), &after) == 0 && after.st_dev == before.st_dev &&
                      after.st_ino == before.st_ino;
    ShowWriteError(HresultText("Error 0x%1x writing AVI ", WriteError) + OutputFailure(WriteErrorReason) +
                   (kept ? ". The old file was kept." : ". The file is incomplete."));
    return WriteResult::WriteFailed;
  }
  return aborted ? WriteResult::Aborted : WriteResult::Written;
}

void VideoWriterForm::WriteSlides(const std::vector<Slide>& slides, FrameBuffers& buffers) {
  const JpegDecoding decoding = SerialWriting ? JpegDecoding::Whole : JpegDecoding::Reduced;
  // The next picture is drawn on another thread while this one's frames are
  // written; without room for its frame, each is drawn in turn.
  std::unique_ptr<Bitmap> ahead = SerialWriting ? nullptr : CreateDIBSection(FrameHeader);
  // Waited for before ahead is freed, also when an exception leaves.
  std::future<void> drawn;
  auto drawAhead = [&](int i) {
    auto draw = [&, &slide = slides[i], bits = ahead->bits()] {
      RenderToDIB(slide.FileName, slide.BkColor, bits, FrameHeader, decoding);
    };
    try {
      drawn = std::async(std::launch::async, draw);
    } catch (const std::system_error&) {
      draw();  // no thread for it: drawn now, the same picture
    }
  };

  AbortRequested.store(0, std::memory_order_relaxed);
  const bool abortAfterEveryFrame = Profile().abortAfterEveryFrame;
  const int count = static_cast<int>(slides.size());
  if (ahead && count > 0) drawAhead(0);
  for (int i = 0; i < count && !AbortRequested.load(std::memory_order_relaxed) && WriteError == S_OK; ++i) {
    const Slide& slide = slides[i];
    PictureStarted(i, count);
    if (ahead) {
      if (drawn.valid()) drawn.get();
      // NEW's last picture lives on in PREV.
      std::swap(buffers.NEW, ahead);
      if (i + 1 < count) drawAhead(i + 1);
    } else {
      RenderToDIB(slide.FileName, slide.BkColor, buffers.NEW->bits(), FrameHeader, decoding);
    }
    RenderTransition(slide.Transition, buffers);

    const int64_t holdCount = HoldCount(slide.DisplayTime, Frames);
    CopyFrame(*buffers.NEW, *buffers.OUT);
    ShowHoldFrame(*buffers.OUT);
    CopyFrame(*buffers.NEW, *buffers.PREV);
    for (int64_t k = 0; k < holdCount; ++k) {
      PushFrame(*buffers.OUT);
      if (WriteError != S_OK || (abortAfterEveryFrame && AbortRequested.load(std::memory_order_relaxed))) break;
    }
  }
  if (drawn.valid()) drawn.wait();
}
