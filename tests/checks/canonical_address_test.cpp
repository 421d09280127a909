// SPDX-License-Identifier: MIT
#include "checks/dotted_address.h"
#include "checks/new_settings_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DottedAddress, ReadsFourDecimalPartsIntoTheCanonicalText)
{
    const struct {
        std::string Text;
        uint32_t Value;
        const char* Canonical;
    } rows[] = {
        {"192.168.1.50", 0xC0A80132, "192.168.1.50"},       {"192.168.001.050", 0xC0A80132, "192.168.1.50"},
        {"010.000.000.001", 0x0A000001, "10.0.0.1"},        {"0.0.0.0", 0, "0.0.0.0"},
        {"255.255.255.255", 0xFFFFFFFF, "255.255.255.255"},
    };
    for (const auto& row : rows) {
        const auto parsed = checks::ParseDottedAddress(row.Text);
        ASSERT_TRUE(parsed) << row.Text;
        EXPECT_EQ(parsed->Value, row.Value) << row.Text;
        EXPECT_EQ(parsed->Text, row.Canonical) << row.Text;
        EXPECT_EQ(checks::ParseDottedAddress(parsed->Text)->Text, parsed->Text);
    }
}

TEST(DottedAddress, RefusesEveryOtherForm)
{
    for (const std::string& text : std::initializer_list<std::string>{"0xC0A8013C",
                                                                      "3232235836",
                                                                      "0xC0.0xA8.1.10",
                                                                      "10.1",
                                                                      "192.168.1",
                                                                      "192.168.1.1.1",
                                                                      "192.168..1",
                                                                      "192.168.1.",
                                                                      ".192.168.1.1",
                                                                      "192.168.1.256",
                                                                      "192.168.1.300",
                                                                      "192.168.1.0050",
                                                                      "192.168.12.21 #old",
                                                                      " 192.168.1.1",
                                                                      "192.168.1.1 ",
                                                                      "192.168. 1.1",
                                                                      "+1.2.3.4",
                                                                      "1.2.3.-4",
                                                                      "",
                                                                      "abc",
                                                                      std::string("10.0.0.1\0", 9),
                                                                      std::string("10.0\0.0.1", 9),
                                                                      "１.2.3.4"})
        EXPECT_FALSE(checks::ParseDottedAddress(text)) << text;
}

TEST(NewSettings, RefusesWithTheTextOfTheFirstBrokenRule)
{
    const std::string address = checks::kAddressRefused, mask = checks::kMaskRefused,
                      network = checks::kNetworkAddressRefused, broadcast = checks::kBroadcastAddressRefused;
    const struct {
        const char* Address;
        const char* Mask;
        std::string Refusal;
    } rows[] = {
        {"0xC0A8013C", "255.255.255.0", address},
        {"192.168.12.21 #old", "255.255.255.0", address},
        {"192.168.1.255", "255.255.0.0", address}, // the classful rule still applies
        {"127.0.0.1", "255.0.0.0", address},
        {"192.168.1.10", "255.0.255.0", mask},
        {"192.168.1.10", "24", mask},
        {"192.168.1.127", "255.255.255.128", broadcast},
        {"10.1.255.255", "255.255.0.0", broadcast},
        {"192.168.1.128", "255.255.255.128", network},
        {"172.16.4.0", "255.255.252.0", network}, // 4.0 is no all-zero class B host, but all zeros under a 22-bit mask
        {"10.4.0.0", "255.252.0.0", network},
        {"10.7.255.255", "255.252.0.0", broadcast},
    };
    for (const auto& row : rows)
        EXPECT_EQ(checks::RefusalOfNewSettings(row.Address, row.Mask).value_or("none"), row.Refusal)
            << row.Address << " " << row.Mask;
}

TEST(NewSettings, PassesWithCanonicalTexts)
{
    const struct {
        const char* Address;
        const char* Mask;
        const char* CanonicalAddress;
        const char* CanonicalMask;
    } rows[] = {
        {"192.168.001.050", "255.255.255.000", "192.168.1.50", "255.255.255.0"},
        {"192.168.1.126", "255.255.255.128", "192.168.1.126", "255.255.255.128"},
        {"10.1.255.254", "255.255.0.0", "10.1.255.254", "255.255.0.0"},
        {"192.168.1.10", "255.255.255.254", "192.168.1.10", "255.255.255.254"}, // 31 bits: no broadcast address
        {"172.16.4.1", "255.255.252.0", "172.16.4.1", "255.255.252.0"},
    };
    for (const auto& row : rows) {
        const checks::JudgedSettings judged = checks::JudgeNewSettings(row.Address, row.Mask);
        EXPECT_FALSE(judged.Refusal) << row.Address << ": " << judged.Refusal.value_or("");
        EXPECT_EQ(judged.Address, row.CanonicalAddress);
        EXPECT_EQ(judged.Mask, row.CanonicalMask);
        EXPECT_EQ(checks::DottedText(judged.AddressValue), row.CanonicalAddress);
        EXPECT_EQ(checks::DottedText(judged.MaskValue), row.CanonicalMask);
    }
}

} // namespace
