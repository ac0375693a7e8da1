#include "console/ScanPictureFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/text/CompareText.h"

namespace {

bool HasJpgExtension(const std::string& name) {
  constexpr std::string_view kExtension = ".jpg";
  if (name.size() < kExtension.size()) return false;
  const std::string_view tail = std::string_view(name).substr(name.size() - kExtension.size());
  return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
  });
}

}  // namespace

std::string IncludeTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::vector<std::string> ScanPictureFolder(const std::string& folder) {
  namespace fs = std::filesystem;
  const std::string prefix = IncludeTrailingSlash(folder);
  std::vector<std::string> pictures;
  std::error_code error;
  for (fs::directory_iterator entry(prefix, error); !error && entry != fs::directory_iterator();
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (name.empty() || name.front() == '.' || !HasJpgExtension(name)) continue;
    std::error_code statError;
    if (!entry->is_regular_file(statError)) continue;
    pictures.push_back(prefix + name);
  }
  std::sort(pictures.begin(), pictures.end(),
            [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; });
  return pictures;
}
