#include "core/entry.h"

#include <gtest/gtest.h>

using stepdrive::parseEntry;

TEST(Entry, wholeNumbersWithSignAndBlanks) {
    EXPECT_EQ(parseEntry("20"), 20);
    EXPECT_EQ(parseEntry("  -1000 "), -1000);
    EXPECT_EQ(parseEntry("+7"), 7);
    EXPECT_EQ(parseEntry("0"), 0);
    EXPECT_EQ(parseEntry("2147483647"), 2147483647);
    EXPECT_EQ(parseEntry("-2147483648"), INT32_MIN);
}

TEST(Entry, fractionsRoundHalfAwayFromZero) {
    EXPECT_EQ(parseEntry("12.5"), 13);
    EXPECT_EQ(parseEntry("12.49"), 12);
    EXPECT_EQ(parseEntry("-12.5"), -13);
    EXPECT_EQ(parseEntry("-0.4"), 0);
    EXPECT_EQ(parseEntry(".5"), 1);
    EXPECT_EQ(parseEntry("3."), 3);
}

TEST(Entry, whatIsNotANumber) {
    for (const char* text :
         {"", "   ", "-", "+", ".", "abc", "12a", "1e5", "0x10", "1 2", "2147483648", "-2147483649",
          "99999999999999999999", "--1", "1.2.3", "１ｅ５", "１\xEF\xBC", "\xEF\xBC\x8F"})
        EXPECT_EQ(parseEntry(text), std::nullopt) << '"' << text << '"';
}

// What an input method types in full width reads as its ASCII forms.
TEST(Entry, fullWidthDigitsSignsAndPointReadAsASCII) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {{"２０", 20},
                 {"０１２３４５６７８９", 123456789},
                 {"－１２．５", -13},
                 {"＋７", 7},
                 {" ３ ", 3},
                 {"1２.５", 13},
                 {"-２１４７４８３６４８", INT32_MIN}};
    for (const auto& c : cases)
        EXPECT_EQ(parseEntry(c.text), c.value) << c.text;
}
