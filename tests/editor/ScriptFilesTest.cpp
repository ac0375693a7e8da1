#include <gtest/gtest.h>

#include <QPushButton>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

#include "EditorFixture.h"
#include "platform/inifile/IniFile.h"
#include "platform/text/WideText.h"

namespace {

namespace fs = std::filesystem;

class ScriptFiles : public EditorTest {
 protected:
  // Taller than the frame, so that its preview shows the background at the sides.
  std::string TallPicture(const std::string& name) {
    WriteBmp24(dir_.file(name), 4, 8, [](int, int) { return Rgb{200, 200, 200}; });
    return dir_.file(name);
  }
  void Open(const std::string& name) {
    dialogs_->openAnswers.push_back({name});
    form_->BtnOpenClick();
  }
  void Save(const std::string& name) {
    dialogs_->saveAnswers.push_back(name);
    form_->BtnSaveClick();
  }
  // The show's values, its entries and the enabled script buttons, one line each.
  std::string Show() const {
    char line[512];
    std::snprintf(line, sizeof line, "%dx%d@%d %s q%.2f k%d sound[%s] modified %d, test/delete/save/write %d%d%d%d:",
                  form_->FormatX, form_->FormatY, form_->Frames, WideBufferToText(form_->CompressorName).c_str(),
                  form_->Quality, form_->KeyFrameRate, WideBufferToText(form_->SoundFileName).c_str(), form_->Modified,
                  form_->BtnTest->isEnabled(), form_->BtnDeletePic->isEnabled(), form_->BtnSave->isEnabled(),
                  form_->BtnWriteVideo->isEnabled());
    std::string show = line;
    for (int i = 0; i < form_->LBPictures->Count(); ++i) {
      const TPictureItem& item = *form_->LBPictures->Object(i);
      std::snprintf(line, sizeof line, " %s/%d/%ds/%06X", fs::path(item.FileName).filename().c_str(), item.Transition,
                    item.DisplayTime, item.BkColor);
      show += line;
    }
    return show;
  }
  std::string Text(const std::string& name) const {
    std::stringstream s;
    s << std::ifstream(name, std::ios::binary).rdbuf();
    return s.str();
  }
};

TEST_F(ScriptFiles, HandWrittenScriptOpensAndSavesBackKeepingWhatItDoesNotKnow) {
  StartEditor();
  const std::string c = TallPicture("c\xE9.bmp");  // a Latin-1 name: bytes, not UTF-8
  const std::string script = dir_.file("show.ini");
  std::ofstream(script, std::ios::binary)
      << "; my show\r\n[GENERAL]\r\nformatx=0x280\r\nFormatY=480\r\nFrames=x0A\r\nCompressor=MJPEG Compressor\r\n"
         "Quality=70\r\nKeyframerate=-3\r\nPictures=3\r\nAuthor=me\r\n\r\n"
         "[Picture0]\r\nName=" + TallPicture("a.bmp") + "\r\nAnimation=1\r\nDisplaytime=4\r\nBkColor=0x0000ff\r\n\r\n"
         "[Picture1]\r\nName=" + dir_.file("gone.bmp") + "\r\n\r\n"
         "[Picture2]\r\nName=" + c + "\r\nBkColor=255\r\n";
  form_->Modified = true;
  Open(script);
  const std::string opened = Show();
  EXPECT_EQ(opened, "640x480@10 MJPEG Compressor q0.70 k-3 sound[] modified 0, test/delete/save/write 1111:"
                    " a.bmp/1/4s/0000FF c\xE9.bmp/0/1s/0000FF");
  EXPECT_EQ(PixelOf(*form_->LBPictures->Object(0)->Preview, 0, 0), (Rgb{255, 0, 0}));  // letter-boxed on red
  EXPECT_TRUE(form_->LBPictures->Selected(0));
  EXPECT_EQ(form_->INIPath, dir_.path().string() + "/");

  form_->Modified = true;
  Save(script);
  const std::string saved = Text(script);
  for (const char* kept : {"; my show\r\n", "formatx=640\r\n", "Author=me\r\n", "Pictures=2\r\n", "Quality=70\r\n",
                           "[Picture1]\r\nName=" , "BkColor=0x0000FF\r\n"})
    EXPECT_NE(saved.find(kept), std::string::npos) << kept << " in\n" << saved;
  EXPECT_EQ(TIniFile(script).ReadString("Picture2", "Name", ""), c);  // the old third section, left unread
  Open(script);
  EXPECT_EQ(Show(), opened);
}

TEST_F(ScriptFiles, MissingScriptsGiveTheDefaultsAndCountsAreTakenWithCare) {
  StartEditor();
  Open(dir_.file("new"));
  EXPECT_EQ(Show(), "320x240@25  q0.70 k20 sound[] modified 0, test/delete/save/write 1000:");
  Save(dir_.file("new"));  // an empty show, as new.INI
  EXPECT_EQ(Text(dir_.file("new.INI")), "[General]\nFormatX=320\nFormatY=240\nFrames=25\nCompressor=\nQuality=70\n"
                                        "Keyframerate=20\nSoundFile=\nPictures=0\n");
  EXPECT_EQ(dialogs_->saveRequests.back().title, "Save Script ");

  // A negative count reads no section; a mistyped huge one those up to the last there is.
  for (const auto& [count, section, entries] : {std::tuple{"-2", "Picture0", 0}, std::tuple{"2000000000", "Picture0", 1},
                                                std::tuple{"5", "picture4", 1}, std::tuple{"5", "Picture04", 0}}) {
    std::ofstream(dir_.file("n.ini")) << "[General]\nPictures=" << count << "\n[" << section
                                      << "]\nName=" << TallPicture("n.bmp");
    Open(dir_.file("n.ini"));
    EXPECT_EQ(form_->LBPictures->Count(), entries) << count << " " << section;
  }
  // Sections far apart, one at the highest number, open in number order below the
  // count, without a walk through the numbers between them.
  std::ofstream(dir_.file("far.ini")) << "[General]\nPictures=2147483647\n[Picture2147483647]\nName="
                                      << TallPicture("f.bmp") << "\n[Picture2147483646]\nName=" << TallPicture("e.bmp")
                                      << "\n[Picture7]\nName=" << TallPicture("d.bmp") << "\n";
  Open(dir_.file("far.ini"));
  EXPECT_EQ(Show(), "320x240@25  q0.70 k20 sound[] modified 0, test/delete/save/write 1111:"
                    " d.bmp/0/1s/000000 e.bmp/0/1s/000000");

  // A frame rate below 1 opens; the write refuses it with the frame loop's message.
  std::ofstream(dir_.file("still.ini")) << "[General]\nFrames=0\nPictures=1\n[Picture0]\nName=" << TallPicture("s.bmp");
  Open(dir_.file("still.ini"));
  dialogs_->saveAnswers.push_back(dir_.file("still.avi"));
  form_->BtnWriteVideoClick();
  ASSERT_EQ(dialogs_->errors.size(), 1u);
  EXPECT_NE(dialogs_->errors[0].find("Cannot write AVI"), std::string::npos) << dialogs_->errors[0];
  EXPECT_FALSE(fs::exists(dir_.file("still.avi")));

  // Cancelled dialogs change nothing; a save that cannot be written raises, naming the script.
  form_->Modified = true;
  form_->BtnSaveClick();
  form_->BtnOpenClick();
  EXPECT_EQ(form_->Frames, 0);
  const std::string unwritable = dir_.file("no folder/show.INI");
  try {
    Save(unwritable);
    ADD_FAILURE() << "saved";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(std::string(e.what()), "In " + unwritable + " kann nicht geschrieben werden");
  }
  EXPECT_TRUE(form_->Modified);
  // A read-only file is not saved over; made writable, it is no script a write must keep.
  std::ofstream(dir_.file("locked.ini")) << "old";
  fs::permissions(dir_.file("locked.ini"), fs::perms::owner_read);
  EXPECT_THROW(Save(dir_.file("locked.ini")), EIniFileException);
  fs::permissions(dir_.file("locked.ini"), fs::perms::owner_all);
  form_->Frames = 1;
  dialogs_->saveAnswers.push_back(dir_.file("locked.ini"));
  form_->BtnWriteVideoClick();
  EXPECT_EQ(Text(dir_.file("locked.ini")).substr(0, 4), "RIFF");
}

TEST_F(ScriptFiles, ASaveReachesTheScriptAsOneRenameOfTheWholeFile) {
  StartEditor();
  AddPictures({Picture("a.bmp", {255, 0, 0}), Picture("b.bmp", {0, 255, 0})});
  const std::string script = dir_.file("show.INI");
  Save(script);
  // The script's name sees one rename of a complete file and no other change, so
  // that a kill at any moment of the save leaves the old or the new script.
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(inotify_add_watch(watch, dir_.path().c_str(),
                              IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVE),
            0);
  form_->Frames = 30;
  Save(script);
  std::vector<uint32_t> changes;
  alignas(inotify_event) char buffer[65536];
  for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->len > 0 && std::string(event->name) == "show.INI") changes.push_back(event->mask);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  close(watch);
  EXPECT_EQ(changes, std::vector<uint32_t>{IN_MOVED_TO});
  EXPECT_NE(Text(script).find("Frames=30\n"), std::string::npos);
}

TEST_F(ScriptFiles, ANameWithoutExtensionMeansTheFileThereInAnyCase) {
  StartEditor();
  std::ofstream(dir_.file("show.ini")) << "[General]\nPictures=1\n[Picture0]\nName=" << TallPicture("p.bmp") << "\n";
  std::ofstream(dir_.file("film.avi")) << "old";
  Open(dir_.file("show"));
  EXPECT_EQ(form_->LBPictures->Count(), 1);
  form_->Frames = 2;
  Save(dir_.file("show"));
  Save(dir_.file("show.INI"));  // as the dialog gives it with its default extension
  dialogs_->saveAnswers.push_back(dir_.file("film"));
  form_->BtnWriteVideoClick();
  EXPECT_FALSE(fs::exists(dir_.file("show.INI")));
  EXPECT_FALSE(fs::exists(dir_.file("film.AVI")));
  EXPECT_NE(Text(dir_.file("show.ini")).find("Frames=2\n"), std::string::npos);
  EXPECT_EQ(Text(dir_.file("film.avi")).substr(0, 4), "RIFF");
}

}  // namespace
