// SPDX-License-Identifier: MIT
#include "checks/mac_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MacText, EverySpellingGivesTheCanonicalForm)
{
    for (const char* text :
         {"00:0E:C6:4A:10:03", "00:0e:c6:4a:10:03", "00-0E-C6-4a-10-03", "000e.c64a.1003", "000EC64A1003",
          "000e:c64a:1003", "00.0e.c6.4a.10.03", "0.14.198.74.16.3", "000.014.198.074.016.003", "00.14.198.074.16.3"})
        EXPECT_EQ(checks::CanonicalMac(text).value_or("none"), "00:0E:C6:4A:10:03") << text;
}

TEST(MacText, RefusesAnythingButTwelveHexDigitsInGroups)
{
    for (const std::string& text : std::initializer_list<std::string>{"MAC-A",
                                                                      "",
                                                                      "00:0E:C6:4A:10",
                                                                      "00:0E:C6:4A:10:03:04",
                                                                      "00:0E:C6:4A:10:0G",
                                                                      "00:0E-C6:4A:10:03",
                                                                      "0:0E:C6:4A:10:033",
                                                                      "000:EC6:4A1:003",
                                                                      "00:0E:C6:4A:10:03:",
                                                                      ":00:0E:C6:4A:10:03",
                                                                      "00::0E:C6:4A:10:03",
                                                                      "00 0E C6 4A 10 03",
                                                                      "000EC64A10030",
                                                                      "000e.c64a.100",
                                                                      "000e.c64a1003",
                                                                      std::string("000EC64A1003\0", 13),
                                                                      "0.14.198.74.16.256",
                                                                      "0.14.198.74.16",
                                                                      "0.14.198.74.16.1.2",
                                                                      "0.14.198.74.16.0003",
                                                                      "0.14.198.74..3",
                                                                      "0.14.198.74.16.3."})
        EXPECT_FALSE(checks::CanonicalMac(text)) << text;
}

TEST(MacText, ComparesByValueAndTextsThatAreNoMacByText)
{
    EXPECT_TRUE(checks::SameMac("0.14.198.74.16.1", "00:0E:C6:4A:10:01"));
    EXPECT_TRUE(checks::SameMac("000.014.198.074.016.001", "000e.c64a.1001"));
    EXPECT_FALSE(checks::SameMac("0.14.198.74.16.1", "0.14.198.74.16.2"));
    EXPECT_TRUE(checks::SameMac("MAC-A", "MAC-A"));
    EXPECT_FALSE(checks::SameMac("mac-a", "MAC-A"));
    EXPECT_FALSE(checks::SameMac("text:00:0E:C6:4A:10:01", "00:0E:C6:4A:10:01"));
}

} // namespace
