// SPDX-License-Identifier: MIT
#include "cli/plan.h"

#include "change/plan_line.h"
#include "checks/dotted_address.h"
#include "checks/mac_text.h"
#include "checks/new_settings_check.h"
#include "cli/csv_records.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

namespace cli {

namespace {

enum Column { kMac, kAddress, kMask, kColumnCount };

struct ColumnName {
    const char* Name;
    cli::Column Column;
};

constexpr std::array<ColumnName, 12> kColumnNames{{
    {"mac", kMac},
    {"adres mac", kMac},
    {"mac address", kMac},
    {"address", kAddress},
    {"adres", kAddress},
    {"adres ip", kAddress},
    {"ip", kAddress},
    {"ip address", kAddress},
    {"mask", kMask},
    {"maska", kMask},
    {"maska podsieci", kMask},
    {"subnet mask", kMask},
}};

constexpr const char* kColumnTitles[kColumnCount] = {"mac", "adres", "maska"};

std::string LineError(int number, const std::string& why) { return "wiersz " + std::to_string(number) + ": " + why; }

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// What the operator wrote, quoted for a message, long texts cut; escaped
// once, where the message reaches a terminal (JSON keeps it exact).
std::string Shown(const std::string& text)
{
    std::string shown = "\"";
    shown.append(text, 0, 40);
    shown.append(text.size() > 40 ? "…\"" : "\"");
    return shown;
}

std::optional<Column> ColumnOf(const std::string& title)
{
    std::string lower = Trimmed(title);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    for (const ColumnName& name : kColumnNames)
        if (lower == name.Name)
            return name.Column;
    return std::nullopt;
}

// Where each column is: from a header, or the header-less mac,address,mask.
struct Layout {
    std::array<int, kColumnCount> Index{0, 1, 2};
    bool FromHeader = false;
};

// The header's layout, or nothing when the record names no known column
// (then it is data). A header without a MAC or an address column is an error.
std::optional<Layout> HeaderLayout(const CsvRecord& record, std::vector<std::string>& errors)
{
    Layout layout;
    layout.Index.fill(-1);
    layout.FromHeader = true;
    bool known = false;
    for (std::size_t at = 0; at < record.Fields.size(); ++at) {
        const std::optional<Column> column = ColumnOf(record.Fields[at]);
        if (!column)
            continue;
        known = true;
        if (layout.Index[*column] >= 0)
            errors.push_back(
                LineError(record.LineNumber, "kolumna " + Shown(record.Fields[at]) + " drugi raz w nagłówku"));
        else
            layout.Index[*column] = static_cast<int>(at);
    }
    if (!known)
        return std::nullopt;
    if (layout.Index[kMac] < 0)
        errors.push_back(LineError(record.LineNumber, "w nagłówku brak kolumny adresu MAC (mac lub adres mac)"));
    if (layout.Index[kAddress] < 0)
        errors.push_back(LineError(record.LineNumber, "w nagłówku brak kolumny adresu (address, adres lub adres ip)"));
    return layout;
}

// A prefix length 0..32 ("24"), as its mask.
std::optional<uint32_t> PrefixMask(const std::string& digits)
{
    if (digits.empty() || digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int length = std::stoi(digits);
    if (length > 32)
        return std::nullopt;
    return length == 0 ? 0u : ~uint32_t{0} << (32 - length);
}

// The mask of a line: from the mask column (dotted, "24" or "/24") and from
// an address's prefix, which must agree when both are given.
std::optional<std::string> MaskText(const std::string& maskField, const std::optional<std::string>& prefix, int number,
                                    std::vector<std::string>& errors)
{
    std::optional<uint32_t> fromPrefix;
    if (prefix && !(fromPrefix = PrefixMask(*prefix))) {
        errors.push_back(LineError(number, "niewłaściwa długość prefiksu /" + *prefix + " (od 1 do 32)"));
        return std::nullopt;
    }
    if (maskField.empty()) {
        if (!fromPrefix)
            errors.push_back(LineError(number, "brak maski podsieci"));
        return fromPrefix ? std::optional(checks::DottedText(*fromPrefix)) : std::nullopt;
    }
    std::optional<uint32_t> mask;
    const bool shortNumber = maskField.size() <= 2 && maskField.find_first_not_of("0123456789") == std::string::npos;
    if (const std::string digits = maskField[0] == '/' ? maskField.substr(1) : maskField;
        maskField[0] == '/' || shortNumber) {
        if (!(mask = PrefixMask(digits))) {
            errors.push_back(LineError(number, "niewłaściwa długość prefiksu " + Shown(maskField) + " (od 1 do 32)"));
            return std::nullopt;
        }
    } else if (const auto dotted = checks::ParseDottedAddress(maskField)) {
        mask = dotted->Value;
    } else {
        return maskField; // refused by the mask rule with its own text
    }
    if (fromPrefix && *fromPrefix != *mask) {
        errors.push_back(
            LineError(number, "maska " + checks::DottedText(*mask) + " nie zgadza się z prefiksem /" + *prefix));
        return std::nullopt;
    }
    return checks::DottedText(*mask);
}

class PlanReader {
public:
    void Read(const CsvRecord& record, const Layout& layout);
    // The plan, with the errors of the reading itself (quotes) among the
    // lines' in line order.
    Plan Finish(const std::vector<std::string>& readingErrors) &&;

private:
    Plan plan_;
    std::map<std::string, int> lineOfMac_;
    std::map<std::string, int> lineOfAddress_;
};

void PlanReader::Read(const CsvRecord& record, const Layout& layout)
{
    const int number = record.LineNumber;
    std::vector<std::string>& errors = plan_.Errors;
    const std::size_t errorsBefore = errors.size();
    if (!layout.FromHeader && record.Fields.size() != 3) {
        errors.push_back(LineError(number, "oczekiwano trzech pól: mac,adres,maska"));
        return;
    }
    std::array<std::string, kColumnCount> fields;
    for (int column = 0; column < kColumnCount; ++column) {
        const int index = layout.Index[column];
        if (index < 0)
            continue;
        if (static_cast<std::size_t>(index) >= record.Fields.size()) {
            errors.push_back(LineError(number, std::string("brak pola kolumny ") + kColumnTitles[column]));
            return;
        }
        fields[column] = Trimmed(record.Fields[index]);
    }

    const std::optional<std::string> mac = checks::CanonicalMac(fields[kMac]);
    if (fields[kMac].empty())
        errors.push_back(LineError(number, "brak adresu MAC"));
    else if (!mac)
        errors.push_back(LineError(number,
                                   "niewłaściwy adres MAC " + Shown(fields[kMac]) +
                                       ": oczekiwano 12 cyfr szesnastkowych, np. 00:0E:C6:4A:10:03"));
    else if (const std::optional<std::string> ambiguous = checks::AmbiguousMacRefusal(fields[kMac]))
        errors.push_back(LineError(number, *ambiguous));
    else if (const auto [at, added] = lineOfMac_.emplace(*mac, number); !added)
        errors.push_back(LineError(number, "adres MAC " + *mac + " już w wierszu " + std::to_string(at->second)));

    std::string address = fields[kAddress];
    std::optional<std::string> prefix;
    if (const std::size_t slash = address.find('/'); slash != std::string::npos) {
        prefix = address.substr(slash + 1);
        address.resize(slash);
    }
    const std::optional<std::string> mask = MaskText(fields[kMask], prefix, number, errors);
    const auto parsedAddress = checks::ParseDottedAddress(address);
    change::LineJudgement judged;
    if (mask) {
        judged = change::JudgeLine({number, mac.value_or(""), address, *mask});
        if (!judged.Line)
            errors.push_back(LineError(number, judged.Refusal));
    } else if (!parsedAddress) {
        errors.push_back(LineError(number, checks::kAddressRefused));
    }
    if (parsedAddress)
        if (const auto [at, added] = lineOfAddress_.emplace(parsedAddress->Text, number); !added)
            errors.push_back(
                LineError(number, "adres " + parsedAddress->Text + " już w wierszu " + std::to_string(at->second)));
    if (errors.size() == errorsBefore)
        plan_.Lines.push_back(*judged.Line);
}

Plan PlanReader::Finish(const std::vector<std::string>& readingErrors) &&
{
    plan_.Errors.insert(plan_.Errors.end(), readingErrors.begin(), readingErrors.end());
    const auto lineOf = [](const std::string& error) { return std::stoi(error.substr(error.find(' '))); };
    std::stable_sort(plan_.Errors.begin(), plan_.Errors.end(),
                     [&](const std::string& a, const std::string& b) { return lineOf(a) < lineOf(b); });
    if (plan_.Lines.empty() && plan_.Errors.empty())
        plan_.Errors.emplace_back("plan nie zawiera żadnego urządzenia");
    return std::move(plan_);
}

// Why the bytes cannot be a UTF-8 text plan, if they cannot.
std::optional<std::string> EncodingRefusal(const std::string& text)
{
    if (text.size() > kMaxPlanBytes)
        return "plik większy niż 1 MiB to nie plan";
    if (text.rfind("\xFF\xFE", 0) == 0 || text.rfind("\xFE\xFF", 0) == 0 || text.find('\0') != std::string::npos)
        return "plik zapisany w UTF-16 (lub zawiera bajty zerowe); zapisz plan jako tekst UTF-8, "
               "np. \"CSV UTF-8\" w arkuszu";
    return std::nullopt;
}

} // namespace

Plan ParsePlan(const std::string& text)
{
    if (const auto refusal = EncodingRefusal(text))
        return Plan{{}, {*refusal}};
    std::string_view content = text;
    if (content.rfind("\xEF\xBB\xBF", 0) == 0)
        content.remove_prefix(3);
    CsvReading reading = ReadCsvRecords(content, DetectSeparator(content));

    PlanReader reader;
    Layout layout;
    auto record = reading.Records.begin();
    std::vector<std::string> headerErrors;
    if (record != reading.Records.end())
        if (const std::optional<Layout> header = HeaderLayout(*record, headerErrors)) {
            layout = *header;
            ++record;
        }
    if (!headerErrors.empty())
        return Plan{{}, headerErrors};
    for (; record != reading.Records.end(); ++record)
        reader.Read(*record, layout);
    return std::move(reader).Finish(reading.Errors);
}

} // namespace cli
