// SPDX-License-Identifier: MIT
#include "conflicts/arping_outcome.h"

#include "conflicts/probe_texts.h"

#include <cctype>
#include <optional>
#include <sstream>

namespace conflicts {
namespace {

bool IsEthernetAddress(const std::string& text)
{
    if (text.size() != 17)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool separator = i % 3 == 2;
        if (separator ? text[i] != ':' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

// "Unicast reply from 192.168.1.30 [00:11:22:33:44:55]  0.6ms" (or
// "Broadcast reply ..."): the answering Ethernet address, lower case.
std::optional<std::string> AnsweringMac(const std::string& address, const std::string& output)
{
    const std::string marker = " reply from " + address + " [";
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const auto at = line.find(marker);
        if (at == std::string::npos)
            continue;
        std::string mac = line.substr(at + marker.size(), 17);
        if (!IsEthernetAddress(mac) || line.compare(at + marker.size() + 17, 1, "]") != 0)
            continue;
        for (char& c : mac)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return mac;
    }
    return std::nullopt;
}

std::string FirstLine(const std::string& text)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.find_first_not_of(" \t\r") != std::string::npos)
            return line;
    }
    return {};
}

ProbeResult NotChecked(std::string reason) { return {ProbeState::NotChecked, {}, std::move(reason)}; }

} // namespace

ProbeResult ArpingOutcome(const std::string& address, int exitStatus, const std::string& output,
                          const std::string& errors)
{
    if (exitStatus == 0 || exitStatus == 1) {
        if (const auto mac = AnsweringMac(address, output))
            return {ProbeState::Taken, *mac, {}};
        if (exitStatus == 0)
            return {ProbeState::Free, {}, {}};
        return NotChecked(texts::UnexpectedOutput(exitStatus));
    }
    std::string detail = FirstLine(errors);
    if (detail.empty())
        detail = FirstLine(output);
    if (detail.empty())
        detail = "kod wyjścia " + std::to_string(exitStatus);
    return NotChecked(texts::ProgramFailed(detail));
}

} // namespace conflicts
