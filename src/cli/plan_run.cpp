// SPDX-License-Identifier: MIT
#include "cli/plan_run.h"

#include "change/change_run.h"
#include "cli/engine_session.h"
#include "cli/exit_status.h"
#include "cli/output_stream.h"
#include "cli/result_output.h"
#include "cli/stop_signals.h"
#include "cli/terminal_text.h"
#include "journal/change_journal.h"
#include "journal/journal_place.h"
#include "journal/plan_path.h"

#include <cstdio>
#include <unistd.h>

namespace cli {

namespace {

void Warn(const std::string& text) { std::fprintf(stderr, "muxconfig: %s\n", ShownText(text).c_str()); }

// The command line's side of a run: its results on standard output as they
// become known, warnings on standard error, and a stop on a signal or when
// standard output fails (the device in hand is finished, no new change
// starts, every journal record is closed). Before the first change, nothing
// has changed: the first signal ends the reads and probes in progress too.
class PlanFrontEnd : public change::FrontEnd {
public:
    PlanFrontEnd(const Options& options, EngineSession& session)
        : options_(options),
          session_(session),
          signals_(
              [this] {
                  if (!changing_)
                      session_.Interrupt();
              },
              [&session] { session.Interrupt(); })
    {
    }

    void Report(const ChangeResult& result) override
    {
        // A csv is a plan again: one line a device, with its final outcome.
        if (options_.Format == Format::Csv && result.Outcome == Outcome::Changed)
            return;
        const std::string line = FormatResultLine(result, options_.Format);
        Write(options_.Format == Format::Csv ? CsvForOutput(line, STDOUT_FILENO) : line);
    }
    void Warn(const std::string& text) override { cli::Warn(text); }
    // A reader that went away is seen before the next change starts, not
    // only at the next write after it.
    bool StopRequested() const override
    {
        return signals_.StopRequested() || !outputError_.empty() || OutputUnusable(STDOUT_FILENO).has_value();
    }
    void Changing(int current, int total) override
    {
        changing_ = true;
        session_.SetChangeCount(current, total);
    }
    void Verifying() override { session_.SetVerifying(true); }

    void Write(const std::string& text)
    {
        if (std::string error; outputError_.empty() && !Output(stdout, text, error))
            outputError_ = error;
    }
    const std::string& OutputError() const { return outputError_; }
    const StopSignals& Signals() const { return signals_; }

private:
    const Options& options_;
    EngineSession& session_;
    bool changing_ = false; // a change has begun
    StopSignals signals_;
    std::string outputError_;
};

} // namespace

int RunPlan(const std::vector<PlanLine>& lines, const Options& options)
{
    if (const std::optional<std::string> error = OutputUnusable(STDOUT_FILENO)) {
        Warn(OutputFailure(*error).what() + std::string("; nic nie wysłano"));
        return kExitFailure;
    }
    if (!options.UndoPlan.isEmpty() && !options.DryRun) {
        std::vector<std::string> kept{journal::JournalPath()};
        if (options.Command == QLatin1String("apply")) // "-": the plan comes on standard input
            kept.push_back(options.Arguments.at(0) == QLatin1String("-") ? "/dev/stdin"
                                                                         : options.Arguments.at(0).toStdString());
        const journal::FileStatus status = journal::CheckPlanPath(options.UndoPlan.toStdString(), kept);
        if (!status.Ok()) {
            Warn(journal::WarningText(status) + "; nic nie wysłano");
            return kExitUsage;
        }
    }
    EngineSession session(!options.Quiet && isatty(STDERR_FILENO) == 1, options.Selection);
    PlanFrontEnd frontEnd(options, session);
    frontEnd.Write(ResultHeader(options.Format));
    journal::ChangeJournal journal;
    if (const journal::FileStatus status = journal.Check(); options.RequireJournal && !options.DryRun && !status.Ok()) {
        Warn(journal::WarningText(status) + "; --require-journal: nic nie wysłano");
        return kExitUsage;
    }
    change::RunSettings settings;
    settings.RequireJournal = options.RequireJournal;
    settings.DryRun = options.DryRun;
    settings.RefuseUnchecked = options.RefuseUnchecked;
    settings.UndoPlanPath = options.UndoPlan.toStdString();
    change::ChangeRun run(session.Session(), journal, frontEnd, settings);
    const std::vector<ChangeResult> results = run.Run(lines);
    bool networkFailed = false;
    try {
        session.Finish();
    } catch (const NetworkFailure&) {
        networkFailed = true;
    }
    frontEnd.Write(FormatResultEnd(results, options.Format,
                                   options.Format == Format::Table && !options.Quiet && results.size() > 1,
                                   run.JournalProblem()));
    if (networkFailed)
        session.ThrowIfFailed(); // said on standard error by the caller
    if (!frontEnd.OutputError().empty()) {
        Warn(OutputFailure(frontEnd.OutputError()).what());
        return kExitFailure;
    }
    if (frontEnd.Signals().StopRequested())
        return frontEnd.Signals().ExitStatus();
    if (run.UndoPlanFailed())
        return kExitUsage; // nothing sent, as for a path refused before the run
    return ExitStatusOf(results, options.DetailedExitcode);
}

} // namespace cli
