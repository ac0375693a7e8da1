#include <gtest/gtest.h>

#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "EditorFixture.h"
#include "platform/inifile/IniFile.h"
#include "platform/text/WideText.h"
#include "support/PictureFiles.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& name) {
  std::stringstream s;
  s << std::ifstream(name, std::ios::binary).rdbuf();
  return s.str();
}

class ScriptFiles : public EditorTest {
 protected:
  // Taller than the frame, so that its preview shows the background at the sides.
  std::string TallPicture(const std::string& name) {
    const std::string path = dir_.file(name);
    WriteBmp24(path, 4, 8, [](int, int) { return Rgb{200, 200, 200}; });
    return path;
  }
  void Open(const std::string& name) {
    dialogs_->openAnswers.push_back({name});
    form_->BtnOpenClick();
  }
  void Save(const std::string& name) {
    dialogs_->saveAnswers.push_back(name);
    form_->BtnSaveClick();
  }
  bool ListButtonsEnabled() const {
    return form_->BtnDeletePic->isEnabled() && form_->BtnSave->isEnabled() && form_->BtnWriteVideo->isEnabled();
  }
};

TEST_F(ScriptFiles, HandWrittenScriptOpensAndSavesBackKeepingWhatItDoesNotKnow) {
  StartEditor();
  const std::string a = TallPicture("a.bmp");
  const std::string c = TallPicture("c\xE9.bmp");  // a Latin-1 name: bytes, not UTF-8
  const std::string script = dir_.file("show.ini");
  std::ofstream(script, std::ios::binary)
      << "; my show\r\n[GENERAL]\r\nformatx=0x280\r\nFormatY=480\r\nFrames=x0A\r\nCompressor=MJPEG Compressor\r\n"
         "Quality=70\r\nKeyframerate=-3\r\nPictures=3\r\nAuthor=me\r\n\r\n"
         "[Picture0]\r\nName=" + a + "\r\nAnimation=1\r\nDisplaytime=4\r\nBkColor=0x0000ff\r\n\r\n"
         "[Picture1]\r\nName=" + dir_.file("gone.bmp") + "\r\n\r\n"
         "[Picture2]\r\nName=" + c + "\r\nBkColor=255\r\n";
  form_->Modified = true;
  Open(script);

  EXPECT_EQ(form_->FormatX, 640);
  EXPECT_EQ(form_->FormatY, 480);
  EXPECT_EQ(form_->Frames, 10);
  EXPECT_EQ(WideBufferToText(form_->CompressorName), "MJPEG Compressor");
  EXPECT_DOUBLE_EQ(form_->Quality, 0.70);
  EXPECT_EQ(form_->KeyFrameRate, -3);
  EXPECT_EQ(form_->SoundFileName[0], u'\0');
  EXPECT_EQ(form_->INIPath, dir_.path().string() + "/");
  EXPECT_FALSE(form_->Modified);
  EXPECT_TRUE(form_->BtnTest->isEnabled());
  EXPECT_TRUE(ListButtonsEnabled());
  ASSERT_EQ(form_->LBPictures->Count(), 2);  // the missing second picture is skipped
  const TPictureItem& first = *form_->LBPictures->Object(0);
  const TPictureItem& second = *form_->LBPictures->Object(1);
  EXPECT_EQ(first.FileName, a);
  EXPECT_EQ(second.FileName, c);
  EXPECT_EQ(first.Transition, 1);
  EXPECT_EQ(first.DisplayTime, 4);
  EXPECT_EQ(second.Transition, 0);
  EXPECT_EQ(second.DisplayTime, 1);
  EXPECT_EQ(first.BkColor, 0x0000FF);
  EXPECT_EQ(second.BkColor, 0x0000FF);
  EXPECT_EQ(PixelOf(*first.Preview, 0, 0), (Rgb{255, 0, 0}));  // letter-boxed on red
  EXPECT_TRUE(form_->LBPictures->Selected(0));

  form_->Modified = true;
  Save(script);
  EXPECT_FALSE(form_->Modified);
  const std::string saved = Slurp(script);
  for (const char* kept : {"; my show\r\n", "formatx=640\r\n", "Author=me\r\n", "Keyframerate=-3\r\n",
                           "Pictures=2\r\n", "Frames=10\r\n", "Quality=70\r\n", "SoundFile=\r\n"})
    EXPECT_NE(saved.find(kept), std::string::npos) << kept << " in\n" << saved;
  const TIniFile ini(script);
  EXPECT_EQ(ini.ReadString("Picture1", "Name", ""), c);
  EXPECT_EQ(ini.ReadString("Picture1", "BkColor", ""), "0x0000FF");
  EXPECT_EQ(ini.ReadString("Picture0", "Animation", ""), "1");
  EXPECT_EQ(ini.ReadString("Picture2", "Name", ""), c);  // the old third section, left unread

  Open(script);
  ASSERT_EQ(form_->LBPictures->Count(), 2);
  EXPECT_EQ(form_->LBPictures->Object(1)->FileName, c);
}

