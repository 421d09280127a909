// SPDX-License-Identifier: MIT
#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace widgets {

// The number in a section text, by the classic text-to-integer rules:
// leading spaces are skipped, then either an optional "+" or "-" followed by
// decimal digits, or (unsigned) "$", "x" or "0x" followed by hexadecimal
// digits. The text must end after the digits and the value must fit a signed
// 32-bit integer. "", " ", ".", "1." and "12 " are not numbers.
std::optional<qint32> TrySectionNumber(QStringView text);

// As TrySectionNumber, but throws EConvertError when the text is no number.
qint32 SectionNumber(QStringView text);

} // namespace widgets
