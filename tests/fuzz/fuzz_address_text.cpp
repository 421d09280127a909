// SPDX-License-Identifier: MIT
// The address texts an operator or a device can put in front of the
// configurator: the address validity rule, the IP edit control's IPString
// write, its section writes and its section number conversion, and the
// window's port field value of a device's port text. Each is
// held against a restatement of its documented rules (dotted_address_model)
// and the restatement itself against the platform's inet_addr.
#include "dotted_address_model.h"
#include "fuzz_check.h"
#include "fuzz_process.h"

#include "app/port_field.h"
#include "checks/address_conversion.h"
#include "checks/address_rule.h"
#include "checks/dotted_address.h"
#include "widgets/ripedit.h"
#include "widgets/section_number.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <arpa/inet.h>

#include <algorithm>
#include <cstdint>
#include <string>

using namespace app;

using namespace widgets;

namespace {

std::string Show(const QString& text) { return Escaped(text.toStdString()); }

void CheckAddressRule(const std::string& text)
{
    const auto parsed = checks::ParseDottedAddress(text);
    const bool real = parsed && checks::IsAcceptableDeviceAddressValue(parsed->Value);
    const bool expected = model::AcceptableDeviceAddress(text);
    FUZZ_CHECK(real == expected, "address rule says " + std::to_string(real) + " for \"" + Escaped(text) + "\"");

    // The restatement is only worth something while it agrees with the
    // platform's conversion.
    if (text.find('\0') == std::string::npos) {
        const in_addr_t platform = inet_addr(text.c_str());
        FUZZ_CHECK(platform == model::InetAddr(text),
                   "inet_addr differs from the restatement for \"" + Escaped(text) + "\"");
        FUZZ_CHECK(checks::ConvertedAddress(text) == ntohl(platform),
                   "a device text's conversion differs from inet_addr's for \"" + Escaped(text) + "\"");
    }
}

// The port text of a discovery reply as the port field shows it: an
// optional sign and decimal digits that fit a 32-bit integer, held within
// 1001..65534; 1001 for anything else.
void CheckPortField(const std::string& text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::string digits = text.substr(i);
    bool number = !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
    long long value = 0;
    if (number) {
        const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
        const std::string significant = digits.substr(first);
        number = significant.size() <= 10;
        if (number) {
            value = std::stoll(significant) * (negative ? -1 : 1);
            number = value >= -2147483648LL && value <= 2147483647LL;
        }
    }
    const int expected = number ? static_cast<int>(std::clamp<long long>(value, 1001, 65534)) : 1001;
    FUZZ_CHECK(PortFieldValue(text) == expected,
               "port field of \"" + Escaped(text) + "\" shows " + std::to_string(PortFieldValue(text)) + ", expected " +
                   std::to_string(expected));
}

void CheckSectionNumber(const QString& text)
{
    const std::optional<qint32> real = TrySectionNumber(text);
    const std::optional<int32_t> expected = model::SectionNumber(text);
    FUZZ_CHECK(real == expected,
               "section number of \"" + Show(text) + "\": " + (real ? std::to_string(*real) : "none") + ", expected " +
                   (expected ? std::to_string(*expected) : "none"));
    bool threw = false;
    try {
        FUZZ_CHECK(SectionNumber(text) == expected.value_or(0), "SectionNumber differs from TrySectionNumber");
    } catch (const EConvertError&) {
        threw = true;
    }
    FUZZ_CHECK(threw == !expected.has_value(), "SectionNumber throws exactly for a text that is no number");
    FUZZ_CHECK(TRIPEdit::SecValid(text) == (expected.value_or(0) <= 255), "SecValid of \"" + Show(text) + "\"");
}

QStringList SectionTexts(const TRIPEdit& edit)
{
    QStringList texts;
    for (int n = 1; n <= TRIPEdit::kSectionCount; ++n)
        texts << edit.Section(n)->text();
    return texts;
}

// The write form: section 1 (the first octet) in bits 0-7.
quint32 WriteForm(uint32_t hostOrder)
{
    return (hostOrder >> 24) | ((hostOrder >> 8) & 0xFF00) | ((hostOrder << 8) & 0xFF0000) | (hostOrder << 24);
}

void CheckIPStringWrite(TRIPEdit& edit, const QString& text)
{
    const quint32 before = edit.FIPAddress();
    const QStringList textsBefore = SectionTexts(edit);

    // The text goes to inet_addr as Latin-1 bytes (other characters become
    // "?") read as a C string; an empty text is address 0.
    std::string latin1;
    for (QChar c : text)
        latin1 += c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?';
    uint32_t hostOrder = 0;
    if (!text.isEmpty())
        hostOrder = model::ParseDotted(latin1).value_or(0xFFFFFFFFu);
    const quint32 writeForm = WriteForm(hostOrder);

    edit.setIPString(text);

    if (writeForm == before) {
        FUZZ_CHECK(SectionTexts(edit) == textsBefore, "a write of the held address changed the sections");
        return;
    }
    const QString shown = edit.IPString();
    FUZZ_CHECK(shown.toStdString() == model::DottedDecimal(hostOrder),
               "IPString write of \"" + Show(text) + "\" shows " + shown.toStdString() + ", expected " +
                   model::DottedDecimal(hostOrder));
    FUZZ_CHECK(edit.FIPAddress() == writeForm, "FIPAddress after an IPString write");
    FUZZ_CHECK(edit.IPAddress() == hostOrder, "IPAddress read after an IPString write");
}

void CheckSectionWrite(TRIPEdit& edit, int position, int value)
{
    edit.setIPSec(position, value);
    const int shown = std::clamp(value, -99, 255);
    FUZZ_CHECK(edit.Section(position)->text() == QString::number(shown),
               "section write of " + std::to_string(value) + " shows " + Show(edit.Section(position)->text()));
    FUZZ_CHECK(edit.IPSec(position) == shown, "section read after a section write");
    quint32 writeForm = 0;
    for (int n = 1; n <= TRIPEdit::kSectionCount; ++n)
        writeForm |= (static_cast<quint32>(edit.IPSec(n)) & 0xFF) << (8 * (n - 1));
    FUZZ_CHECK(edit.FIPAddress() == writeForm, "FIPAddress after a section write");
    FUZZ_CHECK(edit.IPString() == SectionTexts(edit).join(QLatin1Char('.')), "IPString is the joined sections");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartQtApplication(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckAddressRule(bytes);
    CheckPortField(bytes);

    const QString asLatin1 = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QString asUtf8 = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QString asUtf16 =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data()), static_cast<qsizetype>(bytes.size() / 2));
    for (const QString& text : {asLatin1, asUtf8, asUtf16})
        CheckSectionNumber(text);
    // A section field holds at most three characters: the likely texts.
    CheckSectionNumber(asLatin1.left(3));

    // One control for the run, brought back to its fresh state ("0" in every
    // section, address 0) so that an input replays alike.
    static TRIPEdit& edit = *new TRIPEdit;
    for (int n = 1; n <= TRIPEdit::kSectionCount; ++n)
        edit.setIPSec(n, 0);
    FUZZ_CHECK(edit.IPString() == "0.0.0.0" && edit.FIPAddress() == 0, "the control is back at its fresh state");
    CheckIPStringWrite(edit, asLatin1);
    CheckIPStringWrite(edit, asUtf8);

    FuzzedDataProvider provider(data, size);
    for (int writes = 0; writes < 4 && provider.remaining_bytes() >= 5; ++writes) {
        const int position = provider.ConsumeIntegralInRange(1, TRIPEdit::kSectionCount);
        CheckSectionWrite(edit, position, provider.ConsumeIntegral<int>());
    }
    CheckIPStringWrite(edit, QString::fromLatin1(provider.ConsumeRemainingBytesAsString().c_str()));
    return 0;
}
