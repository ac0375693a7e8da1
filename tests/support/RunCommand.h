// Runs a shell command and captures what it prints on standard output.
#pragma once

#include <string>

struct CommandResult {
  int exitCode = -1;
  std::string output;
};

CommandResult RunCommand(const std::string& command);

// Quotes a word for the shell.
std::string ShellQuote(const std::string& word);
