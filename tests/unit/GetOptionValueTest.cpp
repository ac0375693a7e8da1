#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/GetIntOption.h"
#include "console/GetOptionValue.h"

using Args = std::vector<std::string>;

TEST(GetIntOption, OptionLetterInEitherCaseWithOrWithoutSeparators) {
  for (const char* argument : {"-X320", "-x320", "-x=320", "-x 320", "-x = 320", "-x== =320"}) {
    EXPECT_EQ(GetIntOption({argument}, "-x", 64), 320) << argument;
  }
  // The option written in upper case finds the lower-case argument as well.
  EXPECT_EQ(GetIntOption({"-x320"}, "-X", 64), 320);
}

TEST(GetIntOption, FirstArgumentWithTheOptionWins) {
  EXPECT_EQ(GetIntOption({"-x320", "-x640"}, "-x", 64), 320);
  // The first one wins even when its value is no integer: no fall-through to the second.
  EXPECT_EQ(GetIntOption({"-xwide", "-x640"}, "-x", 64), 64);
}

TEST(GetIntOption, OptionCountsOnlyAtTheStartOfAnArgument) {
  const Args args = {"-x320-y240"};
  EXPECT_EQ(GetIntOption(args, "-x", 64), 64);  // 320-y240 is no integer
  EXPECT_EQ(GetIntOption(args, "-y", 48), 48);  // -y inside another argument is not an option
  EXPECT_EQ(GetIntOption({"-oMy-Film.avi", "-f25"}, "-f", 15), 25);
  EXPECT_EQ(GetIntOption({"output-f30.avi"}, "-f", 15), 15);
  EXPECT_EQ(GetIntOption({" -f30"}, "-f", 15), 15);
}

TEST(GetOptionValue, TextOptionsAreNotFoundInsideOtherValues) {
  const Args args = {"-oC:/Clips/my-clip.avi", "-cAnyCodec"};
  EXPECT_EQ(GetOptionValue(args, "-c", "Microsoft Video 1"), "AnyCodec");
  EXPECT_EQ(GetOptionValue(args, "-o", "output.avi"), "C:/Clips/my-clip.avi");
  EXPECT_EQ(GetOptionValue(args, "-i", "/opt/pictures"), "/opt/pictures");
}

TEST(GetOptionValue, ValueKeepsItsOwnCaseAndInnerBlanks) {
  EXPECT_EQ(GetOptionValue({"-I/Home/Me/My Pictures"}, "-i", ""), "/Home/Me/My Pictures");
  EXPECT_EQ(GetOptionValue({"-c = Microsoft Video 1 "}, "-c", ""), "Microsoft Video 1 ");
}

TEST(GetOptionValue, EmptyValueRaisesItsOwnError) {
  for (const Args& args : {Args{"-o"}, Args{"-o="}, Args{"-O = "}, Args{"-o", "film.avi"}}) {
    try {
      GetOptionValue(args, "-o", "output.avi");
      ADD_FAILURE() << "no error for " << args[0];
    } catch (const ERangeError& error) {
      EXPECT_EQ(error.Option(), "-o");
    }
  }
}

TEST(GetIntOption, EmptyValueGivesTheDefault) {
  EXPECT_EQ(GetIntOption({"-f", "25"}, "-f", 15), 15);
  EXPECT_EQ(GetIntOption({"-f="}, "-f", 15), 15);
}

TEST(GetIntOption, ValuesAreTakenWithoutRangeChecks) {
  EXPECT_EQ(GetIntOption({"-q150"}, "-q", 100), 150);
  EXPECT_EQ(GetIntOption({"-d-3"}, "-d", 1), -3);
  EXPECT_EQ(GetIntOption({"-t0"}, "-t", 4), 0);
}

TEST(GetOptionValue, LongValuesAndBytesThatAreNoUtf8AreTakenWhole) {
  const std::string folder = "/" + std::string(4000, 'p') + "\xFF\xC3";
  EXPECT_EQ(GetOptionValue({"-i= " + folder}, "-i", ""), folder);
}

TEST(TextToInt32, DecimalAndHexadecimalForms) {
  EXPECT_EQ(TextToInt32("25"), 25);
  EXPECT_EQ(TextToInt32("  +25"), 25);
  EXPECT_EQ(TextToInt32("-25"), -25);
  EXPECT_EQ(TextToInt32("0x19"), 25);
  EXPECT_EQ(TextToInt32("0X19"), 25);
  EXPECT_EQ(TextToInt32("$19"), 25);
  EXPECT_EQ(TextToInt32("x1a"), 26);
  EXPECT_EQ(TextToInt32("X1A"), 26);
  EXPECT_EQ(TextToInt32("-$10"), -16);
  EXPECT_EQ(TextToInt32("007"), 7);
  EXPECT_EQ(GetIntOption({"-f0x19"}, "-f", 15), 25);
}

TEST(TextToInt32, NothingMayFollowAndDigitsMustBeThere) {
  for (const char* text : {"", " ", "+", "-", "$", "0x", "25 ", "25fps", "1e3", "0x1G", "- 5", "12.5", "\t5", "$-5"}) {
    EXPECT_FALSE(TextToInt32(text).has_value()) << '"' << text << '"';
  }
}

TEST(TextToInt32, ValueMustFitIntoThirtyTwoBits) {
  EXPECT_EQ(TextToInt32("2147483647"), 2147483647);
  EXPECT_EQ(TextToInt32("-2147483648"), INT32_MIN);
  EXPECT_FALSE(TextToInt32("2147483648").has_value());
  EXPECT_FALSE(TextToInt32("-2147483649").has_value());
  EXPECT_FALSE(TextToInt32("99999999999999999999999").has_value());
  EXPECT_EQ(TextToInt32("$7FFFFFFF"), INT32_MAX);
  EXPECT_EQ(TextToInt32("-$80000000"), INT32_MIN);
  EXPECT_FALSE(TextToInt32("$80000000").has_value());
  EXPECT_FALSE(TextToInt32("0xFFFFFFFF").has_value());
  EXPECT_EQ(GetIntOption({"-x4294967616"}, "-x", 64), 64);  // 2^32 + 320 must not wrap to 320
}
