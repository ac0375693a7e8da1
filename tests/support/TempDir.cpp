#include "TempDir.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "platform/kernel/FileSizeSignal.h"

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ScopedChdir::ScopedChdir(const std::filesystem::path& dir) : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(dir);
}

ScopedChdir::~ScopedChdir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

std::string FileContents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

ScopedFileSizeLimit::ScopedFileSizeLimit(rlim_t bytes) {
  getrlimit(RLIMIT_FSIZE, &previous);
  const rlimit limit{bytes, previous.rlim_max};
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("cannot limit the file size");
  sigaction(SIGXFSZ, nullptr, &previousAction);
  IgnoreFileSizeSignal();
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  setrlimit(RLIMIT_FSIZE, &previous);
  sigaction(SIGXFSZ, &previousAction, nullptr);
}
