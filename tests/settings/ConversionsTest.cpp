#include "settings/Conversions.h"

#include "CommaLocale.h"

#include <clocale>
#include <gtest/gtest.h>
#include <limits>
#include <string>

using namespace quillaro;

TEST(ValueOf, SkipsBlanksTabsAndLineFeedsAnywhere) {
    EXPECT_EQ(valueOf(" 1234"), 1234.0);
    EXPECT_EQ(valueOf("12 34"), 1234.0);
    EXPECT_EQ(valueOf("\t1\n2 3\t4 "), 1234.0);
    EXPECT_EQ(valueOf("- 5"), -5.0);
    EXPECT_EQ(valueOf("1 . 5 e 2"), 150.0);
}

TEST(ValueOf, StopsAtTheFirstCharacterThatCannotContinueTheNumber) {
    EXPECT_EQ(valueOf("1234abc"), 1234.0);
    EXPECT_EQ(valueOf("12,34"), 12.0);
    EXPECT_EQ(valueOf("1.2.3"), 1.2);
    EXPECT_EQ(valueOf("1e3x"), 1000.0);
    EXPECT_EQ(valueOf("7\r8"), 7.0); // only blanks, tabs and line feeds are skipped
    EXPECT_EQ(valueOf("+-5"), 0.0);
}

TEST(ValueOf, ReadsDecimalPointAndExponent) {
    EXPECT_EQ(valueOf("2.5"), 2.5);
    EXPECT_EQ(valueOf(".5"), 0.5);
    EXPECT_EQ(valueOf("-.25"), -0.25);
    EXPECT_EQ(valueOf("1e3"), 1000.0);
    EXPECT_EQ(valueOf("1E+3"), 1000.0);
    EXPECT_EQ(valueOf("25e-1"), 2.5);
    EXPECT_EQ(valueOf("1d2"), 100.0);
    EXPECT_EQ(valueOf("1e"), 1.0);
    EXPECT_EQ(valueOf("1e-"), 1.0);
}

TEST(ValueOf, TextWithoutALeadingNumberReadsAsZero) {
    EXPECT_EQ(valueOf(""), 0.0);
    EXPECT_EQ(valueOf("abc"), 0.0);
    EXPECT_EQ(valueOf(":1234"), 0.0);
    EXPECT_EQ(valueOf("."), 0.0);
    EXPECT_EQ(valueOf("e5"), 0.0);
}

TEST(ValueOf, HugeAndTinyNumbers) {
    EXPECT_FALSE(valueOf("1e400").has_value());
    EXPECT_FALSE(valueOf(std::string(500, '9')).has_value());
    EXPECT_FALSE(valueOf("1e99999999999999999999").has_value());
    EXPECT_EQ(valueOf("1e-400"), 0.0);
    EXPECT_EQ(valueOf("0." + std::string(1000, '0') + "1"), 0.0);
    EXPECT_EQ(valueOf(std::string(100000, '0') + "42"), 42.0);
    EXPECT_EQ(valueOf("1." + std::string(100000, '0') + "1"), 1.0);
    EXPECT_EQ(valueOf("1.7976931348623157e308"), std::numeric_limits<double>::max());
}

TEST(Conversions, IgnoreTheLocaleDecimalComma) {
    quillaro::test::CommaLocale comma;
    ASSERT_TRUE(comma.active()) << "localedef could not make a German locale";
    EXPECT_EQ(valueOf("2.5"), 2.5);
    EXPECT_EQ(parseNumber("2.5"), 2.5);
    EXPECT_FALSE(parseNumber("2,5"));
    EXPECT_EQ(wholeNumberText(-1.5e20), "-1.5E+20");
    EXPECT_EQ(wholeNumberText(1e20), "1E+20");
    EXPECT_EQ(parseNumber(wholeNumberText(1.5e20)), 1.5e20);
}

