// SPDX-License-Identifier: MIT
#include "widgets/section_number.h"

#include "widgets/convert_error.h"

#include <QString>

namespace widgets {

namespace {

int DigitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

bool IsHexMark(QChar c) { return c == u'x' || c == u'X'; }

} // namespace

std::optional<qint32> TrySectionNumber(QStringView text)
{
    const qsizetype end = text.size();
    qsizetype i = 0;
    while (i < end && text[i] == u' ')
        ++i;

    int base = 10;
    bool negative = false;
    if (i < end) {
        const QChar c = text[i];
        if (c == u'$' || IsHexMark(c)) {
            base = 16;
            ++i;
        } else if (c == u'0' && i + 1 < end && IsHexMark(text[i + 1])) {
            base = 16;
            i += 2;
        } else if (c == u'-') {
            negative = true;
            ++i;
        } else if (c == u'+') {
            ++i;
        }
    }
    if (i == end)
        return std::nullopt;

    const qint64 limit = negative ? qint64{2147483648} : qint64{2147483647};
    qint64 value = 0;
    for (; i < end; ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<qint32>(negative ? -value : value);
}

qint32 SectionNumber(QStringView text)
{
    if (const auto number = TrySectionNumber(text))
        return *number;
    throw EConvertError("'" + text.toString().toStdString() + "' is not a valid integer value");
}

} // namespace widgets
