// SPDX-License-Identifier: MIT
#include "cli/check_command.h"

#include "cli/exit_status.h"
#include "cli/format_version.h"
#include "cli/json_text.h"
#include "cli/plan.h"
#include "cli/plan_source.h"
#include "cli/terminal_text.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace cli {

namespace {

void Print(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

std::string JsonDocument(const std::string& path, const Plan& plan)
{
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (const PlanLine& line : plan.Lines)
        lines.push_back({{"line", line.LineNumber}, {"mac", line.Mac}, {"address", line.Address}, {"mask", line.Mask}});
    const nlohmann::ordered_json document = {{"format_version", kCheckFormatVersion},
                                             {"plan", path},
                                             {"valid", plan.Errors.empty()},
                                             {"lines", lines},
                                             {"errors", plan.Errors}};
    return JsonText(document, 2);
}

} // namespace

int RunCheck(const Options& options)
{
    const std::string path = options.Arguments.at(0).toStdString();
    Plan plan;
    if (const PlanSource source = ReadPlanSource(path); !source.Error.empty())
        plan.Errors.push_back(source.Error);
    else
        plan = ParsePlan(source.Text);

    if (options.Format == Format::Json) {
        Print(stdout, JsonDocument(path, plan));
        return plan.Errors.empty() ? kExitOk : kExitUsage;
    }
    // The plan's bytes and its path can hold control characters: escaped for the terminal.
    for (const std::string& error : plan.Errors)
        Print(stderr, "muxconfig: " + ShownText(path) + ": " + ShownText(error) + "\n");
    if (!plan.Errors.empty())
        return kExitUsage;
    if (options.Format == Format::Csv) {
        std::string canonical = "mac,address,mask\n";
        for (const PlanLine& line : plan.Lines)
            canonical += line.Mac + "," + line.Address + "," + line.Mask + "\n";
        Print(stdout, canonical);
    } else if (!options.Quiet) {
        Print(stdout, ShownText(path) + ": plan poprawny, urządzeń: " + std::to_string(plan.Lines.size()) + "\n");
    }
    return kExitOk;
}

} // namespace cli
