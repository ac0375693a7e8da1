#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"
#include "platform/text/WideText.h"
#include "support/RegistryStore.h"
#include "writer/VideoWriterForm.h"
#include "writer/WriterProfiles.h"

namespace {

constexpr const char* kKey = "\\Software\\Korvane\\Vistrel";

// Screen 1280 x 1024; the controls limit what they take as a radio group of
// seven items and a 16-bit up-down do.
class EditorLikeForm : public VideoWriterForm {
 public:
  EditorLikeForm() : VideoWriterForm(EditorProfile) {}
  int top = -1000, left = -1000, displayTime = -1000, transition = -1000;
  TColor bkColor = -1000;
  std::function<void()> onReadLeft;  // runs when a save asks for the window's Left

  int SettingsTop() const override { return top; }
  void SetSettingsTop(int v) override { top = v; }
  int SettingsLeft() const override {
    if (onReadLeft) onReadLeft();
    return left;
  }
  void SetSettingsLeft(int v) override { left = v; }
  int ScreenWidth() const override { return 1280; }
  int ScreenHeight() const override { return 1024; }
  TColor SettingsBkColor() const override { return bkColor; }
  void SetSettingsBkColor(TColor c) override { bkColor = c; }
  int SettingsDisplayTime() const override { return displayTime; }
  void SetSettingsDisplayTime(int v) override { displayTime = static_cast<int16_t>(v); }
  int SettingsTransition() const override { return transition; }
  void SetSettingsTransition(int v) override { transition = std::clamp(v, -1, 6); }
  void SetSettingsCompressor(const std::string&) override {}
  void ShowGraphError(GraphStep, const std::string&) override {}
  void ShowWriteError(const std::string&) override {}
};

// Screen 1024 x 768; plain members that keep what they are given.
class ConsoleLikeForm : public VideoWriterForm {
 public:
  ConsoleLikeForm() : VideoWriterForm(ConsoleProfile) {}
  int top = -1000, left = -1000, DisplayTime = -1000, Transition = -1000;
  TColor BkColor = -1000;
  std::string Compressor = "unset";

  int SettingsTop() const override { return top; }
  void SetSettingsTop(int v) override { top = v; }
  int SettingsLeft() const override { return left; }
  void SetSettingsLeft(int v) override { left = v; }
  int ScreenWidth() const override { return 1024; }
  int ScreenHeight() const override { return 768; }
  TColor SettingsBkColor() const override { return BkColor; }
  void SetSettingsBkColor(TColor c) override { BkColor = c; }
  int SettingsDisplayTime() const override { return DisplayTime; }
  void SetSettingsDisplayTime(int v) override { DisplayTime = v; }
  int SettingsTransition() const override { return Transition; }
  void SetSettingsTransition(int v) override { Transition = v; }
  void SetSettingsCompressor(const std::string& text) override { Compressor = text; }
  void ShowGraphError(GraphStep, const std::string&) override {}
  void ShowWriteError(const std::string&) override {}
};

using Values = std::vector<std::pair<std::string, std::string>>;  // name, REGEDIT4 data

Values FullStore() {
  return {{"Top", "dword:00000064"},
          {"Left", "dword:000000c8"},
          {"Compressor", "\"Cinepak Codec by Radius\""},
          {"Compressor Quality", "dword:0000004b"},
          {"Compressor Keyframe rate", "dword:00000005"},
          {"FormatX", "dword:00000280"},
          {"FormatY", "dword:000001e0"},
          {"Frames", "dword:0000001e"},
          {"Max Diskspace", "dword:000001f4"},
          {"Debug", "dword:00000000"},
          {"JPGPath", "\"/home/u/pics/\""},
          {"INIPath", "\"/home/u/scripts/\""},
          {"AVIPath", "\"/home/u/videos/\""},
          {"SoundPath", "\"/home/u/sound/\""},
          {"BkColor", "dword:00ff8000"},
          {"DisplayTime", "dword:00000004"},
          {"Transition", "dword:00000002"}};
}

Values Without(Values v, const std::string& name) {
  std::erase_if(v, [&](const auto& e) { return e.first == name; });
  return v;
}

Values With(Values v, const std::string& name, const std::string& data) {
  for (auto& e : v) {
    if (e.first == name) e.second = data;
  }
  return v;
}

const std::vector<std::string> kWriteOrder = {
    "Compressor", "Compressor Quality", "Compressor Keyframe rate", "Top", "Left", "FormatX",
    "FormatY",    "Frames",             "Max Diskspace",            "Debug", "JPGPath", "INIPath",
    "AVIPath",    "SoundPath",          "BkColor",                  "DisplayTime", "Transition"};

class Settings : public RegistryStoreTest {
 protected:
  void Store(const Values& values) const {
    std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Korvane\\Vistrel]\n";
    for (const auto& [name, data] : values) text += "\"" + name + "\"=" + data + "\n";
    WriteStoreText(text + "\n");
  }

