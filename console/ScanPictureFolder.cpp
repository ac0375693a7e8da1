#include "console/ScanPictureFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/text/CompareText.h"
#include "platform/text/Utf8.h"

std::string IncludeTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::vector<std::string> ScanPictureFolder(const std::string& folder, std::error_code& error) {
  namespace fs = std::filesystem;
  const std::string prefix = IncludeTrailingSlash(folder);
  std::vector<std::string> pictures;
  error.clear();
  for (fs::directory_iterator entry(prefix, error); !error && entry != fs::directory_iterator();
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (name.empty() || name.front() == '.' || !EndsWithIgnoringAsciiCase(name, ".jpg")) continue;
    std::error_code statError;
    if (!entry->is_regular_file(statError)) continue;
    pictures.push_back(prefix + name);
  }
  if (error) return {};
  SortIgnoringCase(pictures);
  return pictures;
}
