// SPDX-License-Identifier: MIT
#include "cli/plan_run.h"

#include "checks/mac_text.h"
#include "cli/engine_session.h"
#include "cli/output_stream.h"
#include "cli/result_output.h"
#include "cli/stop_signals.h"
#include "cli/terminal_text.h"
#include "conflicts/address_conflicts.h"
#include "journal/change_journal.h"
#include "journal/undo_plan.h"
#include "protocol/status_codes.h"

#include <cstdio>
#include <unistd.h>

namespace cli {

namespace {

constexpr int kExitUsage = 2;

const protocol::DeviceRow* ListedDevice(const Discovery& discovery, const std::string& mac)
{
    for (const protocol::DeviceRow& device : discovery.Listed)
        if (checks::SameMac(device.Mac, mac))
            return &device;
    return nullptr;
}

const ReadFailure* UnlistedDevice(const Discovery& discovery, const std::string& mac)
{
    for (const auto& [found, failure] : discovery.FailedReads)
        if (!failure.Listed && checks::SameMac(found, mac))
            return &failure;
    return nullptr;
}

void Warn(const std::string& text) { std::fprintf(stderr, "muxconfig: %s\n", ShownText(text).c_str()); }

// The run: its results, each written once it is final (a change's first
// line says it went through; its verification follows).
class PlanRun {
public:
    PlanRun(const std::vector<PlanLine>& lines, const Options& options)
        : options_(options),
          session_(!options.Quiet && isatty(STDERR_FILENO) == 1, options.Selection),
          signals_([this] { session_.Interrupt(); })
    {
        for (const PlanLine& line : lines) {
            ChangeResult result;
            result.LineNumber = line.LineNumber;
            result.Mac = line.Mac;
            result.Address = line.Address;
            result.Mask = line.Mask;
            result.Outcome = Outcome::NotAttempted;
            results_.push_back(std::move(result));
        }
    }

    int Run();

private:
    void Classify(const Discovery& before);
    void JudgeConflicts(const Discovery& before);
    bool WriteUndoPlan();
    void ChangeOne(std::size_t n);
    void Verify();
    void Emit(std::size_t n);
    void EndOutput();
    void Write(const std::string& text);

