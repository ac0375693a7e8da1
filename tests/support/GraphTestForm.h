// A writer form for graph tests: records the build's error texts instead of
// showing them, and frames with a known pattern in the pushed layout.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "TestWriterForm.h"

class GraphTestForm : public TestWriterForm {
 public:
  explicit GraphTestForm(bool soundStep = true);
  ~GraphTestForm() override;

  // The frame format and duration as the frame loop sets them.
  void SetFormat(int width, int height, int framesPerSecond);
  void SetOutput(const std::string& path);
  void SetSound(const std::string& path);

  // Pushes frames first .. first + count - 1 of the test pattern.
  void PushFrames(int first, int count);
};

// Bottom-up rows of DibStride24(width) bytes, padding filled with junk that must
// not reach the file.
std::vector<uint8_t> PatternFrame(int width, int height, int frame);
// The same picture as top-down rows without padding (what ffmpeg decodes).
std::vector<uint8_t> PatternTopDown(int width, int height, int frame);

// COM initialised and the push source registered for one test.
class ComSession {
 public:
  ComSession();
  ~ComSession();
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;
};
