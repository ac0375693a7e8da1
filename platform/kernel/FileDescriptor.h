// An owned POSIX file descriptor and the write loop that every whole-file writer
// needs: short writes and interrupted calls are carried on, not taken as done.
#pragma once

#include <string_view>

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, so that the caller sees the error a delayed write reports at close.
  bool Close();

 private:
  int fd_;
};

// Writes all of data; false at the first error, with errno set.
bool WriteAll(int fd, std::string_view data);
