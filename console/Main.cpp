#include "Main.h"

#include "platform/com/ComRegistry.h"
#include "platform/console/ConsoleWrite.h"
#include "platform/dshow/SystemClasses.h"
#include "platform/imaging/ImageGlobals.h"
#include "platform/pusher/SamplePusher.h"
#include "platform/registry/Registry.h"
#include "writer/WriterProfiles.h"

std::atomic<TForm1*> Form1{nullptr};

namespace {

// A message of several lines: each one after the first starts at the left.
std::string LinesAtTheLeft(const std::string& text) {
  std::string lines;
  for (const char c : text) lines += c == '\n' ? std::string("\n\r") : std::string(1, c);
  return lines;
}

}  // namespace

TForm1::TForm1(std::vector<std::string> arguments)
    : PlainSettingsForm(ConsoleProfile), arguments_(std::move(arguments)) {
  CoInitialize(nullptr);
  RegisterSystemClasses();
  RegisterSamplePusher();
  // No display: frames are always drawn at full colour.
  ImageColorDepth = 24;
}

bool TForm1::FormDestroy() {
  ReleaseGraph();
  try {
    SaveSettings();
  } catch (const ERegistryException& e) {
    // No message box here: the console is the only place the user looks.
    ConsoleWrite("\n\r" + LinesAtTheLeft(e.what()));
    return false;
  }
  Registry.reset();
  CoUninitialize();
  return true;
}

void TForm1::PictureStarted(int index, int count) {
  ConsoleDeleteLine();
  ConsoleWrite("\rProcessing image " + std::to_string(index + 1) + " of " + std::to_string(count) + "...");
}

void TForm1::ShowWriteError(const std::string& text) { ConsoleWrite(text); }

void TForm1::ShowGraphError(GraphStep step, const std::string& text) {
  // Only the rendering message ends its line, with a line feed alone.
  ConsoleWrite(step == GraphStep::RenderGraph ? LinesAtTheLeft(text) + "\n" : LinesAtTheLeft(text));
}
