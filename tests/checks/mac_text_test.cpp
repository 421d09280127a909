// SPDX-License-Identifier: MIT
#include "checks/mac_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MacText, EverySpellingGivesTheCanonicalForm)
{
    for (const char* text : {"00:0E:C6:4A:10:03", "00:0e:c6:4a:10:03", "00-0E-C6-4a-10-03", "000e.c64a.1003",
                             "000EC64A1003", "000e:c64a:1003", "00.0e.c6.4a.10.03"})
        EXPECT_EQ(checks::CanonicalMac(text).value_or("none"), "00:0E:C6:4A:10:03") << text;
}

TEST(MacText, RefusesAnythingButTwelveHexDigitsInGroups)
{
    for (const std::string& text : std::initializer_list<std::string>{
             "MAC-A", "", "00:0E:C6:4A:10", "00:0E:C6:4A:10:03:04", "00:0E:C6:4A:10:0G", "00:0E-C6:4A:10:03",
             "0:0E:C6:4A:10:033", "000:EC6:4A1:003", "00:0E:C6:4A:10:03:", ":00:0E:C6:4A:10:03", "00::0E:C6:4A:10:03",
             "00 0E C6 4A 10 03", "000EC64A10030", "000e.c64a.100", "000e.c64a1003", std::string("000EC64A1003\0", 13)})
        EXPECT_FALSE(checks::CanonicalMac(text)) << text;
}

} // namespace
