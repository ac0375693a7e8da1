#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/inifile/IniFile.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& name) {
  std::stringstream s;
  s << std::ifstream(name, std::ios::binary).rdbuf();
  return s.str();
}

void Put(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

TEST(IniFile, WritesChangeOneLineAndKeepEveryOtherByte) {
  TempDir dir;
  const std::string name = dir.file("show.INI");
  Put(name, "; by hand\r\n[general]\r\nformatx = 640\r\n\r\nOwnKey=kept\r\n\r\n \r\n[Picture0]\r\nName=/a.jpg\r\n");
  TIniFile ini(name);
  ini.WriteInteger("General", "FormatX", 800);
  ini.WriteString("GENERAL", "Frames", "10");
  ini.WriteString("Picture1", "Name", "/b.jpg");
  ini.UpdateFile();
  EXPECT_EQ(Slurp(name), "; by hand\r\n[general]\r\nformatx = 800\r\n\r\nOwnKey=kept\r\nFrames=10\r\n\r\n \r\n"
                         "[Picture0]\r\nName=/a.jpg\r\n\r\n[Picture1]\r\nName=/b.jpg\r\n");
  // LF stays LF; a last line without its line end gets one before an addition.
  Put(name, "[General]\nPictures=3");
  TIniFile unended(name);
  unended.WriteInteger("General", "Pictures", 2);
  unended.WriteInteger("General", "Quality", 70);
  unended.UpdateFile();
  EXPECT_EQ(Slurp(name), "[General]\nPictures=2\nQuality=70\n");
  // A lone CR that ends the text is the first half of a CRLF, not part of the value.
  for (const std::string eol : {"\r\n", "\n"}) {
    Put(name, "[General]" + eol + "Time=3\r");
    TIniFile halfEnded(name);
    halfEnded.WriteInteger("General", "Frames", 25);
    EXPECT_EQ(halfEnded.ReadInteger("General", "Time", 0), 3);
    halfEnded.UpdateFile();
    EXPECT_EQ(Slurp(name), "[General]" + eol + "Time=3\r\nFrames=25" + eol);
    EXPECT_EQ(TIniFile(name).ReadInteger("General", "Time", 0), 3);
  }
}

TEST(IniFile, ReadsNamesWithoutRegardToCaseAndValuesAsWritten) {
  TempDir dir;
  TIniFile ini(dir.file("s.ini"));
  EXPECT_EQ(ini.ReadString("General", "Compressor", "none"), "none");  // no file yet
  for (const std::string value : {"MJPEG Compressor", "  blanks each side  ", "\"quoted\"", "", "/tmp/sch\xF6n.jpg"}) {
    ini.WriteString("General", "Value", value);
    EXPECT_EQ(ini.ReadString("gEnErAl", "VALUE", "default"), value);
  }
  ini.WriteString("General", "Long", std::string(3000, 'v'));
  EXPECT_EQ(ini.ReadString("General", "Long", ""), std::string(2047, 'v'));
  EXPECT_EQ(ini.ReadString("Other", "Value", "d"), "d");

  Put(dir.file("s.ini"), "\xEF\xBB\xBF[A]\r\n  key  =  value  \r\n;Key=comment\r\nq='single'\r\n");
  const TIniFile hand(dir.file("s.ini"));
  EXPECT_EQ(hand.ReadString("a", "KEY", ""), "value");
  EXPECT_EQ(hand.ReadString("a", ";Key", "none"), "none");
  EXPECT_EQ(hand.ReadString("a", "q", ""), "single");
}

TEST(IniFile, IntegersReadInDecimalOrHexadecimal) {
  TempDir dir;
  TIniFile ini(dir.file("n.ini"));
  const std::pair<const char*, int32_t> cases[] = {
      {"0x0000FF", 255},   {"0x0000ff", 255},      {"0X0000FF", 255}, {"255", 255},   {"-17", -17},
      {"+4", 4},           {"$ff", 255},           {"x1F", 31},       {"-$10", -16},  {"0xFFFFFFFF", -1},
      {"007", 7},          {"-2147483648", INT32_MIN}, {"0000FF", 99}, {"0x", 99},    {"", 99},
      {"0x100000000", 99}, {"2147483648", 99},     {"-", 99},         {"0x-1", 99},   {"1.5", 99},
  };
  for (const auto& [text, expected] : cases) {
    ini.WriteString("S", "K", text);
    EXPECT_EQ(ini.ReadInteger("S", "K", 99), expected) << '"' << text << '"';
  }
}

TEST(IniFile, WriteThatCannotBeDoneRaisesAndLeavesTheFile) {
  TempDir dir;
  const std::string fifo = dir.file("pipe.ini");
  const std::string locked = dir.file("locked.ini");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  Put(locked, "[General]\nFrames=5\n");
  fs::permissions(locked, fs::perms::owner_read);
  for (const std::string& name : {dir.file("no folder/show.INI"), dir.path().string(), fifo, locked}) {
    try {
      TIniFile ini(name);
      ini.WriteInteger("General", "Frames", 25);
      ini.UpdateFile();
      ADD_FAILURE() << name << " was written";
    } catch (const EIniFileException& e) {
      EXPECT_EQ(std::string(e.what()), "In " + name + " kann nicht geschrieben werden");
    }
  }
  EXPECT_EQ(TIniFile(fifo).ReadString("General", "Frames", "none"), "none");  // does not wait for a writer
  EXPECT_EQ(Slurp(locked), "[General]\nFrames=5\n");
}

TEST(IniFile, AWriteReplacesTheWholeFileThroughLinksKeepingItsMode) {
  TempDir dir;
  const std::string real = dir.file("real.ini");
  const std::string link = dir.file("link.ini");
  Put(real, "[General]\nFrames=5\n");
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(real, mode);
  fs::create_symlink(real, link);
  std::ifstream reader(real, std::ios::binary);  // opened before the write: sees the old file whole
  TIniFile ini(link);
  ini.WriteInteger("General", "Frames", 30);
  EXPECT_EQ(Slurp(real), "[General]\nFrames=5\n");  // nothing reaches the file before UpdateFile
  ini.UpdateFile();
  std::stringstream old;
  old << reader.rdbuf();
  EXPECT_EQ(old.str(), "[General]\nFrames=5\n");
  EXPECT_EQ(Slurp(real), "[General]\nFrames=30\n");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, mode);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);  // no temporary left
}

}  // namespace
