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

TEST(WideText, MalformedUtf8IsRefused) {
  char16_t buffer[8];
  EXPECT_FALSE(TextToWideBuffer("a\xC3", buffer));
  EXPECT_FALSE(TextToWideBuffer("\xED\xA0\x80", buffer));  // an encoded surrogate
  EXPECT_EQ(buffer[0], 0);
}

TEST(WideText, CharactersBeyondTheBasicPlaneUseTwoElements) {
  char16_t buffer[3];
  ASSERT_TRUE(TextToWideBuffer("\xF0\x9F\x8E\xAC", buffer));  // clapper board
  EXPECT_EQ(buffer[0], 0xD83C);
  EXPECT_EQ(buffer[1], 0xDFAC);
  EXPECT_EQ(WideBufferToText(buffer), "\xF0\x9F\x8E\xAC");
}
