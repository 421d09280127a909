// SPDX-License-Identifier: MIT
// The records of a delimited text as people and programs write them
// (RFC 4180): fields separated by ",", ";" or a tab, optionally in double
// quotes ("" stands for one quote; a quoted field may hold separators and
// line breaks), lines ended by LF or CRLF. Blank lines and lines starting
// with "#" are no records.
//
// Debian's C CSV readers were weighed and not taken: libcsv reports no line
// numbers (every plan error names its line) and knows no comment lines;
// libfccp's reader wants a fixed set of columns and reads files itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct CsvRecord {
    int LineNumber = 0; // the line the record starts on, from 1
    std::vector<std::string> Fields;
};

struct CsvReading {
    std::vector<CsvRecord> Records;
    std::vector<std::string> Errors; // "wiersz N: why", in Polish
};

// The separator of the first line that is neither blank nor a comment: the
// most frequent of ",", ";" and tab outside quotes; "," when there is none.
char DetectSeparator(std::string_view text);

// A malformed record (text after a closing quote) is reported and skipped;
// a quote that never closes ends the reading.
CsvReading ReadCsvRecords(std::string_view text, char separator);

} // namespace cli