  static int32_t StoredInt(const std::string& name) {
    TRegistry reg;
    int32_t value = INT32_MIN;
    if (!reg.OpenKey(kKey, false) || reg.ReadInteger(name, value) != RegRead::Ok) ADD_FAILURE() << name;
    return value;
  }

  static std::string StoredText(const std::string& name) {
    TRegistry reg;
    std::string value = "<missing>";
    if (!reg.OpenKey(kKey, false) || reg.ReadString(name, value) != RegRead::Ok) ADD_FAILURE() << name;
    return value;
  }

  // Value names in the order the file holds them.
  std::vector<std::string> StoredNames() const {
    auto file = ParseRegFile(StoreText());
    std::vector<std::string> names;
    if (!file || file->keys.size() != 1) {
      ADD_FAILURE() << StoreText();
      return names;
    }
    for (const auto& v : file->keys[0].values) names.push_back(v.name);
    return names;
  }

  template <typename Form>
  static void ExpectDefaults(const Form& form, int frames) {
    EXPECT_EQ(std::u16string(form.CompressorName), u"Microsoft Video 1");
    EXPECT_EQ(form.Quality, 1.0);
    EXPECT_EQ(form.KeyFrameRate, 10);
    EXPECT_EQ(form.FormatX, 320);
    EXPECT_EQ(form.FormatY, 240);
    EXPECT_EQ(form.Frames, frames);
    EXPECT_EQ(form.MaxDiskspace, 300);
    EXPECT_FALSE(form.Debug);
  }
};

TEST_F(Settings, CompleteStoreLoadsIntoMembersAndHooks) {
  Store(With(FullStore(), "Debug", "dword:00000005"));
  EditorLikeForm form;
  form.LoadSettings();
  EXPECT_EQ(form.top, 100);
  EXPECT_EQ(form.left, 200);
  EXPECT_EQ(std::u16string(form.CompressorName), u"Cinepak Codec by Radius");
  EXPECT_DOUBLE_EQ(form.Quality, 0.75);
  EXPECT_EQ(form.KeyFrameRate, 5);
  EXPECT_EQ(form.FormatX, 640);
  EXPECT_EQ(form.FormatY, 480);
  EXPECT_EQ(form.Frames, 30);
  EXPECT_EQ(form.MaxDiskspace, 500);
  EXPECT_TRUE(form.Debug);  // any value but 0
  EXPECT_EQ(form.JPGPath, "/home/u/pics/");
  EXPECT_EQ(form.INIPath, "/home/u/scripts/");
  EXPECT_EQ(form.AVIPath, "/home/u/videos/");
  EXPECT_EQ(form.SoundPath, "/home/u/sound/");
  EXPECT_EQ(form.bkColor, 0x00ff8000);
  EXPECT_EQ(form.displayTime, 4);
  EXPECT_EQ(form.transition, 2);

  form.SaveSettings();  // everything comes back as it was, "Debug" as 1
  const std::string saved = StoreText();
  Store(With(FullStore(), "Debug", "dword:00000001"));
  EXPECT_EQ(saved, StoreText());
}

