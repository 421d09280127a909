// SPDX-License-Identifier: MIT
#include "checks/address_rule.h"
#include "checks/dotted_address.h"
#include "checks/mask_rule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

namespace {

// As every caller judges a text: its one accepted form, then the rule.
bool IsAcceptableDeviceAddress(const std::string& text)
{
    const auto parsed = checks::ParseDottedAddress(text);
    return parsed && checks::IsAcceptableDeviceAddressValue(parsed->Value);
}

bool IsAcceptableSubnetMask(const std::string& text)
{
    const auto parsed = checks::ParseDottedAddress(text);
    return parsed && checks::IsAcceptableSubnetMaskValue(parsed->Value);
}

TEST(AddressRule, AcceptsUsableHostAddressesOfClassesAToC)
{
    for (const char* text :
         {"10.0.0.1", "10.255.255.254", "172.16.0.255", "172.16.255.0", "192.168.0.1", "223.255.255.254", "0.1.2.3"})
        EXPECT_TRUE(IsAcceptableDeviceAddress(text)) << text;
}

TEST(AddressRule, RejectsNetworkBroadcastLoopbackMulticastAndReserved)
{
    for (const char* text : {"0.0.0.0", "10.0.0.0", "10.255.255.255", "172.16.0.0", "172.16.255.255", "192.168.1.0",
                             "192.168.1.255", "127.0.0.1", "127.10.20.30", "224.0.0.1", "240.1.1.1", "255.255.255.255"})
        EXPECT_FALSE(IsAcceptableDeviceAddress(text)) << text;
}

TEST(AddressRule, TakesOnlyFourDecimalParts)
{
    // A leading zero is decimal: 192.168.001.010 is 192.168.1.10.
    EXPECT_TRUE(IsAcceptableDeviceAddress("192.168.001.010"));
    EXPECT_FALSE(IsAcceptableDeviceAddress("192.168.001.255"));
    EXPECT_FALSE(IsAcceptableDeviceAddress("0xC0.0xA8.1.0x0A")); // hexadecimal
    EXPECT_FALSE(IsAcceptableDeviceAddress("10.1"));             // short form
    EXPECT_FALSE(IsAcceptableDeviceAddress("3232235836"));
    EXPECT_FALSE(IsAcceptableDeviceAddress("192.168..1"));
    EXPECT_FALSE(IsAcceptableDeviceAddress(""));
    EXPECT_FALSE(IsAcceptableDeviceAddress("abc"));
    EXPECT_FALSE(IsAcceptableDeviceAddress("192.168.1.300"));
    EXPECT_TRUE(IsAcceptableDeviceAddress("192.168.1.08"));
    EXPECT_FALSE(IsAcceptableDeviceAddress("192.168.12.21 #old"));
    EXPECT_FALSE(IsAcceptableDeviceAddress(std::string("10.0.0.1\0junk", 13)));
}

// The rule restated in class terms: class A, B or C, not the 127 network, and
// a host part that is neither all zero bits nor all one bits.
bool AcceptableByClass(unsigned a, unsigned b, unsigned c, unsigned d)
{
    if (a == 127 || a > 223)
        return false;
    unsigned hostBits, host;
    if (a < 128) {
        hostBits = 24;
        host = b << 16 | c << 8 | d;
    } else if (a < 192) {
        hostBits = 16;
        host = c << 8 | d;
    } else {
        hostBits = 8;
        host = d;
    }
    return host != 0 && host != (1u << hostBits) - 1;
}

std::string Format(unsigned part, int style)
{
    char buf[16];
    switch (style) {
    case 1: std::snprintf(buf, sizeof buf, "%03u", part); break; // leading zeros, still decimal
    default: std::snprintf(buf, sizeof buf, "%u", part); break;
    }
    return buf;
}

TEST(AddressRule, AgreesWithTheClassfulRestatementOnRandomAddresses)
{
    std::mt19937 rng(20261208);
    // Bias octets towards the boundary values the rule cares about.
    const unsigned special[] = {0, 1, 126, 127, 128, 191, 192, 223, 224, 254, 255};
    auto octet = [&] { return rng() % 3 == 0 ? special[rng() % std::size(special)] : rng() % 256; };
    for (int i = 0; i < 200000; ++i) {
        const unsigned a = octet(), b = octet(), c = octet(), d = octet();
        const std::string text =
            Format(a, rng() % 2) + "." + Format(b, rng() % 2) + "." + Format(c, rng() % 2) + "." + Format(d, rng() % 2);
        ASSERT_EQ(IsAcceptableDeviceAddress(text), AcceptableByClass(a, b, c, d)) << text;
    }
}

TEST(MaskRule, TakesOnlyContiguousDottedDecimalMasks)
{
    for (const char* mask : {"255.255.255.0", "255.255.255.254", "128.0.0.0"})
        EXPECT_TRUE(IsAcceptableSubnetMask(mask)) << mask;
    for (const char* text :
         {"0..25.5.2.55.", "255.255.255", "255.255.0.255", "255.255.256.0", "0xff.0.0.0", " 255.0.0.0"})
        EXPECT_FALSE(IsAcceptableSubnetMask(text)) << text;
}

} // namespace
