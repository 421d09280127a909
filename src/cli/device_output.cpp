// SPDX-License-Identifier: MIT
#include "cli/device_output.h"

#include "checks/mac_text.h"
#include "cli/format_version.h"
#include "cli/json_text.h"
#include "cli/table_text.h"
#include "cli/terminal_text.h"
#include "cli/text_bytes.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include <optional>

namespace cli {

namespace {

// The port text as a number, when it is one.
std::optional<long> PortNumber(const std::string& port)
{
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long number = std::stol(port);
    return number <= 65535 ? std::optional<long>(number) : std::nullopt;
}

// The MAC's canonical form beside the device's own text (null, or an empty
// csv cell, when it is no MAC spelling).
nlohmann::ordered_json NormalizedMac(const std::string& mac)
{
    const std::optional<std::string> canonical = checks::CanonicalMac(mac);
    return canonical ? nlohmann::ordered_json(*canonical) : nlohmann::ordered_json();
}

// One device as the machine formats show it; unread ones (selection or
// login refused) with what is known.
struct Shown {
    const protocol::DeviceRow* Row = nullptr;
    std::string Mac, Address, Interface;
    const protocol::UnreadDevice* Failure = nullptr;
};

std::vector<Shown> Everything(const protocol::DiscoveryResult& discovery)
{
    std::vector<Shown> shown;
    for (const protocol::DeviceRow& row : discovery.Rows) {
        const auto failed = std::find_if(discovery.Unread.begin(), discovery.Unread.end(),
                                         [&](const protocol::UnreadDevice& unread) { return unread.Mac == row.Mac; });
        shown.push_back(
            {&row, row.Mac, row.Address, row.Interface, failed == discovery.Unread.end() ? nullptr : &*failed});
    }
    for (const protocol::UnreadDevice& failure : discovery.Unread)
        if (!failure.Listed)
            shown.push_back({nullptr, failure.Mac, failure.Address, failure.Interface, &failure});
    return shown;
}

} // namespace

std::string FormatDevices(const protocol::DiscoveryResult& discovery, Format format, bool masksUnknown)
{
    const std::vector<Shown> shown = Everything(discovery);
    if (format == Format::Json || format == Format::Jsonl) {
        nlohmann::ordered_json devices = nlohmann::ordered_json::array();
        for (const Shown& one : shown) {
            const protocol::DeviceRow* row = one.Row;
            const std::optional<long> port = row ? PortNumber(row->Port) : std::nullopt;
            nlohmann::ordered_json device{
                {"address", Latin1ToUtf8(one.Address)},
                {"mask", row && !masksUnknown ? nlohmann::ordered_json(Latin1ToUtf8(row->Mask)) : nullptr},
                {"mac", Latin1ToUtf8(one.Mac)},
                {"mac_normalized", NormalizedMac(one.Mac)},
                {"port", port ? nlohmann::ordered_json(*port) : nullptr},
                {"interface", one.Interface},
                {"flag_e", row && row->FlagE},
                {"read_ok", row && row->ReadOk && !masksUnknown},
                {"listed", row != nullptr},
                {"address_shared", row && row->AddressShared},
                {"mac_also_at", row && !row->MacAlsoAt.empty() ? nlohmann::ordered_json(row->MacAlsoAt) : nullptr}};
            if (one.Failure != nullptr) {
                device["reason"] = protocol::StatusCode(one.Failure->Status);
                device["reason_text"] = protocol::StatusText(one.Failure->Status);
            } else if (masksUnknown) {
                device["reason"] = "not_read";
                device["reason_text"] = "nie odczytano (--quick)";
            }
            devices.push_back(device);
        }
        nlohmann::ordered_json interfaces = nlohmann::ordered_json::array();
        for (const protocol::SearchedInterface& searched : discovery.Searched)
            interfaces.push_back(
                {{"name", Latin1ToUtf8(searched.Name)}, {"address", searched.Address}, {"replies", searched.Replies}});
        const nlohmann::ordered_json document{
            {"format_version", kFormatVersion}, {"devices", devices}, {"interfaces", interfaces}};
        return JsonText(document, format == Format::Json ? 2 : -1);
    }
    if (format == Format::Csv) {
        std::string text =
            "address,mask,mac,port,flag_e,read_ok,address_shared,interface,reason,mac_normalized,mac_also_at\n";
        for (const Shown& one : shown) {
            const protocol::DeviceRow* row = one.Row;
            const std::optional<long> port = row ? PortNumber(row->Port) : std::nullopt;
            text += CsvField(Latin1ToUtf8(one.Address)) + ',' +
                (row && !masksUnknown ? CsvField(Latin1ToUtf8(row->Mask)) : std::string()) + ',' +
                CsvField(Latin1ToUtf8(one.Mac)) + ',' + (port ? std::to_string(*port) : std::string()) + ',' +
                (row && row->FlagE ? "true" : "false") + ',' +
                (row && row->ReadOk && !masksUnknown ? "true" : "false") + ',' +
                (row && row->AddressShared ? "true" : "false") + ',' + CsvField(one.Interface) + ',' +
                (one.Failure        ? protocol::StatusCode(one.Failure->Status)
                     : masksUnknown ? "not_read"
                                    : "") +
                ',' + checks::CanonicalMac(one.Mac).value_or("") + ',' +
                CsvField(row ? row->MacAlsoAt : std::string()) + '\n';
        }
        return text;
    }
    std::vector<std::vector<std::string>> lines{
        {"Adres IP", "Maska podsieci", "Adres MAC", "Port TCP", "E", "Odczyt", "Wspólny adres"}};
    for (const protocol::DeviceRow& device : discovery.Rows)
        lines.push_back({ShownLatin1(device.Address), masksUnknown ? "?" : ShownLatin1(device.Mask),
                         ShownLatin1(device.Mac), ShownLatin1(device.Port), device.FlagE ? "E" : "-",
                         masksUnknown        ? "-"
                             : device.ReadOk ? "tak"
                                             : "nie",
                         device.AddressShared ? "tak" : "-"});
    return AlignedColumns(lines);
}

} // namespace cli