TEST_F(Settings, FirstStartCreatesTheKeyAppliesDefaultsAndWritesNothing) {
  EditorLikeForm editor;
  editor.LoadSettings();
  ExpectDefaults(editor, 25);
  EXPECT_EQ(editor.top, (1024 - 519) / 2);
  EXPECT_EQ(editor.left, (1280 - 758) / 2);
  EXPECT_EQ(editor.bkColor, 0);
  EXPECT_EQ(editor.displayTime, 1);
  EXPECT_EQ(editor.transition, 0);
  EXPECT_TRUE(editor.JPGPath.empty() && editor.INIPath.empty() && editor.AVIPath.empty() && editor.SoundPath.empty());
  EXPECT_EQ(StoreText(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Korvane\\Vistrel]\n\n");

  std::filesystem::remove(storeFile_);
  ConsoleLikeForm console;
  console.LoadSettings();
  ExpectDefaults(console, 15);
  EXPECT_EQ(console.top, (768 - 366) / 2);
  EXPECT_EQ(console.left, (1024 - 457) / 2);
  EXPECT_EQ(console.Compressor, "Microsoft Video 1");
  EXPECT_EQ(console.BkColor, 0);
  EXPECT_EQ(console.DisplayTime, 1);
  EXPECT_EQ(console.Transition, 0);
  EXPECT_TRUE(StoredNames().empty());
}

TEST_F(Settings, MissingFramesResetsEarlierValuesAndLeavesFoldersUnread) {
  Store(Without(FullStore(), "Frames"));
  EditorLikeForm form;
  form.JPGPath = "old-pics";
  form.INIPath = "old-scripts";
  form.AVIPath = "old-videos";
  form.SoundPath = "old-sound";
  form.LoadSettings();
  ExpectDefaults(form, 25);
  EXPECT_EQ(form.top, (1024 - 519) / 2);
  EXPECT_EQ(form.left, (1280 - 758) / 2);
  EXPECT_EQ(form.JPGPath, "old-pics");
  EXPECT_EQ(form.INIPath, "old-scripts");
  EXPECT_EQ(form.AVIPath, "old-videos");
  EXPECT_EQ(form.SoundPath, "old-sound");
  EXPECT_EQ(form.transition, 0);
}

TEST_F(Settings, MissingAVIPathReadsAsEmpty) {
  Store(Without(FullStore(), "AVIPath"));
  EditorLikeForm form;
  form.AVIPath = "old-videos";
  form.LoadSettings();
  EXPECT_EQ(form.AVIPath, "");
  EXPECT_EQ(form.Frames, 30);  // the pass went on
  EXPECT_EQ(form.transition, 2);
}

TEST_F(Settings, WrongTypesFailTheWholeLoad) {
  for (const auto& [name, data] : Values{{"FormatX", "\"320\""}, {"Compressor", "dword:00000001"},
                                         {"JPGPath", "hex:41,00"}, {"Transition", "\"2\""}}) {
    Store(With(FullStore(), name, data));
    ConsoleLikeForm form;
    form.LoadSettings();
    ExpectDefaults(form, 15);
    EXPECT_EQ(form.top, (768 - 366) / 2) << name;
    EXPECT_EQ(form.DisplayTime, 1) << name;
  }
}

TEST_F(Settings, EmptyOrMissingCompressorBecomesMicrosoftVideo1) {
  for (const Values& values : {With(FullStore(), "Compressor", "\"\""), Without(FullStore(), "Compressor")}) {
    Store(values);
    ConsoleLikeForm form;
    form.LoadSettings();
    EXPECT_EQ(form.Compressor, "Microsoft Video 1");
    EXPECT_EQ(std::u16string(form.CompressorName), u"Microsoft Video 1");
    EXPECT_EQ(form.Frames, 30);  // not a failed read
  }
}

TEST_F(Settings, QualityPercentSurvivesLoadsAndSaves) {
  for (int percent : {3, 29, 57, 100, 150, -5}) {
    Store(With(FullStore(), "Compressor Quality", "dword:" + [&] {
            char hex[9];
            snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(percent));
            return std::string(hex);
          }()));
    for (int round = 0; round < 2; ++round) {
      EditorLikeForm form;
      form.LoadSettings();
      EXPECT_DOUBLE_EQ(form.Quality, percent * 0.01);
      form.SaveSettings();
      EXPECT_EQ(StoredInt("Compressor Quality"), percent) << round;
    }
  }
}

