#include "platform/console/ConsoleWrite.h"

#include <fcntl.h>
#include <locale.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <cwchar>
#include <string>

#include "platform/text/Utf8.h"

namespace {

constexpr std::string_view kNextLineSameColumn = "\x1b" "D";  // index: down one, scroll at the bottom
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";     // U+FFFD

// Control characters other than the four the writer acts on would reach the
// terminal as commands (a file name holding ESC could clear the screen).
bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0); }

// Cells that the terminal gives the character: 0 for combining marks, 2 for wide ones.
int CellWidth(char32_t c) {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  if (c < 0x80 || utf8 == locale_t{}) return 1;
  const locale_t previous = uselocale(utf8);
  const int width = wcwidth(static_cast<wchar_t>(c));
  uselocale(previous);
  return width < 0 ? 1 : width;
}

int OpenConsole() {
  const int fd = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  return fd >= 0 ? fd : STDERR_FILENO;
}

ConsoleWriter& ProcessConsole() {
  static const int fd = OpenConsole();
  static ConsoleWriter console(fd, isatty(fd) == 1);
  return console;
}

}  // namespace

ConsoleWriter::ConsoleWriter(int fd, bool terminal) : fd_(fd), terminal_(terminal) {}

int ConsoleWriter::Width() const {
  winsize size{};
  if (ioctl(fd_, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

void ConsoleWriter::Write(std::string_view text) {
  std::lock_guard lock(mutex_);
  const int width = terminal_ ? Width() : 0;
  std::string out;
  out.reserve(text.size() + 16);
  while (!text.empty()) {
    const char byte = text[0];
    if (byte == '\a' || byte == '\b' || byte == '\n' || byte == '\r') {
      text.remove_prefix(1);
      if (terminal_) {
        if (byte == '\a') {
          out += '\a';
        } else if (byte == '\b') {
          if (column_ > 0) out += '\b', --column_;
        } else if (byte == '\n') {
          out += kNextLineSameColumn;
        } else {
          out += '\r', column_ = 0;
        }
      } else if (byte == '\n') {
        if (!lineEndedByCr_) out += '\n';
        lineEndedByCr_ = false;
        column_ = 0;
      } else if (byte == '\r' && column_ > 0) {
        out += '\n';
        lineEndedByCr_ = true;
        column_ = 0;
      }
      continue;
    }

    char32_t c = 0;
    std::size_t length = DecodeUtf8(text, c);
    std::string_view glyph = text.substr(0, length);
    if (length == 0) {
      length = 1, c = 0xFFFD, glyph = kReplacement;
    } else if (IsControl(c)) {
      c = '?', glyph = "?";
    }
    text.remove_prefix(length);

    if (!terminal_) {
      out += glyph;
      ++column_;
      lineEndedByCr_ = false;
      continue;
    }
    const int cells = CellWidth(c);
    // A wide character that does not fit into the last column starts the next line.
    if (cells > 1 && column_ + cells > width) out += '\r', out += kNextLineSameColumn, column_ = 0;
    out += glyph;
    column_ += cells;
    // Wrap at once, so that a following CR or LF acts on the next line.
    if (column_ >= width) out += '\r', out += kNextLineSameColumn, column_ = 0;
  }
  Emit(out);
}

void ConsoleWriter::DeleteLine() {
  if (!terminal_) return;
  std::lock_guard lock(mutex_);
  // Some terminals return to column 0 after a line deletion; put the cursor back.
  Emit("\x1b[M\x1b[" + std::to_string(column_ + 1) + "G");
}

void ConsoleWriter::Emit(std::string_view bytes) {
  // A reader that went away (a closed pipe on standard error) must not end the
  // program in the middle of its work, so SIGPIPE is held back for this write.
  sigset_t pipeSignal;
  sigset_t previousMask;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previousMask);
  sigset_t pending;
  sigpending(&pending);
  const bool wasPending = sigismember(&pending, SIGPIPE) == 1;

  bool broken = false;
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      broken = errno == EPIPE;
      break;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  if (broken && !wasPending) {
    const timespec noWait{};
    sigtimedwait(&pipeSignal, nullptr, &noWait);
  }
  pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
}

void ConsoleWrite(std::string_view text) { ProcessConsole().Write(text); }

void ConsoleWrite(const char* text) {
  if (text != nullptr) ProcessConsole().Write(text);
}

void ConsoleDeleteLine() { ProcessConsole().DeleteLine(); }
