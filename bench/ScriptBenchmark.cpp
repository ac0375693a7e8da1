// Times saving and opening a script of many pictures through TIniFile, with the
// keys the editor writes and reads: a new script, then one saved over it, then
// opened; then as many keys as 8 pictures have added to a section that ends in as
// many blank lines, as a script edited by hand may. Usage: vistrel_script_bench
// [PICTURES] (default 5000).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/inifile/IniFile.h"

namespace {

double Seconds(const std::chrono::steady_clock::time_point& start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Save(const std::string& script, int pictures, int displayTime) {
  const auto start = std::chrono::steady_clock::now();
  TIniFile ini(script);
  for (const char* key : {"FormatX", "FormatY", "Frames"}) ini.WriteInteger("General", key, 640);
  ini.WriteString("General", "Compressor", "Microsoft Video 1");
  ini.WriteInteger("General", "Quality", 70);
  ini.WriteInteger("General", "Keyframerate", 20);
  ini.WriteString("General", "SoundFile", "");
  ini.WriteInteger("General", "Pictures", pictures);
  for (int i = 0; i < pictures; ++i) {
    const std::string section = "Picture" + std::to_string(i);
    ini.WriteString(section, "Name", "/home/someone/Pictures/Holiday 2025/IMG_" + std::to_string(10000 + i) + ".JPG");
    ini.WriteInteger(section, "Animation", i % 7);
    ini.WriteInteger(section, "Displaytime", displayTime);
    ini.WriteString(section, "BkColor", "0x000000");
  }
  ini.UpdateFile();
  return Seconds(start);
}

double SaveAfterBlankLines(const std::string& script, int keys) {
  std::ofstream file(script, std::ios::binary);
  file << "[General]\r\n";
  for (int i = 0; i < keys; ++i) file << "\r\n";
  file.close();
  const auto start = std::chrono::steady_clock::now();
  TIniFile ini(script);
  for (int i = 0; i < keys; ++i) ini.WriteInteger("General", "Key" + std::to_string(i), i);
  ini.UpdateFile();
  return Seconds(start);
}

double Open(const std::string& script, long& checksum) {
  const auto start = std::chrono::steady_clock::now();
  const TIniFile ini(script);
  for (const char* key : {"Frames", "FormatX", "FormatY", "Quality", "Keyframerate"})
    checksum += ini.ReadInteger("General", key, 0);
  checksum += static_cast<long>(ini.ReadString("General", "Compressor", "").size());
  checksum += static_cast<long>(ini.ReadString("General", "SoundFile", "").size());
  checksum += static_cast<long>(ini.ReadSections().size());
  const int pictures = ini.ReadInteger("General", "Pictures", 0);
  for (int i = 0; i < pictures; ++i) {
    const std::string section = "Picture" + std::to_string(i);
    checksum += static_cast<long>(ini.ReadString(section, "Name", "").size());
    checksum += ini.ReadInteger(section, "Animation", 0) + ini.ReadInteger(section, "Displaytime", 1) +
                ini.ReadInteger(section, "BkColor", 0);
  }
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  const int pictures = argc > 1 ? std::atoi(argv[1]) : 5000;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vistrel-script-bench";
  std::filesystem::create_directories(folder);
  const std::string script = (folder / "show.INI").string();
  std::filesystem::remove(script);
  const double created = Save(script, pictures, 1);
  const double resaved = Save(script, pictures, 2);
  long checksum = 0;
  const double opened = Open(script, checksum);
  std::printf("%d pictures, %ju bytes: new script saved in %.3f s, saved over in %.3f s, opened in %.3f s (%ld)\n",
              pictures, static_cast<uintmax_t>(std::filesystem::file_size(script)), created, resaved, opened, checksum);
  const double afterBlanks = SaveAfterBlankLines(script, pictures * 8);
  std::printf("%d keys added before as many blank lines in %.3f s\n", pictures * 8, afterBlanks);
  std::filesystem::remove_all(folder);
  return 0;
}
