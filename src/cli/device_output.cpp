// SPDX-License-Identifier: MIT
#include "cli/device_output.h"

#include "cli/terminal_text.h"
#include "cli/text_bytes.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace cli {

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string AlignedColumns(const std::vector<std::vector<std::string>>& lines)
{
    std::vector<std::size_t> widths;
    for (const auto& line : lines) {
        widths.resize(std::max(widths.size(), line.size()));
        for (std::size_t column = 0; column < line.size(); ++column)
            widths[column] = std::max(widths[column], Utf8Length(line[column]));
    }
    std::string text;
    for (const auto& line : lines) {
        std::string out;
        for (std::size_t column = 0; column < line.size(); ++column) {
            out += line[column];
            if (column + 1 < line.size())
                out += std::string(widths[column] - Utf8Length(line[column]) + 2, ' ');
        }
        text += out + '\n';
    }
    return text;
}

std::string FormatDevices(const std::vector<protocol::DeviceRow>& devices, Format format)
{
    switch (format) {
    case Format::Json: {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (const protocol::DeviceRow& device : devices)
            array.push_back({{"address", Latin1ToUtf8(device.Address)},
                             {"mask", Latin1ToUtf8(device.Mask)},
                             {"mac", Latin1ToUtf8(device.Mac)},
                             {"port", Latin1ToUtf8(device.Port)},
                             {"flag_e", device.FlagE},
                             {"read_ok", device.ReadOk},
                             {"address_shared", device.AddressShared}});
        return array.dump(2) + '\n';
    }
    case Format::Csv: {
        std::string text = "address,mask,mac,port,flag_e,read_ok,address_shared\n";
        for (const protocol::DeviceRow& device : devices)
            text += CsvField(Latin1ToUtf8(device.Address)) + ',' + CsvField(Latin1ToUtf8(device.Mask)) + ',' +
                CsvField(Latin1ToUtf8(device.Mac)) + ',' + CsvField(Latin1ToUtf8(device.Port)) + ',' +
                (device.FlagE ? "true" : "false") + ',' + (device.ReadOk ? "true" : "false") + ',' +
                (device.AddressShared ? "true" : "false") + '\n';
        return text;
    }
    case Format::Table: break;
    }
    std::vector<std::vector<std::string>> lines{
        {"Adres IP", "Maska podsieci", "Adres MAC", "Port TCP", "E", "Odczyt", "Wspólny adres"}};
    for (const protocol::DeviceRow& device : devices)
        lines.push_back({ShownLatin1(device.Address), ShownLatin1(device.Mask), ShownLatin1(device.Mac),
                         ShownLatin1(device.Port), device.FlagE ? "E" : "-", device.ReadOk ? "tak" : "nie",
                         device.AddressShared ? "tak" : "-"});
    return AlignedColumns(lines);
}

} // namespace cli
