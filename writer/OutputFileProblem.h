// Checks on the output file that must hold before the run writes anything.
#pragma once

#include <string>
#include <vector>

// Why the run must not write its AVI to output, or empty when it may: output is
// a FIFO, a device or anything else but a regular file (opening it could block or
// never end), or it is one of the files the run reads (inputs), compared by device
// and inode, so that a link or another spelling of the name is found too. An
// output that does not exist yet is fine.
std::string OutputFileProblem(const std::string& output, const std::vector<std::string>& inputs);
