// SPDX-License-Identifier: MIT
#include "app/port_field.h"

#include <gtest/gtest.h>

using namespace app;

TEST(PortField, ShowsTheDecimalPortHeldWithinTheFieldRange)
{
    EXPECT_EQ(PortFieldValue("1153"), 1153);
    EXPECT_EQ(PortFieldValue("80"), 1001);
    EXPECT_EQ(PortFieldValue("70000"), 65534);
    EXPECT_EQ(PortFieldValue("65534"), 65534);
    EXPECT_EQ(PortFieldValue("+4001"), 4001);
    EXPECT_EQ(PortFieldValue("-5"), 1001);
}

TEST(PortField, ATextThatIsNoIntegerShows1001)
{
    for (const char* text : {"", "abc", "12a", " 1153", "1153 ", "99999999999", "+", "+-5", "0x10"})
        EXPECT_EQ(PortFieldValue(text), 1001) << text;
}
