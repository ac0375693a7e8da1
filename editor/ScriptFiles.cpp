// Scripts: the slide show and its video settings in an INI file, read once when
// opened and written whole when saved.
#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "editor/Main.h"
#include "editor/PathParts.h"
#include "editor/UserDialogs.h"
#include "platform/imaging/ImageGlobals.h"
#include "platform/inifile/IniFile.h"
#include "platform/text/Utf8.h"
#include "platform/text/WideText.h"
#include "writer/CompressorQuality.h"

namespace {

constexpr const char* kGeneral = "General";

std::string PictureSection(int index) { return "Picture" + std::to_string(index); }

std::string ScriptName(const std::string& chosen) { return FileNameWithExtension(chosen, "INI"); }

// "0x" and at least six upper-case hexadecimal digits: 0x0000FF is pure red.
std::string ColorText(TColor color) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(static_cast<uint32_t>(color)));
  return text;
}

bool IsPictureFile(const std::string& name) {
  std::error_code ec;
  return !name.empty() && std::filesystem::is_regular_file(name, ec);
}

// The index of a picture section's name ("Picture12": 12), or -1 for another name.
int PictureIndex(std::string_view name) {
  constexpr std::string_view kPrefix = "Picture";
  if (!StartsWithIgnoringAsciiCase(name, kPrefix)) return -1;
  const std::string_view digits = name.substr(kPrefix.size());
  int index = -1;  // kept by a failed conversion
  std::from_chars(digits.data(), digits.data() + digits.size(), index);
  return std::to_string(index) == digits ? index : -1;
}

// The indices below the count that have a picture section, in number order: the
// numbers between them hold no picture, and a mistyped huge count must not keep
// the window busy for hours walking them.
std::vector<int> PictureSectionsToRead(const TIniFile& ini, int count) {
  std::vector<int> indices;
  for (const std::string& section : ini.ReadSections()) {
    const int index = PictureIndex(section);
    if (index >= 0 && index < count) indices.push_back(index);
  }
  std::sort(indices.begin(), indices.end());
  return indices;
}

}  // namespace

void TForm1::BtnSaveClick() {
  const std::optional<std::string> chosen = UserDialogs().SaveFile(
      {.title = "Save Script ", .filter = "Scriptfiles (*.ini)|*.INI", .fileName = "",
       .initialDir = INIPath, .defaultExt = "INI"});
  if (!chosen) return;
  INIPath = FolderOf(*chosen);

  const std::string script = ScriptName(*chosen);
  TIniFile ini(script);
  ini.WriteInteger(kGeneral, "FormatX", FormatX);
  ini.WriteInteger(kGeneral, "FormatY", FormatY);
  ini.WriteInteger(kGeneral, "Frames", Frames);
  ini.WriteString(kGeneral, "Compressor", WideBufferToText(CompressorName));
  ini.WriteInteger(kGeneral, "Quality", QualityPercent(Quality));
  ini.WriteInteger(kGeneral, "Keyframerate", KeyFrameRate);
  ini.WriteString(kGeneral, "SoundFile", WideBufferToText(SoundFileName));
  ini.WriteInteger(kGeneral, "Pictures", LBPictures->Count());
  for (int i = 0; i < LBPictures->Count(); ++i) {
    const TPictureItem& item = *LBPictures->Object(i);
    const std::string section = PictureSection(i);
    ini.WriteString(section, "Name", item.FileName);  // the entry's text, with its bytes as they are
    ini.WriteInteger(section, "Animation", item.Transition);
    ini.WriteInteger(section, "Displaytime", item.DisplayTime);
    ini.WriteString(section, "BkColor", ColorText(item.BkColor));
  }
  ini.UpdateFile();
  // Only a saved script is one a write must not replace.
  ScriptFileName = script;
  Modified = false;
}

void TForm1::BtnOpenClick() {
  // Not asked to insist on an existing file: a new name opens as an empty show.
  const std::vector<std::string> chosen = UserDialogs().OpenFiles(
      {.title = "Open Scriptfile", .filter = "Scriptdatei (*.ini)|*.INI", .fileName = "",
       .initialDir = INIPath, .defaultExt = "INI"});
  if (!chosen.empty()) {
    INIPath = FolderOf(chosen.front());
    TBusyState busy(*this);
    QApplication::processEvents();

    const std::string script = ScriptName(chosen.front());
    ScriptFileName = script;
    const TIniFile ini(script);
    Frames = ini.ReadInteger(kGeneral, "Frames", 25);
    FormatX = ini.ReadInteger(kGeneral, "FormatX", 320);
    FormatY = ini.ReadInteger(kGeneral, "FormatY", 240);
    TextToWideBuffer(ini.ReadString(kGeneral, "Compressor", ""), CompressorName);
    TextToWideBuffer(ini.ReadString(kGeneral, "SoundFile", ""), SoundFileName);
    Quality = QualityFromPercent(ini.ReadInteger(kGeneral, "Quality", 70));
    KeyFrameRate = ini.ReadInteger(kGeneral, "Keyframerate", 20);
    const std::vector<int> pictures = PictureSectionsToRead(ini, ini.ReadInteger(kGeneral, "Pictures", 0));

    LBPictures->ClearEntries();
    Modified = false;
    ImagePalette = nullptr;  // loads never make a palette (see ImageGlobals.h): nothing to free
    BtnTest->setEnabled(true);
    TListUpdate update(*LBPictures);
    for (const int i : pictures) {
      QApplication::processEvents();
      const std::string section = PictureSection(i);
      const std::string name = ini.ReadString(section, "Name", "");
      if (!IsPictureFile(name)) continue;  // skipped without a message; the later entries move up
      const int32_t transition = ini.ReadInteger(section, "Animation", 0);
      const int32_t displayTime = ini.ReadInteger(section, "Displaytime", 1);
      auto item = std::make_unique<TPictureItem>(name, ini.ReadInteger(section, "BkColor", 0));
      item->Transition = transition;
      item->DisplayTime = displayTime;
      LBPictures->AddEntry(name, std::move(item));
    }
  }
  if (!chosen.empty() && LBPictures->Count() > 0) {
    LBPictures->SetItemIndex(0);
    LBPictures->SetSelected(0, true);
    LBPicturesClick();
  }
  UpdateListButtons();
}
