// SPDX-License-Identifier: MIT
// Status texts, the letter mapping, the discovery-reply split and the sort key.
#include "checks/address_conversion.h"
#include "protocol/address_key.h"
#include "protocol/discovery_reply.h"
#include "protocol/event_loop_wait.h"
#include "protocol/status_codes.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace protocol;

TEST(StatusText, WordsEveryCodeAsTheOperatorSeesIt)
{
    EXPECT_EQ(StatusText(0), "");
    EXPECT_EQ(StatusText(1), "Niewłaściwa nazwa/parametr funkcji.");
    EXPECT_EQ(StatusText(2), "Błąd wewnętrzny.");
    EXPECT_EQ(StatusText(3), "Brak dostępu - prawdopodobnie złe hasło.");
    EXPECT_EQ(StatusText(4), "Brak odpowiedzi z multipleksera1");
    EXPECT_EQ(StatusText(5), "Rozkaz nie został wysłany.");
    for (const Status code : {6, 99, 100, 255})
        EXPECT_EQ(StatusText(code), "Błąd spoza zakresu") << code;
    EXPECT_STREQ(StatusCode(kStatusNotSent), "not_sent");
    EXPECT_STREQ(StatusCode(6), "other");
}

TEST(StatusText, MapsReplyLettersWithDBeforeF)
{
    EXPECT_EQ(StatusOfReplyLetter("A"), 0);
    EXPECT_EQ(StatusOfReplyLetter("A255.255.255.0"), 0);
    EXPECT_EQ(StatusOfReplyLetter("C"), 1);
    EXPECT_EQ(StatusOfReplyLetter("F"), 2);
    EXPECT_EQ(StatusOfReplyLetter("D"), 3);
    for (const char* other : {"", "a", "B", "E", "X", "\x01", " A"})
        EXPECT_EQ(StatusOfReplyLetter(other), kStatusPending) << other;
    EXPECT_EQ(StatusOfReplyLetter(std::string("\0A", 2)), kStatusPending);
}

TEST(DiscoveryReply, SplitsMacPortAndFlagsAtTheFirstSlashes)
{
    auto r = SplitDiscoveryReply("A00-20-4A-01-02-03/10001/00E");
    EXPECT_EQ(r.Mac, "00-20-4A-01-02-03");
    EXPECT_EQ(r.Port, "10001");
    EXPECT_EQ(r.Flags, "00E");

    r = SplitDiscoveryReply("AMAC1");
    EXPECT_EQ(r.Mac, "MAC1");
    EXPECT_EQ(r.Port, "");
    EXPECT_EQ(r.Flags, "");

    r = SplitDiscoveryReply("AMAC/1001/abc/ignored/more");
    EXPECT_EQ(r.Mac, "MAC");
    EXPECT_EQ(r.Port, "1001");
    EXPECT_EQ(r.Flags, "abc");

    r = SplitDiscoveryReply("A/1001/");
    EXPECT_EQ(r.Mac, "");
    EXPECT_EQ(r.Port, "1001");
    EXPECT_EQ(r.Flags, "");

    r = SplitDiscoveryReply("AM//XYE");
    EXPECT_EQ(r.Mac, "M");
    EXPECT_EQ(r.Port, "");
    EXPECT_EQ(r.Flags, "XYE");

    EXPECT_EQ(SplitDiscoveryReply("").Mac, "");
    EXPECT_EQ(SplitDiscoveryReply("A").Mac, "");
}

TEST(DiscoveryReply, KeepsBytesAsTheyCame)
{
    const std::string text("A\xff\x00\xe9z/\x80\x01/", 9);
    const auto r = SplitDiscoveryReply(text);
    EXPECT_EQ(r.Mac, std::string("\xff\x00\xe9z", 4));
    EXPECT_EQ(r.Port, std::string("\x80\x01", 2));
}

TEST(DiscoveryReply, MarksOnlyAThirdCharacterE)
{
    EXPECT_TRUE(HasFlagE("00E"));
    EXPECT_TRUE(HasFlagE("xxExx"));
    EXPECT_FALSE(HasFlagE("0E"));
    EXPECT_FALSE(HasFlagE("E00"));
    EXPECT_FALSE(HasFlagE("00e"));
    EXPECT_FALSE(HasFlagE(""));
}

// A device's text, converted as inet_addr reads it, keyed as the list sorts.
TEST(AddressKey, ReadsTheNetworkOrderBytesAsALittleEndianSignedValue)
{
    const std::pair<std::string, int32_t> rows[] = {
        {"1.2.3.4", 0x04030201},
        {"192.168.1.127", 0x7F01A8C0},
        {"192.168.1.128", static_cast<int32_t>(0x8001A8C0u)},
        {"0300.0250.1.0x80", static_cast<int32_t>(0x8001A8C0u)}, // octal and hexadecimal parts
        {"10.1", 0x0100000A},                                    // a short form: 10.0.0.1
        {"0.0.0.0", 0},
        {"not an address", -1},
        {std::string("1.2.3.4\0", 8), -1},
    };
    for (const auto& [text, key] : rows)
        EXPECT_EQ(AddressKey(checks::ConvertedAddress(text)), key) << text;
}

TEST(EventLoopWait, EndsWhenItsConditionHoldsOrItsDeadlinePasses)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(ProcessEventsUntil(QDeadlineTimer(50, Qt::PreciseTimer), [] { return false; }));
    EXPECT_GE(clock.elapsed(), 50) << "never before the deadline";

    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    EXPECT_TRUE(ProcessEventsUntil(QDeadlineTimer(QDeadlineTimer::Forever), [&] { return fired; }))
        << "events are handled while waiting";
}