TEST_F(Settings, QualityIsSavedAsTheNearestPercent) {
  const std::pair<double, int> cases[] = {{0.125, 13}, {-0.125, -13}, {0.994, 99}, {0.996, 100}, {0.2849, 28}};
  for (const auto& [quality, percent] : cases) {
    ConsoleLikeForm form;
    form.Quality = quality;
    form.SaveSettings();
    EXPECT_EQ(StoredInt("Compressor Quality"), percent) << quality;
  }
}

TEST_F(Settings, CompressorNameMustFitItsBuffer) {
  const std::string fits(159, 'c'), tooLong(160, 'c');
  Store(With(FullStore(), "Compressor", "\"" + fits + "\""));
  EditorLikeForm kept;
  kept.LoadSettings();
  EXPECT_EQ(WideBufferToText(kept.CompressorName), fits);
  kept.SaveSettings();
  EXPECT_EQ(StoredText("Compressor"), fits);

  Store(With(FullStore(), "Compressor", "\"" + tooLong + "\""));
  ConsoleLikeForm dropped;
  dropped.LoadSettings();
  EXPECT_EQ(dropped.CompressorName[0], 0);
  EXPECT_EQ(dropped.Compressor, tooLong);
  EXPECT_EQ(dropped.Frames, 30);  // not a failed read
  dropped.SaveSettings();
  EXPECT_EQ(StoredText("Compressor"), "");
}

TEST_F(Settings, EditorControlsLimitTheTransitionTheyTake) {
  for (const auto& [stored, written] : {std::pair{"dword:00000009", 6}, std::pair{"dword:fffffff9", -1}}) {
    Store(With(FullStore(), "Transition", stored));
    EditorLikeForm form;
    form.LoadSettings();
    EXPECT_EQ(form.transition, written);
    form.SaveSettings();
    EXPECT_EQ(StoredInt("Transition"), written);
  }
}

TEST_F(Settings, ConsoleKeepsWholeValuesAndDoesNotWriteThem) {
  Store(With(With(FullStore(), "Transition", "dword:00000009"), "DisplayTime", "dword:00011170"));
  ConsoleLikeForm form;
  form.LoadSettings();
  EXPECT_EQ(form.Transition, 9);
  EXPECT_EQ(form.DisplayTime, 70000);
  form.Transition = 3;
  form.DisplayTime = 5;
  form.BkColor = 0xff;
  form.FormatX = 800;
  form.SaveSettings();
  EXPECT_EQ(StoredInt("Transition"), 9);
  EXPECT_EQ(StoredInt("DisplayTime"), 70000);
  EXPECT_EQ(StoredInt("BkColor"), 0x00ff8000);
  EXPECT_EQ(StoredInt("FormatX"), 800);
}

TEST_F(Settings, EachProgramWritesItsValuesInOrder) {
  ConsoleLikeForm console;
  console.LoadSettings();
  console.DisplayTime = 9;  // -d and -t are never stored
  console.Transition = 3;
  console.SaveSettings();
  // The three the console does not save are added with its defaults, once.
  EXPECT_EQ(StoredNames(), kWriteOrder);
  EXPECT_EQ(StoredInt("Top"), (768 - 366) / 2);
  EXPECT_EQ(StoredInt("Frames"), 15);
  EXPECT_EQ(StoredInt("DisplayTime"), 1);
  EXPECT_EQ(StoredInt("Transition"), 0);

  // So a key that only the console has saved loads with the console's values.
  ConsoleLikeForm changed;
  changed.JPGPath = "/pics/";
  changed.FormatX = 640;
  changed.Frames = 15;
  changed.FormatY = 480;
  changed.SaveSettings();
  EditorLikeForm editor;
  editor.LoadSettings();
  EXPECT_EQ(editor.FormatX, 640);
  EXPECT_EQ(editor.JPGPath, "/pics/");

  std::filesystem::remove(storeFile_);
  EditorLikeForm fresh;
  fresh.LoadSettings();
  fresh.SaveSettings();
  EXPECT_EQ(StoredNames(), kWriteOrder);
  EXPECT_EQ(StoredInt("Transition"), 0);
  EXPECT_EQ(StoredInt("DisplayTime"), 1);
}

