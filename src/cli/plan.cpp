// SPDX-License-Identifier: MIT
#include "cli/plan.h"

#include "checks/new_settings_check.h"

#include <map>
#include <sstream>

namespace cli {

namespace {

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream stream(line);
    while (std::getline(stream, field, ','))
        fields.push_back(Trimmed(field));
    if (!line.empty() && line.back() == ',')
        fields.emplace_back();
    return fields;
}

std::string LineError(int number, const std::string& why) { return "wiersz " + std::to_string(number) + ": " + why; }

} // namespace

Plan ParsePlan(const std::string& text)
{
    Plan plan;
    std::map<std::string, int> lineOfMac;
    std::map<std::string, int> lineOfAddress;
    std::istringstream stream(text);
    std::string raw;
    bool firstContentLine = true;
    for (int number = 1; std::getline(stream, raw); ++number) {
        const std::string line = Trimmed(raw);
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> fields = Fields(line);
        const bool header = firstContentLine && fields == std::vector<std::string>{"mac", "address", "mask"};
        firstContentLine = false;
        if (header)
            continue;
        if (fields.size() != 3 || fields[0].empty()) {
            plan.errors.push_back(LineError(number, "oczekiwano trzech pól: mac,adres,maska"));
            continue;
        }
        PlanLine entry{number, fields[0], fields[1], fields[2]};
        if (const auto refusal = checks::RefusalOfNewSettings(entry.address, entry.mask))
            plan.errors.push_back(LineError(number, *refusal));
        if (const auto [at, added] = lineOfMac.emplace(entry.mac, number); !added)
            plan.errors.push_back(
                LineError(number, "adres MAC " + entry.mac + " już w wierszu " + std::to_string(at->second)));
        if (const auto [at, added] = lineOfAddress.emplace(entry.address, number); !added)
            plan.errors.push_back(
                LineError(number, "adres " + entry.address + " już w wierszu " + std::to_string(at->second)));
        plan.lines.push_back(std::move(entry));
    }
    if (plan.lines.empty() && plan.errors.empty())
        plan.errors.emplace_back("plan nie zawiera żadnego urządzenia");
    return plan;
}

} // namespace cli
