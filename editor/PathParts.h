// The parts of a chosen file name that the dialogs' handlers keep or test.
#pragma once

#include <string>
#include <string_view>

// The folder part of a path with its trailing "/"; empty for a bare name.
inline std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

// True when the file-name part of a path has a dot.
inline bool HasExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot != std::string::npos && dot >= FolderOf(path).size();
}

// The file a chosen name means: with "." and extension ("INI") appended when it
// has no extension. When no file of that name exists but one whose extension
// differs from it in case only does ("show.ini" for "show.INI"), that one is meant,
// as it would be where names ignore case.
std::string FileNameWithExtension(const std::string& chosen, std::string_view extension);