TEST_F(Settings, ConsoleKeepsWhatTheEditorSavedAndStoresNoValueThatNoWriteWouldTake) {
  Store(FullStore());  // 640 x 480 at 30
  ConsoleLikeForm console;
  console.LoadSettings();
  console.BkColor = 0;
  console.DisplayTime = 9;
  console.FormatX = 0;
  console.Frames = 0;
  console.SaveSettings();
  EXPECT_EQ(StoredInt("BkColor"), 0xff8000);
  EXPECT_EQ(StoredInt("DisplayTime"), 4);
  EXPECT_EQ(StoredInt("Transition"), 2);
  EXPECT_EQ(StoredInt("FormatX"), 640);
  EXPECT_EQ(StoredInt("FormatY"), 480);  // a refused size keeps both sides
  EXPECT_EQ(StoredInt("Frames"), 30);

  std::filesystem::remove(storeFile_);
  console.FormatY = -5;
  console.Frames = 100000;
  console.SaveSettings();  // a store without them gets the defaults
  EXPECT_EQ(StoredInt("FormatX"), 320);
  EXPECT_EQ(StoredInt("FormatY"), 240);
  EXPECT_EQ(StoredInt("Frames"), 15);
}

TEST_F(Settings, UnwritableStoreFailsAtCompressorAndLoadsDefaults) {
  std::ofstream(dir_.file("plain")) << "a file, not a folder";
  UseStoreFile(dir_.file("plain") + "/registry.reg");
  EditorLikeForm form;
  EXPECT_NO_THROW(form.LoadSettings());
  ExpectDefaults(form, 25);
  try {
    form.SaveSettings();
    FAIL() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.what(), "Fehler beim Setzen der Daten f\xC3\xBCr 'Compressor'\n" + storeFile_ + ": Not a directory");
  }
}

TEST_F(Settings, ASaveIsOneUpdateThatStoresAllValuesOrNone) {
  Store(FullStore());
  EditorLikeForm form;
  form.LoadSettings();
  form.top = 7;
  form.left = 8;
  form.Quality = 0.4;
  form.FormatX = 1024;
  // The store stops taking values midway through the save.
  form.onReadLeft = [this] { std::filesystem::permissions(storeFile_, std::filesystem::perms::owner_read); };
  try {
    form.SaveSettings();
    FAIL() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.what(), "Fehler beim Setzen der Daten f\xC3\xBCr 'Compressor'\n" + storeFile_ + ": Permission denied");
  }
  EXPECT_EQ(StoredInt("Compressor Quality"), 75);
  EXPECT_EQ(StoredInt("Top"), 100);
  EXPECT_EQ(StoredInt("Left"), 200);
  EXPECT_EQ(StoredInt("FormatX"), 640);

  std::filesystem::permissions(storeFile_, std::filesystem::perms::owner_all);
  int32_t topMidway = 0;  // what a save ended midway (by a signal) leaves
  form.onReadLeft = [&] { topMidway = StoredInt("Top"); };
  form.SaveSettings();
  EXPECT_EQ(topMidway, 100);
  EXPECT_EQ(StoredInt("Top"), 7);
}

TEST_F(Settings, AnotherProgramsValuesSurviveASave) {
  Store(FullStore());
  EditorLikeForm form;
  form.LoadSettings();
  {
    TRegistry other;  // the console, say, stores its run meanwhile
    ASSERT_TRUE(other.OpenKey(kKey, false));
    other.WriteInteger("Transition", 5);
    other.WriteString("Extra", "kept");
  }
  form.FormatY = 576;
  form.SaveSettings();
  EXPECT_EQ(StoredText("Extra"), "kept");
  EXPECT_EQ(StoredInt("FormatY"), 576);
  EXPECT_EQ(StoredInt("Transition"), 2);  // the editor's own value, written last
}

TEST_F(Settings, DamagedStoreLoadsDefaultsAndIsKept) {
  const std::string damaged = "[HKEY_CURRENT_USER\\Software\\Korvane\\Vistrel]\n\"Top\"=dword:00000001\n";
  WriteStoreText(damaged);
  ConsoleLikeForm form;
  form.LoadSettings();
  ExpectDefaults(form, 15);
  std::ifstream backup(storeFile_ + ".bak", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(backup), {}), damaged);
  form.SaveSettings();
  EXPECT_EQ(StoredInt("Frames"), 15);
}

}  // namespace
