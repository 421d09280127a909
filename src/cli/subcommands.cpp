// SPDX-License-Identifier: MIT
#include "cli/subcommands.h"

#include "checks/mac_text.h"
#include "checks/new_settings_check.h"
#include "cli/device_output.h"
#include "cli/engine_session.h"
#include "cli/output_stream.h"
#include "cli/plan.h"
#include "cli/plan_source.h"
#include "cli/result_output.h"
#include "cli/text_bytes.h"
#include "protocol/status_codes.h"

#include <cstdio>
#include <unistd.h>

namespace cli {

namespace {

constexpr int kExitUsage = 2;

bool ShowsProgress(const Options& options) { return !options.quiet && isatty(STDERR_FILENO) == 1; }

// A failing standard output ends the run (status 1); standard error has no one left to tell.
void Print(std::FILE* stream, const std::string& text)
{
    if (std::string error; !Output(stream, text, error) && stream == stdout)
        throw OutputFailure(error);
}

std::string ReadFailureText(const std::string& mac, const ReadFailure& failure)
{
    return "muxconfig: nie odczytano urządzenia " + Latin1ToUtf8(mac) + " (" + failure.address +
        "): " + protocol::StatusText(static_cast<uint32_t>(failure.status)) + "\n";
}

// One discovery, the changes in order, and, when anything changed, the
// window's pause and one verifying discovery.
std::vector<ChangeResult> CarryOut(const std::vector<PlanLine>& lines, const Options& options)
{
    EngineSession session(ShowsProgress(options), options.selection);
    const Discovery before = session.Discover();
    std::vector<ChangeResult> results;
    bool changed = false;
    for (const PlanLine& line : lines) {
        ChangeResult result{line.lineNumber, line.mac, line.address, line.mask, Outcome::NotFound, {}};
        if (const protocol::DeviceRow* device = before.Listed(line.mac)) {
            if (options.dryRun) {
                result.outcome = Outcome::Planned;
            } else {
                const protocol::ChangeOutcome outcome = session.Change(*device, line.address, line.mask);
                changed = changed || outcome.Ok();
                result.outcome = outcome.Ok() ? Outcome::Unverified : Outcome::Refused;
                if (!outcome.Ok())
                    result.detail = protocol::StatusText(uint32_t(outcome.Status));
            }
        } else if (before.Unlisted(line.mac)) {
            result.outcome = Outcome::Refused;
            result.detail = protocol::StatusText(uint32_t(before.failedReads.at(line.mac).status));
        }
        results.push_back(std::move(result));
    }
    if (changed) {
        session.PauseAfterChange();
        const Discovery after = session.Discover();
        for (ChangeResult& result : results) {
            const protocol::DeviceRow* device = after.Listed(result.mac);
            if (result.outcome == Outcome::Unverified && device != nullptr && device->Address == result.address &&
                device->Mask == result.mask)
                result.outcome = Outcome::Verified;
        }
    }
    session.Finish();
    return results;
}

} // namespace

int RunList(const Options& options)
{
    EngineSession session(ShowsProgress(options), options.selection);
    const Discovery discovery = session.Discover();
    session.Finish(); // before printing: a failing standard output must not skip the closing commands
    Print(stdout, FormatDevices(discovery.listed, options.format));
    for (const auto& [mac, failure] : discovery.failedReads)
        Print(stderr, ReadFailureText(mac, failure));
    return discovery.failedReads.empty() ? 0 : 3;
}

int RunSet(const Options& options)
{
    const std::string macText = options.arguments.at(0).toStdString();
    const std::optional<std::string> mac = checks::CanonicalMac(macText);
    const checks::JudgedSettings judged =
        checks::JudgeNewSettings(options.arguments.at(1).toStdString(), options.arguments.at(2).toStdString());
    if (!mac || judged.refusal) {
        Print(stderr, "muxconfig: " + judged.refusal.value_or("niewłaściwy adres MAC: " + macText) + "\n");
        return kExitUsage;
    }
    const PlanLine line{0, *mac, judged.address, judged.mask}; // canonical texts only from here on
    const std::vector<ChangeResult> results = CarryOut({line}, options);
    Print(stdout, FormatResults(results, options.format, false));
    return ExitStatusOf(results);
}

int RunApply(const Options& options)
{
    const std::string path = options.arguments.at(0).toStdString();
    const PlanSource source = ReadPlanSource(path); // "-": standard input; at most 1 MiB
    const Plan plan = source.error.empty() ? ParsePlan(source.text) : Plan{{}, {source.error}};
    if (!plan.errors.empty()) {
        for (const std::string& error : plan.errors)
            Print(stderr, "muxconfig: " + path + ": " + error + "\n");
        return kExitUsage;
    }
    const std::vector<ChangeResult> results = CarryOut(plan.lines, options);
    Print(stdout, FormatResults(results, options.format, options.format == Format::Table && !options.quiet));
    return ExitStatusOf(results);
}

} // namespace cli
