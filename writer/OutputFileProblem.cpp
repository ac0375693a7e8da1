#include "writer/OutputFileProblem.h"

#include <sys/stat.h>

std::string OutputFileProblem(const std::string& output, const std::vector<std::string>& inputs) {
  struct stat target;
  if (stat(output.c_str(), &target) != 0) return {};  // made new, or the graph build says why not
  if (!S_ISREG(target.st_mode)) return "Cannot write AVI: " + output + " is not a regular file. Nothing was written.";
  for (const std::string& input : inputs) {
    struct stat read;
    if (stat(input.c_str(), &read) == 0 && read.st_dev == target.st_dev && read.st_ino == target.st_ino)
      return "Cannot write AVI: " + output + " is " + input + ", which this run reads. Nothing was written.";
  }
  return {};
}
