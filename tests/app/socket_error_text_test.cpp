// SPDX-License-Identifier: MIT
#include "protocol/socket_error_text.h"

#include <gtest/gtest.h>

namespace {

TEST(SocketErrorBoxText, UnreachableNetworkOrHostAdvisesAPermanentAddress)
{
    for (int code : {10051, 10065}) {
        const QString text = SocketErrorBoxText(code, QStringLiteral("Send failed: The network is unreachable"));
        const QByteArray expected = "B\xC5\x82\xC4\x85"
                                    "d przy wysy\xC5\x82"
                                    "aniu ramki UDP - program zostanie zako\xC5\x84"
                                    "czony.\r"
                                    "Numer b\xC5\x82\xC4\x99"
                                    "du: " +
            QByteArray::number(code) +
            "\r"
            "Opis b\xC5\x82\xC4\x99"
            "du:  Send failed: The network is unreachable\r"
            "Sprawd\xC5\xBA czy komputer posiada sta\xC5\x82y adres IP\r"
            "i czy lokalna sie\xC4\x87 komputerowa jest dost\xC4\x99pna\r"
            "(po\xC5\x82\xC4\x85"
            "czenie lokalne jest w\xC5\x82\xC4\x85"
            "czone).";
        EXPECT_EQ(text.toUtf8(), expected) << code;
    }
}

TEST(SocketErrorBoxText, OtherErrorsGiveGeneralAdviceAndATrailingCarriageReturn)
{
    const QString text = SocketErrorBoxText(10013, QStringLiteral("Socket bind failed: Address in use"));
    const QByteArray expected = "B\xC5\x82\xC4\x85"
                                "d przy wysy\xC5\x82"
                                "aniu ramki UDP - program zostanie zako\xC5\x84"
                                "czony.\r"
                                "Numer b\xC5\x82\xC4\x99"
                                "du: 10013\r"
                                "Opis b\xC5\x82\xC4\x99"
                                "du:  Socket bind failed: Address in use\r"
                                "Sprawd\xC5\xBA czy sie\xC4\x87 lokalna jest dost\xC4\x99pna\r"
                                "i prawid\xC5\x82owo skonfigurowana.\r";
    EXPECT_EQ(text.toUtf8(), expected);
    EXPECT_EQ(text.count(QChar(13)), 5);
    EXPECT_TRUE(SocketErrorBoxText(-1, QString()).contains(QStringLiteral("Numer błędu: -1\r")));
}

} // namespace
