// SPDX-License-Identifier: MIT
#include "cli/result_output.h"

#include "cli/format_version.h"
#include "cli/json_text.h"
#include "cli/table_text.h"
#include "cli/terminal_text.h"
#include "cli/text_bytes.h"

#include <nlohmann/json.hpp>

#include <array>

namespace cli {

namespace {

std::size_t Count(const std::vector<ChangeResult>& results, Outcome outcome)
{
    std::size_t count = 0;
    for (const ChangeResult& result : results)
        count += result.Outcome == outcome ? 1 : 0;
    return count;
}

std::size_t UncheckedCount(const std::vector<ChangeResult>& results)
{
    std::size_t count = 0;
    for (const ChangeResult& result : results)
        count += result.AddressChecked ? 0 : 1;
    return count;
}

nlohmann::ordered_json JsonOf(const ChangeResult& result)
{
    return {{"line", result.LineNumber},
            {"mac", Latin1ToUtf8(result.Mac)},
            {"mac_normalized",
             result.MacNormalized.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(result.MacNormalized)},
            {"interface", result.Interface},
            {"old_address", Latin1ToUtf8(result.OldAddress)},
            {"old_mask", Latin1ToUtf8(result.OldMask)},
            {"address", result.Address},
            {"mask", result.Mask},
            {"result", change::MachineName(result.Outcome)},
            {"address_checked", result.AddressChecked},
            {"detail", result.Detail}};
}

nlohmann::ordered_json Summary(const std::vector<ChangeResult>& results, const std::string& journalProblem)
{
    nlohmann::ordered_json summary{{"total", results.size()}};
    for (const Outcome outcome : change::kOutcomes)
        if (outcome != Outcome::Changed)
            summary[change::MachineName(outcome)] = Count(results, outcome);
    summary["address_unchecked"] = UncheckedCount(results);
    summary["journal"] = journalProblem.empty();
    if (!journalProblem.empty())
        summary["journal_problem"] = journalProblem;
    return summary;
}

std::string Dump(const nlohmann::ordered_json& json, int indent) { return JsonText(json, indent); }

} // namespace

std::string ResultHeader(Format format)
{
    return format == Format::Csv ? "line,mac,address,mask,result,detail,old_address,old_mask,interface,mac_normalized\n"
                                 : "";
}

std::string FormatResultLine(const ChangeResult& result, Format format)
{
    switch (format) {
    case Format::Json: return {};
    case Format::Jsonl: return Dump(JsonOf(result), -1);
    case Format::Csv:
        return std::to_string(result.LineNumber) + ',' + CsvField(Latin1ToUtf8(result.Mac)) + ',' +
            CsvField(result.Address) + ',' + CsvField(result.Mask) + ',' + change::MachineName(result.Outcome) + ',' +
            CsvField(result.Detail) + ',' + CsvField(Latin1ToUtf8(result.OldAddress)) + ',' +
            CsvField(Latin1ToUtf8(result.OldMask)) + ',' + CsvField(result.Interface) + ',' + result.MacNormalized +
            '\n';
    case Format::Table: break;
    }
    std::string text;
    if (result.LineNumber > 0)
        text += "wiersz " + std::to_string(result.LineNumber) + ": ";
    text += ShownLatin1(result.Mac) + " ";
    if (!result.OldAddress.empty()) {
        text += ShownLatin1(result.OldAddress);
        if (!result.OldMask.empty())
            text.append("/").append(ShownLatin1(result.OldMask));
        text += ' ';
    }
    text.append("-> ").append(result.Address).append("/").append(result.Mask).append(": ");
    text += change::PolishName(result.Outcome);
    if (!result.Detail.empty())
        text += " (" + ShownText(result.Detail) + ")";
    if (!result.AddressChecked)
        text += " [adresu nie sprawdzono]";
    return text + '\n';
}

std::string FormatResultEnd(const std::vector<ChangeResult>& results, Format format, bool withSummary,
                            const std::string& journalProblem)
{
    switch (format) {
    case Format::Json: {
        nlohmann::ordered_json lines = nlohmann::ordered_json::array();
        for (const ChangeResult& result : results)
            lines.push_back(JsonOf(result));
        return Dump(
            {{"format_version", kFormatVersion}, {"results", lines}, {"summary", Summary(results, journalProblem)}}, 2);
    }
    case Format::Jsonl: return Dump({{"summary", Summary(results, journalProblem)}}, -1);
    case Format::Csv: return {};
    case Format::Table: break;
    }
    if (!withSummary)
        return {};
    std::string text = "Razem " + std::to_string(results.size()) + ": zmienione i potwierdzone " +
        std::to_string(Count(results, Outcome::Verified)) + ", częściowo " +
        std::to_string(Count(results, Outcome::Partial)) + ", niepotwierdzone " +
        std::to_string(Count(results, Outcome::Unverified)) + ", bez zmian " +
        std::to_string(Count(results, Outcome::Unchanged)) + ", odmowa " +
        std::to_string(Count(results, Outcome::Refused)) + ", adres zajęty " +
        std::to_string(Count(results, Outcome::Conflict)) + ", nie znaleziono " +
        std::to_string(Count(results, Outcome::NotFound)) + ", do zmiany " +
        std::to_string(Count(results, Outcome::Planned));
    // Counts that are mostly zero are named only when they are not.
    const std::pair<Outcome, const char*> rare[] = {{Outcome::Unchecked, "adres niesprawdzony"},
                                                    {Outcome::MacTwice, "MAC w dwóch miejscach"},
                                                    {Outcome::InterfaceGone, "brak interfejsu"},
                                                    {Outcome::Interrupted, "przerwane"},
                                                    {Outcome::NotAttempted, "nie podjęte"}};
    for (const auto& [outcome, words] : rare)
        if (const std::size_t count = Count(results, outcome); count > 0)
            text.append(", ").append(words).append(" ").append(std::to_string(count));
    if (const std::size_t unchecked = UncheckedCount(results); unchecked > 0)
        text += ", adresy niesprawdzone " + std::to_string(unchecked);
    return text + "\n";
}

} // namespace cli