TEST_F(ScriptFiles, ANameWithoutExtensionIsAnIniScriptAndAMissingOneGivesTheDefaults) {
  StartEditor();
  Open(TallPicture("p.bmp"));  // not a script: every key takes its default
  EXPECT_EQ(form_->LBPictures->Count(), 0);
  Open(dir_.file("new"));
  EXPECT_EQ(form_->FormatX, 320);
  EXPECT_EQ(form_->FormatY, 240);
  EXPECT_EQ(form_->Frames, 25);
  EXPECT_DOUBLE_EQ(form_->Quality, 0.70);
  EXPECT_EQ(form_->KeyFrameRate, 20);
  EXPECT_EQ(form_->CompressorName[0], u'\0');
  EXPECT_TRUE(form_->BtnTest->isEnabled());
  EXPECT_FALSE(form_->BtnDeletePic->isEnabled() || form_->BtnSave->isEnabled() || form_->BtnWriteVideo->isEnabled());

  Save(dir_.file("new"));  // an empty show
  EXPECT_EQ(Slurp(dir_.file("new.INI")),
            "[General]\nFormatX=320\nFormatY=240\nFrames=25\nCompressor=\nQuality=70\nKeyframerate=20\n"
            "SoundFile=\nPictures=0\n");
  EXPECT_FALSE(fs::exists(dir_.file("new")));
  EXPECT_EQ(dialogs_->saveRequests.back().title, "Save Script ");
  EXPECT_EQ(dialogs_->saveRequests.back().initialDir, dir_.path().string() + "/");

  // A negative count reads no section; a mistyped huge one reads those the file holds.
  const std::string counted = dir_.file("counted.ini");
  for (const auto& [count, entries] : {std::pair{"-2", 0}, std::pair{"2000000000", 1}}) {
    std::ofstream(counted) << "[General]\nPictures=" << count << "\n[Picture0]\nName=" << TallPicture("n.bmp");
    Open(counted);
    EXPECT_EQ(form_->LBPictures->Count(), entries) << count;
  }

  // A frame rate below 1 opens; the write refuses it with the frame loop's message.
  std::ofstream(dir_.file("still.ini")) << "[General]\nFrames=0\nPictures=1\n[Picture0]\nName=" << TallPicture("s.bmp");
  Open(dir_.file("still.ini"));
  EXPECT_EQ(form_->Frames, 0);
  dialogs_->saveAnswers.push_back(dir_.file("still.avi"));
  form_->BtnWriteVideoClick();
  ASSERT_EQ(dialogs_->errors.size(), 1u);
  EXPECT_NE(dialogs_->errors[0].find("Cannot write AVI"), std::string::npos) << dialogs_->errors[0];
  EXPECT_FALSE(fs::exists(dir_.file("still.avi")));

  // Cancelled dialogs change nothing but the three buttons.
  form_->Modified = true;
  form_->BtnSaveClick();
  form_->BtnOpenClick();
  EXPECT_TRUE(form_->Modified);
  EXPECT_EQ(form_->FormatX, 320);
}

TEST_F(ScriptFiles, ASaveThatCannotBeWrittenRaisesNamingTheScript) {
  StartEditor();
  Open(dir_.file("none.INI"));
  form_->Modified = true;
  const std::string script = dir_.file("missing folder/show.INI");
  dialogs_->saveAnswers.push_back(script);
  try {
    form_->BtnSaveClick();
    ADD_FAILURE() << "saved";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(std::string(e.what()), "In " + script + " kann nicht geschrieben werden");
  }
  EXPECT_TRUE(form_->Modified);
  EXPECT_EQ(form_->INIPath, dir_.file("missing folder/"));
}

}  // namespace