TEST(ParseNumber, AcceptsWholeNumbersOnly) {
    EXPECT_EQ(parseNumber("1"), 1.0);
    EXPECT_EQ(parseNumber("  1.7\t"), 1.7);
    EXPECT_EQ(parseNumber("-0.5"), -0.5);
    EXPECT_EQ(parseNumber("+3"), 3.0);
    EXPECT_EQ(parseNumber("5."), 5.0);
    EXPECT_EQ(parseNumber(".5"), 0.5);
    EXPECT_EQ(parseNumber("2E3"), 2000.0);
    EXPECT_EQ(parseNumber("2e-1"), 0.2);
}

TEST(ParseNumber, FailsOnTextThatIsNotANumber) {
    for (const char* text : {"", " ", "abc", "1a", "1 2", "1.2.3", ".", "-", "+", "1e", "1e+", "e5",
                             "--1", "0x10", "inf", "nan", "1,5", "１"})
        EXPECT_FALSE(parseNumber(text).has_value()) << '"' << text << '"';
    EXPECT_FALSE(parseNumber("1e400").has_value());
}

TEST(RoundToInt, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundToInt32(2.5), 2);
    EXPECT_EQ(roundToInt32(3.5), 4);
    EXPECT_EQ(roundToInt32(-2.5), -2);
    EXPECT_EQ(roundToInt32(-3.5), -4);
    EXPECT_EQ(roundToInt32(0.5), 0);
    EXPECT_EQ(roundToInt32(1.5), 2);
    EXPECT_EQ(roundToInt32(2.4999), 2);
    EXPECT_EQ(roundToInt32(2.5001), 3);
    EXPECT_EQ(roundToInt16(-0.5), 0);
    EXPECT_EQ(roundToInt16(6.5), 6);
}

TEST(RoundToInt, FailsWhenTheRoundedValueDoesNotFit) {
    EXPECT_EQ(roundToInt16(32767.0), 32767);
    EXPECT_EQ(roundToInt16(32767.4), 32767);
    EXPECT_FALSE(roundToInt16(32767.5).has_value());
    EXPECT_EQ(roundToInt16(-32768.0), -32768);
    EXPECT_EQ(roundToInt16(-32768.5), -32768); // rounds to the even -32768
    EXPECT_FALSE(roundToInt16(-32768.6).has_value());
    EXPECT_FALSE(roundToInt16(40000.0).has_value());

    EXPECT_EQ(roundToInt32(2147483647.0), 2147483647);
    EXPECT_FALSE(roundToInt32(2147483647.5).has_value());
    EXPECT_FALSE(roundToInt32(2147483648.0).has_value());
    EXPECT_EQ(roundToInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_FALSE(roundToInt32(-2147483649.0).has_value());
    EXPECT_FALSE(roundToInt32(1e300).has_value());
    EXPECT_FALSE(roundToInt32(std::numeric_limits<double>::quiet_NaN()).has_value());
    EXPECT_FALSE(roundToInt32(std::numeric_limits<double>::infinity()).has_value());
}

TEST(IntegerPart, RoundsDown) {
    EXPECT_EQ(integerPart(1.7), 1.0);
    EXPECT_EQ(integerPart(1.0), 1.0);
    EXPECT_EQ(integerPart(-0.5), -1.0);
    EXPECT_EQ(integerPart(-2.0), -2.0);
}

TEST(WholeNumberText, PlainDecimalWithoutNegativeZero) {
    EXPECT_EQ(wholeNumberText(0.0), "0");
    EXPECT_EQ(wholeNumberText(-0.0), "0");
    EXPECT_EQ(wholeNumberText(1.0), "1");
    EXPECT_EQ(wholeNumberText(-1.0), "-1");
    EXPECT_EQ(wholeNumberText(123456789012345.0), "123456789012345");
    EXPECT_EQ(wholeNumberText(1e20), "1E+20");
    EXPECT_EQ(wholeNumberText(-1.5e20), "-1.5E+20");
}
