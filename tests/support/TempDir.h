// A fresh folder per test, removed afterwards; tests that write into the current
// directory (the graph log) change into it for their lifetime.
#pragma once

#include <sys/resource.h>

#include <csignal>

#include <filesystem>
#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The whole file's bytes, or empty when it cannot be read.
std::string FileContents(const std::string& path);

// Changes the current directory for its lifetime.
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::filesystem::path& dir);
  ~ScopedChdir();
  ScopedChdir(const ScopedChdir&) = delete;
  ScopedChdir& operator=(const ScopedChdir&) = delete;

 private:
  std::filesystem::path previous_;
};

// While it lives, files grow to at most `bytes`: writes beyond fail with EFBIG
// ("File too large"), as on a full disk, not with a signal, since the code under
// test ignores SIGXFSZ as the programs do. Both are restored afterwards, so that
// programs that tests start check their own handling.
struct ScopedFileSizeLimit {
  explicit ScopedFileSizeLimit(rlim_t bytes);
  ~ScopedFileSizeLimit();
  rlimit previous{};
  struct sigaction previousAction{};
};
