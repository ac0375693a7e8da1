// Whole-file reads and crash-safe whole-file replacement of small text files
// (scripts): a reader never sees a half-written file, and after a crash either
// the old or the new content is there.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

enum class FileRead {
  Read,
  Absent,      // no such file
  Unreadable,  // no access, not a regular file (a folder, a FIFO, a device), larger than the limit
};

// The whole content of a regular file (or of the file a link points at). A FIFO or
// device is never opened for reading, so nothing blocks.
FileRead ReadRegularFile(const std::filesystem::path& path, std::string& text, std::size_t limit);

// The file a chain of links ends at, so that a linked file stays linked when it
// is replaced; path itself when it is no link.
std::filesystem::path LinkTarget(std::filesystem::path path);

// Writes content to a new file beside the target, flushes it to disk and renames
// it over the target; a link is written through. An existing target keeps its
// permissions; one that is not a regular file, is read-only or that we may not
// write is left alone. False, with the target as it was, when anything fails.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view content);