    const Options& options_;
    EngineSession session_;
    StopSignals signals_;
    journal::ChangeJournal journal_;
    bool journalWarned_ = false;
    std::vector<ChangeResult> results_;
    std::vector<protocol::DeviceRow> devices_; // by line: the device as the first discovery listed it
    std::vector<bool> toChange_;
    std::vector<std::string> journalIds_;
    std::size_t inFlight_ = SIZE_MAX;
};

void PlanRun::Write(const std::string& text)
{
    if (std::string error; !Output(stdout, text, error))
        throw OutputFailure(error);
}

void PlanRun::Emit(std::size_t n) { Write(FormatResultLine(results_[n], options_.Format)); }

int PlanRun::Run()
{
    Write(ResultHeader(options_.Format));
    try {
        const Discovery before = session_.Discover();
        Classify(before);
        JudgeConflicts(before);
        if (!options_.DryRun && !WriteUndoPlan())
            return kExitUsage;
        int total = 0;
        for (std::size_t n = 0; n < results_.size(); ++n)
            total += toChange_[n] ? 1 : 0;
        int current = 0;
        for (std::size_t n = 0; n < results_.size(); ++n) {
            if (!toChange_[n] || options_.DryRun) {
                Emit(n);
                continue;
            }
            if (signals_.StopRequested()) {
                Emit(n); // not attempted
                continue;
            }
            session_.SetChangeCount(++current, total);
            ChangeOne(n);
        }
        session_.SetVerifying(true);
        Verify();
        session_.Finish();
    } catch (const NetworkFailure&) {
        // What ended the run is said on stderr by the caller; the results so
        // far, the line in flight and those not attempted are printed first.
        for (std::size_t n = 0; n < results_.size(); ++n)
            if (results_[n].Outcome == Outcome::Changed) {
                results_[n].Outcome = Outcome::Unverified; // the verifying discovery did not happen
                journal_.End(journalIds_[n], MachineName(results_[n].Outcome), results_[n].Detail);
                Emit(n);
            }
        if (inFlight_ < results_.size()) {
            results_[inFlight_].Outcome = Outcome::Interrupted;
            Emit(inFlight_);
        }
        for (std::size_t n = inFlight_ == SIZE_MAX ? 0 : inFlight_ + 1; n < results_.size(); ++n)
            if (results_[n].Outcome == Outcome::NotAttempted)
                Emit(n);
        EndOutput();
        throw;
    }
    EndOutput();
    if (signals_.StopRequested())
        return signals_.ExitStatus();
    return ExitStatusOf(results_, options_.DetailedExitcode);
}

void PlanRun::Classify(const Discovery& before)
{
    devices_.assign(results_.size(), {});
    toChange_.assign(results_.size(), false);
    journalIds_.assign(results_.size(), {});
    for (std::size_t n = 0; n < results_.size(); ++n) {
        ChangeResult& result = results_[n];
        if (const protocol::DeviceRow* device = ListedDevice(before, result.Mac)) {
            devices_[n] = *device;
            result.OldAddress = device->Address;
            result.OldMask = device->Mask;
            result.Interface = device->Interface;
            if (device->Address == result.Address && device->Mask == result.Mask) {
                result.Outcome = Outcome::Unchanged;
            } else {
                result.Outcome = options_.DryRun ? Outcome::Planned : Outcome::NotAttempted;
                toChange_[n] = true;
            }
        } else if (const ReadFailure* failure = UnlistedDevice(before, result.Mac)) {
            result.Outcome = Outcome::Refused;
            result.OldAddress = failure->Address;
            result.Detail = protocol::StatusText(uint32_t(failure->Status));
        } else {
            result.Outcome = Outcome::NotFound;
        }
    }
}

void PlanRun::JudgeConflicts(const Discovery& before)
{
    std::vector<conflicts::IntendedChange> changes;
    std::vector<std::size_t> lineOf;
    for (std::size_t n = 0; n < results_.size(); ++n) {
        if (!toChange_[n])
            continue;
        changes.push_back({devices_[n].Mac, devices_[n].Interface, devices_[n].Address, results_[n].Address});
        lineOf.push_back(n);
    }
    std::vector<conflicts::ListedDevice> listed;
    for (const protocol::DeviceRow& device : before.Listed)
        listed.push_back({device.Mac, device.Address});
    const std::vector<conflicts::ConflictVerdict> verdicts =
        conflicts::JudgeConflicts(changes, listed, checks::SameMac);
    for (std::size_t k = 0; k < verdicts.size(); ++k) {
        ChangeResult& result = results_[lineOf[k]];
        if (verdicts[k].Refused) {
            result.Outcome = Outcome::Conflict;
            result.Detail = verdicts[k].Message;
            toChange_[lineOf[k]] = false;
        } else if (!verdicts[k].Checked) {
            result.AddressChecked = false;
            result.Detail = verdicts[k].Message;
        }
    }
}

bool PlanRun::WriteUndoPlan()
{
    if (options_.UndoPlan.isEmpty())
        return true;
    std::vector<journal::PlanDevice> devices;
    for (std::size_t n = 0; n < results_.size(); ++n)
        if (toChange_[n])
            devices.push_back({results_[n].Mac, results_[n].OldAddress, results_[n].OldMask});
    const journal::FileStatus status = journal::WriteUndoPlan(options_.UndoPlan.toStdString(), devices);
    if (!status.Ok())
        Warn(journal::WarningText(status) + "; nic nie zmieniono");
    return status.Ok();
}

void PlanRun::ChangeOne(std::size_t n)
{
    ChangeResult& result = results_[n];
    const protocol::DeviceRow& device = devices_[n];
    inFlight_ = n;
    const journal::ChangeJournal::Begun begun =
        journal_.Begin({device.Interface, device.Mac, device.Address, device.Mask, result.Address, result.Mask});
    journalIds_[n] = begun.Change;
    if (!begun.Status.Ok() && !journalWarned_) {
        journalWarned_ = true;
        Warn(journal::WarningText(begun.Status));
    }
    const protocol::ChangeOutcome outcome = session_.Change(device, result.Address, result.Mask);
    inFlight_ = SIZE_MAX;
    const std::string why = protocol::StatusText(uint32_t(outcome.Status));
    const std::string notChecked = result.AddressChecked ? "" : result.Detail;
    if (outcome.InterfaceGone) {
        result.Outcome = Outcome::InterfaceGone;
        result.Detail = "interfejs " + device.Interface + " jest niedostępny";
    } else if (!outcome.Ok() && signals_.StopRequested() && outcome.Status == protocol::kStatusNoReply) {
        result.Outcome = Outcome::Interrupted;
    } else if (!outcome.AddressTaken) {
        result.Outcome = Outcome::Refused;
        result.Detail = why;
    } else {
        result.Outcome = Outcome::Changed; // verified later, with the mask refused or not
        result.Detail = outcome.Ok() ? "" : "maska: " + why;
    }
    if (!notChecked.empty())
        result.Detail = result.Detail.empty() ? notChecked : result.Detail + "; " + notChecked;
    if (result.Outcome != Outcome::Changed)
        journal_.End(journalIds_[n], MachineName(result.Outcome), result.Detail);
    Emit(n);
}

void PlanRun::Verify()
{
    bool changed = false;
    for (const ChangeResult& result : results_)
        changed = changed || result.Outcome == Outcome::Changed;
    if (!changed)
        return;
    Discovery after;
    const bool verify = !signals_.StopRequested();
    if (verify) {
        session_.PauseAfterChange();
        after = session_.Discover();
    }
    for (std::size_t n = 0; n < results_.size(); ++n) {
        ChangeResult& result = results_[n];
        if (result.Outcome != Outcome::Changed)
            continue;
        const protocol::DeviceRow* device = verify ? ListedDevice(after, result.Mac) : nullptr;
        if (device == nullptr) {
            result.Outcome = Outcome::Unverified;
        } else if (device->Address == result.Address && device->Mask == result.Mask) {
            result.Outcome = Outcome::Verified;
        } else if (device->Address == result.OldAddress && device->Mask == result.OldMask) {
            result.Outcome = Outcome::Refused; // it still holds what it had
        } else {
            result.Outcome = Outcome::Partial;
            result.Detail = device->Address == result.Address
                ? "adres zmieniony, maska nie (jest " + device->Mask + ")"
                : "maska zmieniona, adres nie (jest " + device->Address + ")";
        }
        journal_.End(journalIds_[n], MachineName(result.Outcome), result.Detail);
        Emit(n);
    }
}

void PlanRun::EndOutput()
{
    Write(FormatResultEnd(results_, options_.Format,
                          options_.Format == Format::Table && !options_.Quiet && results_.size() > 1));
}

} // namespace

int RunPlan(const std::vector<PlanLine>& lines, const Options& options)
{
    PlanRun run(lines, options);
    return run.Run();
}

} // namespace cli
