#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/console/ConsoleWrite.h"

namespace {

// A writer on a pipe, as when standard error is redirected and there is no terminal.
class PlainConsole : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(pipe2(fds_, O_CLOEXEC), 0); }
  void TearDown() override {
    if (fds_[0] >= 0) close(fds_[0]);
    if (fds_[1] >= 0) close(fds_[1]);
  }
  std::string Written() {
    close(fds_[1]);
    fds_[1] = -1;
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds_[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    return text;
  }
  int fds_[2] = {-1, -1};
};

}  // namespace

TEST_F(PlainConsole, AbortMessageInTheMiddleOfALineGetsALineOfItsOwn) {
  ConsoleWriter console(fds_[1], false);
  console.Write("\rProcessing image 2 of 5...");
  console.Write("\n\rAborted by user\r\n");
  console.Write("\n\r");
  EXPECT_EQ(Written(), "Processing image 2 of 5...\nAborted by user\n\n");
}

TEST_F(PlainConsole, BellAndBackspaceAreDroppedAndControlCharactersShownAsQuestionMarks) {
  ConsoleWriter console(fds_[1], false);
  console.Write("a\a\bb\x1b[2Jc\x7f\xC2\x9B" "d\n");
  EXPECT_EQ(Written(), "ab?[2Jc??d\n");
}

TEST_F(PlainConsole, Utf8PassesAndMalformedBytesBecomeReplacementCharacters) {
  ConsoleWriter console(fds_[1], false);
  console.Write("Gr\xC3\xBC\xC3\x9F" "e \xE6\xBC\xA2 \xC3 \xED\xA0\x80 \xC0\xAF\n");
  EXPECT_EQ(Written(),
            "Gr\xC3\xBC\xC3\x9F" "e \xE6\xBC\xA2 \xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\n");
}

TEST_F(PlainConsole, ClosedReaderDoesNotEndTheProcess) {
  close(fds_[0]);
  fds_[0] = -1;
  ConsoleWriter console(fds_[1], false);
  console.Write("nobody reads this\n");
  console.Write("nor this\n");
  SUCCEED() << "still running after writes into a closed pipe";
  sigset_t pending;
  sigpending(&pending);
  EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
}
