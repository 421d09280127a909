// SPDX-License-Identifier: MIT
#include "cli/check_command.h"

#include "cli/plan.h"
#include "cli/plan_source.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace cli {

namespace {

constexpr int kExitPlanError = 2;

void Print(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

std::string JsonDocument(const std::string& path, const Plan& plan)
{
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (const PlanLine& line : plan.lines)
        lines.push_back({{"line", line.lineNumber}, {"mac", line.mac}, {"address", line.address}, {"mask", line.mask}});
    const nlohmann::ordered_json document = {{"format_version", 1},
                                             {"plan", path},
                                             {"valid", plan.errors.empty()},
                                             {"lines", lines},
                                             {"errors", plan.errors}};
    return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

} // namespace

int RunCheck(const Options& options)
{
    const std::string path = options.arguments.at(0).toStdString();
    Plan plan;
    if (const PlanSource source = ReadPlanSource(path); !source.error.empty())
        plan.errors.push_back(source.error);
    else
        plan = ParsePlan(source.text);

    if (options.format == Format::Json) {
        Print(stdout, JsonDocument(path, plan));
        return plan.errors.empty() ? 0 : kExitPlanError;
    }
    for (const std::string& error : plan.errors)
        Print(stderr, "muxconfig: " + path + ": " + error + "\n");
    if (!plan.errors.empty())
        return kExitPlanError;
    if (options.format == Format::Csv) {
        std::string canonical = "mac,address,mask\n";
        for (const PlanLine& line : plan.lines)
            canonical += line.mac + "," + line.address + "," + line.mask + "\n";
        Print(stdout, canonical);
    } else if (!options.quiet) {
        Print(stdout, path + ": plan poprawny, urządzeń: " + std::to_string(plan.lines.size()) + "\n");
    }
    return 0;
}

} // namespace cli
