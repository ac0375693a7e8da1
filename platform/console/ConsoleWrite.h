// The console program's only way of writing text: straight onto the controlling
// terminal at the cursor, never into standard output. LF moves one line down and
// keeps the column, CR returns to column 0, BS moves one column left (not past
// column 0), BEL rings the bell; every other character is drawn and advances the
// cursor, wrapping at the terminal's width and scrolling at the bottom.
#pragma once

#include <mutex>
#include <string_view>

// Writes at the cursor of the process's console: the controlling terminal
// (/dev/tty), or standard error when the process has none.
void ConsoleWrite(const char* text);
void ConsoleWrite(std::string_view text);

// Deletes the line that holds the cursor: the lines below move up, the last line
// becomes blank, the cursor stays where it is.
void ConsoleDeleteLine();

// One console on one file descriptor (not owned). On a terminal it draws with ANSI
// cursor control; on anything else (a file or a pipe) it writes plain lines: a CR or
// LF that ends a line with text gives one line end, an LF on an empty line a blank
// line, BEL, BS and line deletion are dropped. Safe to use from several threads.
class ConsoleWriter {
 public:
  ConsoleWriter(int fd, bool terminal);
  ConsoleWriter(const ConsoleWriter&) = delete;
  ConsoleWriter& operator=(const ConsoleWriter&) = delete;

  void Write(std::string_view text);
  void DeleteLine();

 private:
  void Emit(std::string_view bytes);
  int Width() const;

  std::mutex mutex_;
  const int fd_;
  const bool terminal_;
  int column_ = 0;               // where the cursor is, as this writer moved it
  bool lineEndedByCr_ = false;   // plain lines: the LF of a CR LF pair adds nothing
};
