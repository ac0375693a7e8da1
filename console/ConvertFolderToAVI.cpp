#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "GetIntOption.h"
#include "GetOptionValue.h"
#include "Main.h"
#include "ScanPictureFolder.h"
#include "WriteUsage.h"
#include "platform/console/ConsoleWrite.h"
#include "platform/text/Utf8.h"
#include "platform/text/WideText.h"
#include "writer/CompressorQuality.h"

namespace {

constexpr const char* kBanner =
    "VISTREL console application - free software by the Vistrel developers, https://vistrel.example.org\n\r";

// The folder the program file lies in, links resolved, without a trailing "/".
std::string ProgramFolder() {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return ".";
  return program.parent_path().string();
}

// A value cut to fit would name another file or compressor.
bool RefuseLongValue(const std::string& what, std::size_t capacity) {
  ConsoleWrite("The " + what + " is longer than " + std::to_string(capacity - 1) + " characters. Nothing was written.");
  return false;
}

}  // namespace

bool TForm1::ReadOptions(std::string& outputName, std::string& folder) {
  try {
    FormatX = GetIntOption(arguments_, "-x", FormatX);
    FormatY = GetIntOption(arguments_, "-y", FormatY);
    Frames = GetIntOption(arguments_, "-f", Frames);
    DisplayTime = GetIntOption(arguments_, "-d", DisplayTime);
    Transition = GetIntOption(arguments_, "-t", Transition);
    outputName = GetOptionValue(arguments_, "-o", "output.avi");
    if (!TextToWideBuffer(outputName, OutputFileName))
      return RefuseLongValue("output file name", std::size(OutputFileName));
    // Checked before it is taken, so that a refused name is not stored either.
    const std::string compressor = GetOptionValue(arguments_, "-c", Compressor);
    if (TextToWide(compressor).size() >= std::size(CompressorName))
      return RefuseLongValue("compressor name", std::size(CompressorName));
    Compressor = compressor;
    TextToWideBuffer(Compressor, CompressorName);
    Quality = QualityFromPercent(GetIntOption(arguments_, "-q", QualityPercent(Quality)));
    folder = IncludeTrailingSlash(GetOptionValue(arguments_, "-i", ProgramFolder()));
  } catch (const ERangeError& e) {
    ConsoleWrite("Option " + e.Option() + " needs a value, as in " + e.Option() + "value. Nothing was written.");
    return false;
  }
  return true;
}

int TForm1::ConvertFolderToAVI() {
  ConsoleWrite("\n\r");
  ConsoleWrite(kBanner);
  ConsoleWrite("Use VISTREL GUI to set advanced AVI properties (codec, quality).\n\n\r");
  if (arguments_.empty()) {
    WriteUsage();
    std::exit(0);  // nothing is torn down and no setting is written back
  }

  std::string outputName;
  std::string folder;
  if (!ReadOptions(outputName, folder)) return EXIT_FAILURE;

  ConsoleWrite("Generating " + UpperCaseAscii(outputName) + " from images in\n\r");
  ConsoleWrite(folder + "*.jpg\n\r");
  ConsoleWrite("resolution " + std::to_string(FormatX) + "x" + std::to_string(FormatY) + " at " +
               std::to_string(Frames) + " frames per second.\n\r");
  ConsoleWrite("using " + Compressor + " at quality " + std::to_string(QualityPercent(Quality)) + "%.\n\n\r");

  std::error_code scanError;
  PictureFiles = ScanPictureFolder(folder, scanError);
  if (scanError) {
    ConsoleWrite("Cannot read the folder " + folder + ": " + scanError.message() + ". Nothing was written.");
    return EXIT_FAILURE;
  }
  if (PictureFiles.empty()) return EXIT_SUCCESS;

  std::vector<Slide> slides;
  slides.reserve(PictureFiles.size());
  for (const std::string& file : PictureFiles) slides.push_back({file, BkColor, Transition, DisplayTime});
  const WriteResult result = WriteVideo(slides);
  PictureFiles.clear();
  return result == WriteResult::Written || result == WriteResult::Aborted ? EXIT_SUCCESS : EXIT_FAILURE;
}
