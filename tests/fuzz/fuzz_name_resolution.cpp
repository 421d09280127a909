// SPDX-License-Identifier: MIT
// The socket layer's host and port texts: IsIPAddress and ResolvePort (digits,
// service names looked up in /etc/services, numeric edge values), held
// against restatements of their documented rules. The service table the
// restatement uses is read from /etc/services by this target itself.
#include "dotted_address_model.h"
#include "fuzz_check.h"

#include "net/errors/socket_errors.h"
#include "net/lookups/name_resolution.h"

#include <arpa/inet.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>

namespace {

// (name or alias, protocol) -> port, the first line that names it winning.
using ServiceTable = std::map<std::pair<std::string, std::string>, uint16_t>;

ServiceTable ReadServices(const char* path)
{
    ServiceTable table;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream fields(line);
        std::string name, portAndProtocol;
        if (!(fields >> name >> portAndProtocol))
            continue;
        const auto slash = portAndProtocol.find('/');
        if (slash == std::string::npos)
            continue;
        const uint16_t port = static_cast<uint16_t>(std::stoul(portAndProtocol.substr(0, slash)));
        const std::string protocol = portAndProtocol.substr(slash + 1);
        table.emplace(std::make_pair(name, protocol), port);
        for (std::string alias; fields >> alias;)
            table.emplace(std::make_pair(alias, protocol), port);
    }
    return table;
}

const ServiceTable& Services()
{
    static const ServiceTable table = ReadServices("/etc/services");
    return table;
}

bool IsDigits(const std::string& text)
{
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The value of a digit text modulo 65536, digit by digit from the right.
uint16_t LowSixteenBits(const std::string& digits)
{
    uint32_t sum = 0;
    uint32_t power = 1; // 10^i modulo 65536
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        sum = (sum + static_cast<uint32_t>(*it - '0') * power) % 65536;
        power = (power * 10) % 65536;
    }
    return static_cast<uint16_t>(sum);
}

void CheckResolvePort(const std::string& text, uint8_t protocol)
{
    const net::ResolvedPort real = net::ResolvePort(text, protocol);
    int32_t expectedCode = 0;
    uint16_t expectedPort = 0;
    if (text.empty()) {
        // port 0
    } else if (IsDigits(text)) {
        expectedPort = LowSixteenBits(text);
    } else {
        const std::string protocolName = protocol == net::kProtocolUdp ? "udp" : "tcp";
        const auto found = Services().find({text, protocolName});
        // A text with a NUL in it names no service.
        if (found != Services().end() && text.find('\0') == std::string::npos)
            expectedPort = found->second;
        else
            expectedCode = net::kWsaNoData;
    }
    FUZZ_CHECK(real.ErrorCode == expectedCode && real.Port == expectedPort,
               "ResolvePort(\"" + Escaped(text) + "\", " + std::to_string(protocol) + ") gave port " +
                   std::to_string(real.Port) + " code " + std::to_string(real.ErrorCode) + ", expected port " +
                   std::to_string(expectedPort) + " code " + std::to_string(expectedCode));
}

void CheckIsIPAddress(const std::string& text)
{
    in_addr address{};
    address.s_addr = 0x12345678; // whatever the caller held before
    const bool real = net::IsIPAddress(text, address);

    bool expected = false;
    uint32_t expectedAddress = INADDR_NONE;
    const auto start = text.find_first_not_of(' ');
    if (start != std::string::npos) {
        const std::string rest = text.substr(start);
        bool onlyAddressCharacters = true;
        int dots = 0;
        for (char c : rest) {
            if (c == '.')
                ++dots;
            else if (c != ' ' && (c < '0' || c > '9'))
                onlyAddressCharacters = false;
        }
        if (onlyAddressCharacters && dots == 3) {
            const uint32_t converted = model::InetAddr(rest);
            if (converted != INADDR_NONE) {
                expected = true;
                expectedAddress = converted;
            } else {
                expected = text == "255.255.255.255";
            }
        }
    }
    FUZZ_CHECK(real == expected, "IsIPAddress(\"" + Escaped(text) + "\") is " + std::to_string(real));
    FUZZ_CHECK(address.s_addr == expectedAddress, "IsIPAddress(\"" + Escaped(text) + "\") gave the wrong address");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FUZZ_CHECK(!Services().empty(), "no service names in /etc/services");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t protocol = data[0] % 3; // tcp, udp, and a value naming neither
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckIsIPAddress(text);
    CheckResolvePort(text, protocol);
    // Service names are short: also try the text as far as its first blank.
    const std::string word = text.substr(0, text.find(' '));
    if (word != text)
        CheckResolvePort(word, protocol);
    return 0;
}
