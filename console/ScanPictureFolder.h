// The pictures of one folder that the console program converts.
#pragma once

#include <string>
#include <system_error>
#include <vector>

// folder with a "/" appended when it does not end in one.
std::string IncludeTrailingSlash(std::string folder);

// Full paths (the folder with its trailing "/", then the file's own name) of the
// regular files, or links to them, whose names end in ".jpg" in any case and do not
// start with "."; subfolders are not entered. Sorted by CompareTextIgnoreCase.
// A folder that does not exist, is no folder or cannot be read gives none and
// sets error.
std::vector<std::string> ScanPictureFolder(const std::string& folder, std::error_code& error);
