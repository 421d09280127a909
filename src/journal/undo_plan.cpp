// SPDX-License-Identifier: MIT
#include "journal/undo_plan.h"

#include "checks/dotted_address.h"
#include "checks/mac_text.h"
#include "checks/mask_rule.h"
#include "checks/new_settings_check.h"
#include "journal/csv_cell.h"
#include "journal/durable_file.h"
#include "journal/plan_path.h"

#include <cerrno>
#include <exception>
#include <map>
#include <optional>
#include <set>

namespace journal {

namespace {

// A device text in a comment line: in quotes, control, non-ASCII and
// backslash bytes escaped, so it cannot end the line; long texts cut.
std::string Shown(const std::string& bytes)
{
    static const char kHex[] = "0123456789abcdef";
    constexpr std::size_t kLongest = 40;
    std::string shown = "\"";
    for (std::size_t at = 0; at < bytes.size() && at < kLongest; ++at) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x20 || byte >= 0x7F || byte == '\\')
            shown += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
        else
            shown += static_cast<char>(byte);
    }
    return shown + (bytes.size() > kLongest ? "…\"" : "\"");
}

std::optional<std::string> CanonicalMask(const std::string& text)
{
    const auto mask = checks::ParseDottedAddress(text);
    if (!mask || !checks::IsAcceptableSubnetMaskValue(mask->Value))
        return std::nullopt;
    return mask->Text;
}

std::string Unknown(const char* what, const std::string& text)
{
    return std::string(what) + (text.empty() ? "" : " (urządzenie podało " + Shown(text) + ")");
}

class PlanWriter {
public:
    void Add(const PlanDevice& device);
    UndoPlan Finish() && { return std::move(plan_); }

private:
    void Line(const std::string& text)
    {
        plan_.Text += text + '\n';
        ++lines_;
    }
    void LeaveOut(const PlanDevice& device, const std::string& why, const std::string& cells);

    UndoPlan plan_{std::string(kUndoPlanHeader) + '\n', {}};
    int lines_ = 1;
    std::map<std::string, int> lineOfMac_, lineOfAddress_;
};

void PlanWriter::Add(const PlanDevice& device)
{
    const std::optional<std::string> mac = checks::CanonicalMac(device.Mac);
    if (!mac) {
        LeaveOut(device,
                 "to nie jest adres MAC (12 cyfr szesnastkowych), plan go nie przywróci; adres sprzed zmiany " +
                     Shown(device.Address) + ", maska " + Shown(device.Mask),
                 {});
        return;
    }
    const auto address = checks::ParseDottedAddress(device.Address);
    const std::optional<std::string> mask = CanonicalMask(device.Mask);
    std::string why;
    if (!address)
        why = Unknown("adres sprzed zmiany nieznany", device.Address);
    if (!mask)
        why += (why.empty() ? "" : "; ") + Unknown("maska sprzed zmiany nieznana", device.Mask);
    if (why.empty())
        if (const auto refusal = checks::RefusalOfNewSettings(address->Text, *mask))
            why = "adres " + address->Text + " z maską " + *mask + " odrzucony: " + *refusal;
    if (why.empty() && lineOfMac_.count(*mac) != 0)
        why = "adres MAC " + *mac + " już w wierszu " + std::to_string(lineOfMac_[*mac]);
    else if (why.empty() && lineOfAddress_.count(address->Text) != 0)
        why = "adres " + address->Text + " już w wierszu " + std::to_string(lineOfAddress_[address->Text]);
    const std::string cells = CsvCell(device.Mac) + ',' + (address ? address->Text : "") + ',' + mask.value_or("");
    if (!why.empty()) {
        LeaveOut(device, why, cells);
        return;
    }
    Line(cells);
    lineOfMac_.emplace(*mac, lines_);
    lineOfAddress_.emplace(address->Text, lines_);
}

// `cells`: the device's line as far as it is known, commented out; none
// when no editing can make it a plan line.
void PlanWriter::LeaveOut(const PlanDevice& device, const std::string& why, const std::string& cells)
{
    plan_.LeftOut.push_back({device.Mac, why});
    const std::string mac = checks::CanonicalMac(device.Mac).value_or(Shown(device.Mac));
    Line("# " + mac + ": " + why + (cells.empty() ? "" : " — uzupełnij wiersz poniżej i usuń z niego #"));
    if (!cells.empty())
        Line("#" + cells);
}

} // namespace

UndoPlan MakeUndoPlan(const std::vector<PlanDevice>& devices)
{
    PlanWriter writer;
    for (const PlanDevice& device : devices)
        writer.Add(device);
    return std::move(writer).Finish();
}

std::string UndoPlanText(const std::vector<PlanDevice>& devices) { return MakeUndoPlan(devices).Text; }

std::string LeftOutWarning(const LeftOutDevice& device)
{
    return "plan cofnięcia: urządzenie " + checks::CanonicalMac(device.Mac).value_or(Shown(device.Mac)) + ": " +
        device.Why + " (w planie jako komentarz #)";
}

FileStatus WriteUndoPlan(const std::string& path, const UndoPlan& plan)
{
    try {
        return WriteWholeFile(path, plan.Text);
    } catch (const std::exception&) {
        return FailureOf(ENOMEM, path);
    }
}

FileStatus WriteUndoPlan(const std::string& path, const std::vector<PlanDevice>& devices)
{
    try {
        return WriteUndoPlan(path, MakeUndoPlan(devices));
    } catch (const std::exception&) {
        return FailureOf(ENOMEM, path);
    }
}

std::vector<PlanDevice> UndoOfRun(const std::vector<JournalChange>& changes, const std::string& run)
{
    std::vector<PlanDevice> devices;
    std::set<std::string> seen;
    for (const JournalChange& change : changes) {
        const ChangeStart& start = change.Begin.Start;
        if (change.Begin.Run == run && seen.insert(start.Mac).second)
            devices.push_back({start.Mac, start.OldAddress, start.OldMask});
    }
    return devices;
}

} // namespace journal
