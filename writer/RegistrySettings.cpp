// LoadSettings and SaveSettings of both programs: the seventeen values under
// HKEY_CURRENT_USER\Software\Korvane\Vistrel.
#include <cstdint>

#include "platform/text/WideText.h"
#include "writer/CompressorQuality.h"
#include "writer/FrameFormat.h"
#include "writer/VideoWriterForm.h"

namespace {

constexpr const char* kSettingsKey = "\\Software\\Korvane\\Vistrel";
constexpr const char* kDefaultCompressor = "Microsoft Video 1";
constexpr int kDefaultFormatX = 320;
constexpr int kDefaultFormatY = 240;
constexpr TColor kDefaultBkColor = 0;
constexpr int kDefaultDisplayTime = 1;
constexpr int kDefaultTransition = 0;

// A failed read ends the pass; the caller then applies the defaults.
struct ReadFailed {};

int ReadInt(const TRegistry& reg, const char* name) {
  int32_t value = 0;
  if (reg.ReadInteger(name, value) != RegRead::Ok) throw ReadFailed{};
  return value;
}

// A missing text reads as empty; only a text of another type fails.
std::string ReadText(const TRegistry& reg, const char* name) {
  std::string value;
  const RegRead result = reg.ReadString(name, value);
  if (result == RegRead::Missing) return {};
  if (result != RegRead::Ok) throw ReadFailed{};
  return value;
}

// A value that no write would take is not stored: the store keeps what it holds,
// and one without the value gets fallback, so that the next load succeeds.
void WriteUnlessRefused(TRegistry& reg, const char* name, int value, bool refused, int fallback) {
  if (refused)
    reg.WriteIntegerWhenMissing(name, fallback);
  else
    reg.WriteInteger(name, value);
}

}  // namespace

void VideoWriterForm::LoadSettings() {
  std::string compressor;
  bool complete = false;
  try {
    Registry->OpenKey(kSettingsKey, true);  // a key that did not open fails the first read
    const TRegistry& reg = *Registry;
    SetSettingsTop(ReadInt(reg, "Top"));
    SetSettingsLeft(ReadInt(reg, "Left"));
    compressor = ReadText(reg, "Compressor");
    if (compressor.empty()) compressor = kDefaultCompressor;
    Quality = QualityFromPercent(ReadInt(reg, "Compressor Quality"));
    KeyFrameRate = ReadInt(reg, "Compressor Keyframe rate");
    FormatX = ReadInt(reg, "FormatX");
    FormatY = ReadInt(reg, "FormatY");
    Frames = ReadInt(reg, "Frames");
    MaxDiskspace = ReadInt(reg, "Max Diskspace");
    Debug = ReadInt(reg, "Debug") != 0;
    JPGPath = ReadText(reg, "JPGPath");
    INIPath = ReadText(reg, "INIPath");
    AVIPath = ReadText(reg, "AVIPath");
    SoundPath = ReadText(reg, "SoundPath");
    SetSettingsBkColor(ReadInt(reg, "BkColor"));
    SetSettingsDisplayTime(ReadInt(reg, "DisplayTime"));
    SetSettingsTransition(ReadInt(reg, "Transition"));
    complete = true;
  } catch (...) {
    // Every value but the folders falls back, also those this pass already read.
  }
  if (!complete) {
    SetSettingsTop((ScreenHeight() - Profile().windowHeight) / 2);
    SetSettingsLeft((ScreenWidth() - Profile().windowWidth) / 2);
    compressor = kDefaultCompressor;
    Quality = 1.0;
    KeyFrameRate = 10;
    FormatX = kDefaultFormatX;
    FormatY = kDefaultFormatY;
    Frames = Profile().defaultFrames;
    MaxDiskspace = 300;
    Debug = false;
    SetSettingsBkColor(kDefaultBkColor);
    SetSettingsDisplayTime(kDefaultDisplayTime);
    SetSettingsTransition(kDefaultTransition);
  }
  SetSettingsCompressor(compressor);
  TextToWideBuffer(compressor, CompressorName);  // a name that does not fit leaves it empty
  Registry->CloseKey();
}

void VideoWriterForm::SaveSettings() {
  Registry->OpenKey(kSettingsKey, true);  // a key that did not open fails the first write
  TRegistry& reg = *Registry;
  const bool sizeRefused = !FrameFormatProblem(FormatX, FormatY, 1).empty();
  const bool rateRefused = !FrameFormatProblem(1, 1, Frames).empty();
  // One update of the store: a save cut short by a signal or a crash leaves
  // all the old values or all the new, never a mix.
  reg.WriteTogether([&] {
    // In the order of writing; the console stores only the first fourteen.
    const int count = Profile().settingsWritten;
    for (int i = 0; i < count && i < 17; ++i) {
      switch (i) {
        case 0: reg.WriteString("Compressor", WideBufferToText(CompressorName)); break;
        case 1: reg.WriteInteger("Compressor Quality", QualityPercent(Quality)); break;
        case 2: reg.WriteInteger("Compressor Keyframe rate", KeyFrameRate); break;
        case 3: reg.WriteInteger("Top", SettingsTop()); break;
        case 4: reg.WriteInteger("Left", SettingsLeft()); break;
        case 5: WriteUnlessRefused(reg, "FormatX", FormatX, sizeRefused, kDefaultFormatX); break;
        case 6: WriteUnlessRefused(reg, "FormatY", FormatY, sizeRefused, kDefaultFormatY); break;
        case 7: WriteUnlessRefused(reg, "Frames", Frames, rateRefused, Profile().defaultFrames); break;
        case 8: reg.WriteInteger("Max Diskspace", MaxDiskspace); break;
        case 9: reg.WriteInteger("Debug", Debug ? 1 : 0); break;
        case 10: reg.WriteString("JPGPath", JPGPath); break;
        case 11: reg.WriteString("INIPath", INIPath); break;
        case 12: reg.WriteString("AVIPath", AVIPath); break;
        case 13: reg.WriteString("SoundPath", SoundPath); break;
        case 14: reg.WriteInteger("BkColor", SettingsBkColor()); break;
        case 15: reg.WriteInteger("DisplayTime", SettingsDisplayTime()); break;
        case 16: reg.WriteInteger("Transition", SettingsTransition()); break;
      }
    }
    // Without these three every later load would fail and fall back to the
    // defaults; a program that does not save them adds its defaults once.
    if (count < 17) {
      reg.WriteIntegerWhenMissing("BkColor", kDefaultBkColor);
      reg.WriteIntegerWhenMissing("DisplayTime", kDefaultDisplayTime);
      reg.WriteIntegerWhenMissing("Transition", kDefaultTransition);
    }
  });
  Registry->CloseKey();
}
