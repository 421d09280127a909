// SPDX-License-Identifier: MIT
#include "cli/subcommands.h"

#include "change/plan_line.h"
#include "checks/mac_text.h"
#include "cli/device_output.h"
#include "cli/engine_session.h"
#include "cli/exit_status.h"
#include "cli/format_version.h"
#include "cli/json_text.h"
#include "cli/output_stream.h"
#include "cli/plan.h"
#include "cli/plan_run.h"
#include "cli/plan_source.h"
#include "cli/stop_signals.h"
#include "cli/terminal_text.h"
#include "protocol/status_codes.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <unistd.h>

namespace cli {

namespace {

bool ShowsProgress(const Options& options) { return !options.Quiet && isatty(STDERR_FILENO) == 1; }

// A failing standard output ends the run (status 1); standard error has no one left to tell.
void Print(std::FILE* stream, const std::string& text)
{
    if (std::string error; !Output(stream, text, error) && stream == stdout)
        throw OutputFailure(error);
}

std::string ReadFailureText(const protocol::UnreadDevice& failure)
{
    return "muxconfig: nie odczytano urządzenia " + ShownLatin1(failure.Mac) + " (" + ShownLatin1(failure.Address) +
        "): " + protocol::StatusText(failure.Status) + "\n";
}

// Where a discovery that found nothing looked, and what to check.
std::string EmptyListText(const std::vector<protocol::SearchedInterface>& searched)
{
    std::string where;
    for (const protocol::SearchedInterface& one : searched)
        where.append(where.empty() ? "" : ", ").append(ShownText(one.Name) + " (" + one.Address + ")");
    return "muxconfig: nie znaleziono multiplekserów; szukano przez: " +
        (where.empty() ? std::string("domyślną trasę") : where) +
        ".\nmuxconfig: sprawdź, czy zapora nie blokuje odpowiedzi na port UDP 1153 "
        "i czy VPN nie przejmuje rozgłoszeń.\n";
}

// Plan errors as the asked format has them: lines on stderr, or a JSON document.
void PrintPlanErrors(const std::string& path, const std::vector<std::string>& errors, Format format)
{
    if (format == Format::Json || format == Format::Jsonl) {
        nlohmann::ordered_json json{
            {"format_version", kFormatVersion}, {"plan", path}, {"valid", false}, {"errors", errors}};
        Print(stdout, JsonText(json, format == Format::Json ? 2 : -1));
    }
    for (const std::string& error : errors)
        Print(stderr, "muxconfig: " + ShownText(path) + ": " + ShownText(error) + "\n");
}

} // namespace

int RunList(const Options& options)
{
    EngineSession session(ShowsProgress(options), options.Selection);
    // A stop ends the reads at once: the device in hand gets its closing
    // command with the others, and nothing is listed.
    const StopSignals stops([&session] { session.Interrupt(); }, [&session] { session.Interrupt(); });
    const auto depth = options.Quick ? protocol::DiscoveryDepth::Quick : protocol::DiscoveryDepth::Full;
    const protocol::DiscoveryResult discovery = session.Discover(depth);
    if (!options.Quick)
        session.Finish(); // before printing: a failing standard output must not skip the closing commands
    if (stops.StopRequested()) {
        Print(stderr, "muxconfig: przerwano: urządzeń nie wypisano\n");
        return stops.ExitStatus();
    }
    const std::string devices = FormatDevices(discovery, options.Format, options.Quick);
    Print(stdout, options.Format == Format::Csv ? CsvForOutput(devices, STDOUT_FILENO) : devices);
    for (const protocol::UnreadDevice& failure : discovery.Unread)
        Print(stderr, ReadFailureText(failure));
    if (discovery.Rows.empty() && discovery.Unread.empty())
        Print(stderr, EmptyListText(discovery.Searched));
    return discovery.Unread.empty() ? kExitOk : kExitSomeFailed;
}

int RunSet(const Options& options)
{
    const std::string macText = options.Arguments.at(0).toStdString();
    const std::optional<std::string> mac = checks::CanonicalMac(macText);
    if (!mac) {
        Print(stderr, "muxconfig: niewłaściwy adres MAC: " + ShownText(macText) + "\n");
        return kExitUsage;
    }
    const change::LineJudgement judged =
        change::JudgeLine({0, *mac, options.Arguments.at(1).toStdString(), options.Arguments.at(2).toStdString()});
    if (!judged.Line) {
        Print(stderr, "muxconfig: " + judged.Refusal + "\n");
        return kExitUsage;
    }
    return RunPlan({*judged.Line}, options); // canonical texts from here on
}

int RunApply(const Options& options)
{
    const std::string path = options.Arguments.at(0).toStdString();
    const PlanSource source = ReadPlanSource(path); // "-": standard input; at most 1 MiB
    const Plan plan = source.Error.empty() ? ParsePlan(source.Text) : Plan{{}, {source.Error}};
    if (!plan.Errors.empty()) {
        PrintPlanErrors(path, plan.Errors, options.Format);
        return kExitUsage;
    }
    return RunPlan(plan.Lines, options);
}

} // namespace cli
