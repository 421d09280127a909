// SPDX-License-Identifier: MIT
// Text for the operator's terminal (table output, stderr messages): any host
// on the segment can put bytes into a device's reply, so control characters
// are shown as \xNN instead of reaching the terminal. A backslash is shown as
// \\, so the result reads back unambiguously. JSON stays exact, CSV too
// but for formula-like cells (cli/table_text.h: CsvField).
#pragma once
#include <string>

namespace cli {

// Device bytes (shown as Latin-1) as UTF-8, with C0 controls, DEL and the C1
// controls 0x80-0x9F escaped.
std::string ShownLatin1(const std::string& bytes);

// UTF-8 text with C0 controls, DEL and U+0080-U+009F escaped (Polish and
// other printable text left as it is); a byte that is not valid UTF-8 is
// escaped too.
std::string ShownText(const std::string& utf8);

// CSV on its way to `fd`: line by line as ShownText has it when `fd` is a
// terminal, exact into a file or a pipe (a spreadsheet or a script).
std::string CsvForOutput(const std::string& csv, int fd);

} // namespace cli
