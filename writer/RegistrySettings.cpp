// LoadSettings and SaveSettings of both programs: the seventeen values under
// HKEY_CURRENT_USER\Software\Korvane\Vistrel.
#include <cstdint>

#include "platform/text/WideText.h"
#include "writer/CompressorQuality.h"
#include "writer/VideoWriterForm.h"

namespace {

constexpr const char* kSettingsKey = "\\Software\\Korvane\\Vistrel";
constexpr const char* kDefaultCompressor = "Microsoft Video 1";

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
    FormatX = 320;
    FormatY = 240;
    Frames = Profile().defaultFrames;
    MaxDiskspace = 300;
    Debug = false;
    SetSettingsBkColor(0);
    SetSettingsDisplayTime(1);
    SetSettingsTransition(0);
  }
  SetSettingsCompressor(compressor);
  TextToWideBuffer(compressor, CompressorName);  // a name that does not fit leaves it empty
  Registry->CloseKey();
}

void VideoWriterForm::SaveSettings() {
  Registry->OpenKey(kSettingsKey, true);  // a key that did not open fails the first write
  TRegistry& reg = *Registry;
  // In the order of writing; the console stores only the first fourteen.
  const int count = Profile().settingsWritten;
  for (int i = 0; i < count && i < 17; ++i) {
    switch (i) {
      case 0: reg.WriteString("Compressor", WideBufferToText(CompressorName)); break;
      case 1: reg.WriteInteger("Compressor Quality", QualityPercent(Quality)); break;
      case 2: reg.WriteInteger("Compressor Keyframe rate", KeyFrameRate); break;
      case 3: reg.WriteInteger("Top", SettingsTop()); break;
      case 4: reg.WriteInteger("Left", SettingsLeft()); break;
      case 5: reg.WriteInteger("FormatX", FormatX); break;
      case 6: reg.WriteInteger("FormatY", FormatY); break;
      case 7: reg.WriteInteger("Frames", Frames); break;
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
  Registry->CloseKey();
}
