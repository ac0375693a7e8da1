#include <gtest/gtest.h>

#include "platform/text/WideText.h"

TEST(WideText, RoundTripsTextWithinTheBuffer) {
  char16_t buffer[8];
  ASSERT_TRUE(TextToWideBuffer("Gr\xC3\xBC\xC3\x9F" "e", buffer));
  EXPECT_EQ(std::u16string(buffer), u"Grüße");
  EXPECT_EQ(WideBufferToText(buffer), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST(WideText, TextThatDoesNotFitLeavesTheBufferEmpty) {
  char16_t buffer[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_TRUE(TextToWideBuffer("abc", buffer));    // three and the terminator fit
  EXPECT_FALSE(TextToWideBuffer("abcd", buffer));  // the terminator does not
  EXPECT_EQ(buffer[0], 0);
}

TEST(WideText, BytesThatAreNoUtf8ComeBackUnchanged) {
  for (const std::string text : {"a\xC3", "\xFF\xFEname.avi", "\xED\xA0\x80", "\xF0\x9F\x8E\xAC\x80", "\xC0\xAF"}) {
    char16_t buffer[16];
    ASSERT_TRUE(TextToWideBuffer(text, buffer));
    EXPECT_NE(buffer[0], 0);
    EXPECT_EQ(WideBufferToText(buffer), text);
  }
  // A lone surrogate that stands for no byte has no text of its own.
  EXPECT_EQ(WideToText(u"\xD800x\xDC10"), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST(WideText, CharactersBeyondTheBasicPlaneUseTwoElements) {
  char16_t buffer[3];
  ASSERT_TRUE(TextToWideBuffer("\xF0\x9F\x8E\xAC", buffer));  // clapper board
  EXPECT_EQ(buffer[0], 0xD83C);
  EXPECT_EQ(buffer[1], 0xDFAC);
  EXPECT_EQ(WideBufferToText(buffer), "\xF0\x9F\x8E\xAC");
}
