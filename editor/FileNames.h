// The parts of a chosen file name that the file dialogs' handlers use.
#pragma once

#include <string>

// The folder part of a path, with its trailing "/"; empty when there is none.
inline std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// True when the file-name part of a path has a dot.
inline bool HasExtension(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}
