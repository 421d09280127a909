// SPDX-License-Identifier: MIT
#include "cli/result_output.h"

#include "cli/device_output.h"
#include "cli/terminal_text.h"
#include "cli/text_bytes.h"

#include <nlohmann/json.hpp>

#include <array>

namespace cli {

namespace {

constexpr std::array<Outcome, 5> kOutcomes = {Outcome::Verified, Outcome::Unverified, Outcome::Refused,
                                              Outcome::NotFound, Outcome::Planned};

const char* MachineName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Verified: return "verified";
    case Outcome::Unverified: return "unverified";
    case Outcome::Refused: return "refused";
    case Outcome::NotFound: return "not_found";
    case Outcome::Planned: return "planned";
    }
    return "";
}

const char* PolishText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Verified: return "zmieniono i potwierdzono";
    case Outcome::Unverified: return "zmieniono, ale nie potwierdzono";
    case Outcome::Refused: return "odmowa urządzenia";
    case Outcome::NotFound: return "nie znaleziono";
    case Outcome::Planned: return "zostanie zmienione";
    }
    return "";
}

std::size_t Count(const std::vector<ChangeResult>& results, Outcome outcome)
{
    std::size_t count = 0;
    for (const ChangeResult& result : results)
        count += result.outcome == outcome ? 1 : 0;
    return count;
}

} // namespace

std::string FormatResults(const std::vector<ChangeResult>& results, Format format, bool withSummary)
{
    if (format == Format::Json) {
        nlohmann::ordered_json lines = nlohmann::ordered_json::array();
        for (const ChangeResult& result : results)
            lines.push_back({{"line", result.lineNumber},
                             {"mac", Latin1ToUtf8(result.mac)},
                             {"address", result.address},
                             {"mask", result.mask},
                             {"result", MachineName(result.outcome)},
                             {"detail", result.detail}});
        nlohmann::ordered_json summary{{"total", results.size()}};
        for (const Outcome outcome : kOutcomes)
            summary[MachineName(outcome)] = Count(results, outcome);
        return nlohmann::ordered_json{{"results", lines}, {"summary", summary}}.dump(
                   2, ' ', false, nlohmann::json::error_handler_t::replace) +
            '\n';
    }
    if (format == Format::Csv) {
        std::string text = "line,mac,address,mask,result,detail\n";
        for (const ChangeResult& result : results)
            text += std::to_string(result.lineNumber) + ',' + CsvField(Latin1ToUtf8(result.mac)) + ',' +
                CsvField(result.address) + ',' + CsvField(result.mask) + ',' + MachineName(result.outcome) + ',' +
                CsvField(result.detail) + '\n';
        return text;
    }
    std::string text;
    for (const ChangeResult& result : results) {
        if (result.lineNumber > 0)
            text += "wiersz " + std::to_string(result.lineNumber) + ": ";
        text +=
            ShownLatin1(result.mac) + " -> " + result.address + "/" + result.mask + ": " + PolishText(result.outcome);
        if (!result.detail.empty())
            text += " (" + ShownText(result.detail) + ")";
        text += '\n';
    }
    if (withSummary)
        text += "Razem " + std::to_string(results.size()) + ": zmienione i potwierdzone " +
            std::to_string(Count(results, Outcome::Verified)) + ", niepotwierdzone " +
            std::to_string(Count(results, Outcome::Unverified)) + ", odmowa " +
            std::to_string(Count(results, Outcome::Refused)) + ", nie znaleziono " +
            std::to_string(Count(results, Outcome::NotFound)) + ", do zmiany " +
            std::to_string(Count(results, Outcome::Planned)) + "\n";
    return text;
}

int ExitStatusOf(const std::vector<ChangeResult>& results)
{
    for (const ChangeResult& result : results)
        if (result.outcome != Outcome::Verified && result.outcome != Outcome::Planned)
            return 3;
    return 0;
}

} // namespace cli
