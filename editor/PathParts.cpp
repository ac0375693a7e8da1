#include "PathParts.h"

#include <filesystem>

#include "platform/text/Utf8.h"

namespace fs = std::filesystem;

std::string FileNameWithExtension(const std::string& chosen, std::string_view extension) {
  const std::string name = HasExtension(chosen) ? chosen : chosen + "." + std::string(extension);
  const std::size_t stem = name.rfind('.') + 1;
  const std::string_view given = std::string_view(name).substr(stem);
  std::error_code ec;
  if (!EqualIgnoringAsciiCase(given, extension) ||
      fs::exists(fs::symlink_status(name, ec)))
    return name;
  const std::string folder = FolderOf(name);
  const std::string prefix = name.substr(folder.size(), stem - folder.size());
  // The first in byte order, when several spellings are there.
  std::string meant;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    if (file.size() == name.size() - folder.size() && file.starts_with(prefix) &&
        EqualIgnoringAsciiCase(std::string_view(file).substr(prefix.size()), given) && (meant.empty() || file < meant))
      meant = file;
  }
  return meant.empty() ? name : folder + meant;
}
