// SPDX-License-Identifier: MIT
#include "widgets/convert_error.h"
#include "widgets/section_number.h"

#include <QString>
#include <gtest/gtest.h>

using namespace widgets;

TEST(SectionNumber, ReadsDecimalWithBlanksAndSign)
{
    EXPECT_EQ(TrySectionNumber(u"0"), 0);
    EXPECT_EQ(TrySectionNumber(u"192"), 192);
    EXPECT_EQ(TrySectionNumber(u"007"), 7);
    EXPECT_EQ(TrySectionNumber(u"  12"), 12);
    EXPECT_EQ(TrySectionNumber(u"+5"), 5);
    EXPECT_EQ(TrySectionNumber(u"-5"), -5);
    EXPECT_EQ(TrySectionNumber(u" -0"), 0);
}

TEST(SectionNumber, ReadsUnsignedHexadecimalAfterDollarOrX)
{
    EXPECT_EQ(TrySectionNumber(u"$1F"), 31);
    EXPECT_EQ(TrySectionNumber(u"$ff"), 255);
    EXPECT_EQ(TrySectionNumber(u"x1f"), 31);
    EXPECT_EQ(TrySectionNumber(u"X10"), 16);
    EXPECT_EQ(TrySectionNumber(u"0x1F"), 31);
    EXPECT_EQ(TrySectionNumber(u"0X100"), 256);
    EXPECT_EQ(TrySectionNumber(u" $A"), 10);
}

TEST(SectionNumber, RefusesTextThatDoesNotEndAfterTheDigits)
{
    for (const char16_t* text : {u"",   u" ",  u".", u"1.", u"12.", u".5",  u"1 ",  u"1 2", u"abc", u"1a", u"$", u"x",
                                 u"0x", u"$G", u"-", u"+",  u"- 1", u"-$1", u"+x1", u"1-",  u"\t1", u"٣",  u"１"})
        EXPECT_FALSE(TrySectionNumber(text).has_value()) << QString::fromUtf16(text).toStdString();
}

TEST(SectionNumber, FailsOnSigned32BitOverflow)
{
    EXPECT_EQ(TrySectionNumber(u"2147483647"), 2147483647);
    EXPECT_EQ(TrySectionNumber(u"-2147483648"), -2147483647 - 1);
    EXPECT_EQ(TrySectionNumber(u"$7FFFFFFF"), 2147483647);
    EXPECT_FALSE(TrySectionNumber(u"2147483648").has_value());
    EXPECT_FALSE(TrySectionNumber(u"-2147483649").has_value());
    EXPECT_FALSE(TrySectionNumber(u"$80000000").has_value());
    EXPECT_FALSE(TrySectionNumber(u"99999999999999999999").has_value());
}

TEST(SectionNumber, ThrowingFormRaisesConvertError)
{
    EXPECT_EQ(SectionNumber(u"42"), 42);
    EXPECT_THROW(SectionNumber(u""), EConvertError);
    try {
        SectionNumber(u"1.");
        FAIL() << "no error for 1.";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'1.' is not a valid integer value");
    }
}
