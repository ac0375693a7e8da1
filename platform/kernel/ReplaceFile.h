// Whole-file reads and crash-safe whole-file replacement, shared by the settings
// store, the scripts and the picture loaders: a reader never sees a half-written
// file, and after a crash either the old or the new content is there.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/FileDescriptor.h"

enum class FileRead {
  Read,
  Absent,      // no such file
  NotRegular,  // a folder, a FIFO, a device
  TooLarge,    // more bytes than the limit
  Unreadable,  // no access or a read error; errno says which
};

// The whole content of a regular file (or of the file a link points at). A FIFO or
// device is never opened for reading, so nothing blocks. Bytes holds nothing
// unless the result is Read.
FileRead ReadRegularFile(const std::filesystem::path& path, std::string& bytes, std::size_t limit);
FileRead ReadRegularFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::size_t limit);

// The file a chain of links ends at, so that a linked file stays linked when it
// is replaced; path itself when it is no link.
std::filesystem::path LinkTarget(std::filesystem::path path);

// prefix, the target's file name and suffix, in the target's folder: a file of
// ours beside it (a temporary, a lock). The file name is cut where the whole
// would pass the 255 bytes a name may have; short names stay whole.
std::filesystem::path NameBeside(const std::filesystem::path& target, std::string_view prefix,
                                 std::string_view suffix);

// 0 when the file at target (links already followed) may be replaced or is not
// there; else why not: EISDIR or EINVAL for what is no regular file, EACCES for
// a read-only one. exists and old tell what is there.
int ReplaceRefusal(const std::filesystem::path& target, bool& exists, struct stat& old);

// A file written in place of another: a new temporary of a name no one else
// uses, created beside the target (never through a link, never over an existing
// file), that takes the target's name only by Commit. A link at the target's
// name is written through; an existing target keeps its permissions and stays
// byte-identical until then, also when the process is killed.
class ReplacementFile {
 public:
  // fd() is -1, with errno set, when the target may not be replaced or no
  // temporary can be made.
  explicit ReplacementFile(const std::filesystem::path& path);
  // Removes the temporary unless it was committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // 0 when a replacement for path could be made now; else why not: the target's
  // refusal, or the folder's when it cannot take the temporary.
  static int Refusal(const std::filesystem::path& path);

  int fd() const { return fd_.get(); }
  // Whether a file was there to be replaced.
  bool ReplacesFile() const { return exists_; }
  // Flushes the temporary to disk and renames it over the target. False, with
  // errno set and the target as it was, when that fails; the temporary then goes
  // with this object.
  bool Commit();

 private:
  int OpenTemporary();

  std::filesystem::path target_;
  std::filesystem::path temp_;
  bool exists_ = false;
  struct stat old_{};
  FileDescriptor fd_;
};

// Writes content through a ReplacementFile: false, with errno set and the
// target as it was, when anything fails; a target that is not a regular file,
// is read-only or that we may not write is left alone.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view content);
