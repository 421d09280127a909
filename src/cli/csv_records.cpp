// SPDX-License-Identifier: MIT
#include "cli/csv_records.h"

#include <algorithm>
#include <array>

namespace cli {

namespace {

std::string LineError(int number, const std::string& why) { return "wiersz " + std::to_string(number) + ": " + why; }

bool IsBlank(char c, char separator) { return (c == ' ' || c == '\t' || c == '\r') && c != separator; }

// Where the line starting at `at` ends (its '\n' or the text's end).
std::size_t LineEnd(std::string_view text, std::size_t at) { return std::min(text.find('\n', at), text.size()); }

// Whether the line starting at `at` holds no record: blank or a comment.
bool IsSkippedLine(std::string_view text, std::size_t at)
{
    const std::string_view line = text.substr(at, LineEnd(text, at) - at);
    const std::size_t first = line.find_first_not_of(" \t\r");
    return first == std::string_view::npos || line[first] == '#';
}

} // namespace

char DetectSeparator(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && IsSkippedLine(text, at))
        at = LineEnd(text, at) + 1;
    std::array<std::pair<char, int>, 3> counts{{{',', 0}, {';', 0}, {'\t', 0}}};
    bool quoted = false;
    for (; at < text.size() && (quoted || text[at] != '\n'); ++at) {
        if (text[at] == '"')
            quoted = !quoted;
        else if (!quoted)
            for (auto& [separator, count] : counts)
                count += text[at] == separator;
    }
    // The first of the most frequent: "," wins a tie.
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

CsvReading ReadCsvRecords(std::string_view text, char separator)
{
    CsvReading reading;
    std::size_t at = 0;
    int line = 1;
    while (at < text.size()) {
        if (IsSkippedLine(text, at)) {
            at = LineEnd(text, at) + 1;
            ++line;
            continue;
        }
        CsvRecord record{line, {}};
        bool recordEnds = false, broken = false;
        while (!recordEnds && !broken) {
            std::string field;
            while (at < text.size() && IsBlank(text[at], separator))
                ++at;
            if (at < text.size() && text[at] == '"') {
                const int opening = line;
                for (++at;; ++at) {
                    if (at >= text.size()) {
                        reading.Errors.push_back(LineError(opening, "cudzysłów otwarty i niezamknięty"));
                        return reading;
                    }
                    if (text[at] == '"' && at + 1 < text.size() && text[at + 1] == '"')
                        field += text[++at];
                    else if (text[at] == '"')
                        break;
                    else {
                        line += text[at] == '\n';
                        field += text[at];
                    }
                }
                for (++at; at < text.size() && IsBlank(text[at], separator);)
                    ++at;
                broken = at < text.size() && text[at] != separator && text[at] != '\n';
            } else {
                const std::size_t end = std::min(text.find_first_of(std::string{separator, '\n'}, at), text.size());
                field = text.substr(at, end - at);
                while (!field.empty() && IsBlank(field.back(), separator))
                    field.pop_back();
                at = end;
            }
            record.Fields.push_back(std::move(field));
            recordEnds = at >= text.size() || text[at] == '\n';
            ++at; // past the separator or the line end
        }
        if (broken) {
            reading.Errors.push_back(LineError(line, "tekst po cudzysłowie zamykającym pole"));
            at = LineEnd(text, at - 1) + 1;
        } else {
            reading.Records.push_back(std::move(record));
        }
        ++line;
    }
    return reading;
}

} // namespace cli
