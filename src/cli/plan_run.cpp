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
    for (const protocol::DeviceRow& device : discovery.listed)
        if (checks::SameMac(device.Mac, mac))
            return &device;
    return nullptr;
}

const ReadFailure* UnlistedDevice(const Discovery& discovery, const std::string& mac)
{
    for (const auto& [found, failure] : discovery.failedReads)
        if (!failure.listed && checks::SameMac(found, mac))
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
          session_(!options.quiet && isatty(STDERR_FILENO) == 1, options.selection),
          signals_([this] { session_.Interrupt(); })
    {
        for (const PlanLine& line : lines) {
            ChangeResult result;
            result.lineNumber = line.lineNumber;
            result.mac = line.mac;
            result.address = line.address;
            result.mask = line.mask;
            result.outcome = Outcome::NotAttempted;
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

void PlanRun::Emit(std::size_t n) { Write(FormatResultLine(results_[n], options_.format)); }

int PlanRun::Run()
{
    Write(ResultHeader(options_.format));
    try {
        const Discovery before = session_.Discover();
        Classify(before);
        JudgeConflicts(before);
        if (!options_.dryRun && !WriteUndoPlan())
            return kExitUsage;
        int total = 0;
        for (std::size_t n = 0; n < results_.size(); ++n)
            total += toChange_[n] ? 1 : 0;
        int current = 0;
        for (std::size_t n = 0; n < results_.size(); ++n) {
            if (!toChange_[n] || options_.dryRun) {
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
        if (inFlight_ < results_.size()) {
            results_[inFlight_].outcome = Outcome::Interrupted;
            Emit(inFlight_);
        }
        for (std::size_t n = inFlight_ == SIZE_MAX ? 0 : inFlight_ + 1; n < results_.size(); ++n)
            if (results_[n].outcome == Outcome::NotAttempted)
                Emit(n);
        EndOutput();
        throw;
    }
    EndOutput();
    if (signals_.StopRequested())
        return signals_.ExitStatus();
    return ExitStatusOf(results_, options_.detailedExitcode);
}

void PlanRun::Classify(const Discovery& before)
{
    devices_.assign(results_.size(), {});
    toChange_.assign(results_.size(), false);
    journalIds_.assign(results_.size(), {});
    for (std::size_t n = 0; n < results_.size(); ++n) {
        ChangeResult& result = results_[n];
        if (const protocol::DeviceRow* device = ListedDevice(before, result.mac)) {
            devices_[n] = *device;
            result.oldAddress = device->Address;
            result.oldMask = device->Mask;
            result.interface = device->Interface;
            if (device->Address == result.address && device->Mask == result.mask) {
                result.outcome = Outcome::Unchanged;
            } else {
                result.outcome = options_.dryRun ? Outcome::Planned : Outcome::NotAttempted;
                toChange_[n] = true;
            }
        } else if (const ReadFailure* failure = UnlistedDevice(before, result.mac)) {
            result.outcome = Outcome::Refused;
            result.oldAddress = failure->address;
            result.detail = protocol::StatusText(uint32_t(failure->status));
        } else {
            result.outcome = Outcome::NotFound;
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
        changes.push_back({devices_[n].Mac, devices_[n].Interface, devices_[n].Address, results_[n].address});
        lineOf.push_back(n);
    }
    std::vector<conflicts::ListedDevice> listed;
    for (const protocol::DeviceRow& device : before.listed)
        listed.push_back({device.Mac, device.Address});
    const std::vector<conflicts::ConflictVerdict> verdicts =
        conflicts::JudgeConflicts(changes, listed, checks::SameMac);
    for (std::size_t k = 0; k < verdicts.size(); ++k) {
        ChangeResult& result = results_[lineOf[k]];
        if (verdicts[k].Refused) {
            result.outcome = Outcome::Conflict;
            result.detail = verdicts[k].Message;
            toChange_[lineOf[k]] = false;
        } else if (!verdicts[k].Checked) {
            result.addressChecked = false;
            result.detail = verdicts[k].Message;
        }
    }
}

bool PlanRun::WriteUndoPlan()
{
    if (options_.undoPlan.isEmpty())
        return true;
    std::vector<journal::PlanDevice> devices;
    for (std::size_t n = 0; n < results_.size(); ++n)
        if (toChange_[n])
            devices.push_back({results_[n].mac, results_[n].oldAddress, results_[n].oldMask});
    const journal::FileStatus status = journal::WriteUndoPlan(options_.undoPlan.toStdString(), devices);
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
        journal_.Begin({device.Interface, device.Mac, device.Address, device.Mask, result.address, result.mask});
    journalIds_[n] = begun.Change;
    if (!begun.Status.Ok() && !journalWarned_) {
        journalWarned_ = true;
        Warn(journal::WarningText(begun.Status));
    }
    const protocol::ChangeOutcome outcome = session_.Change(device, result.address, result.mask);
    inFlight_ = SIZE_MAX;
    const std::string why = protocol::StatusText(uint32_t(outcome.Status));
    const std::string notChecked = result.addressChecked ? "" : result.detail;
    if (outcome.InterfaceGone) {
        result.outcome = Outcome::InterfaceGone;
        result.detail = "interfejs " + device.Interface + " jest niedostępny";
    } else if (!outcome.Ok() && signals_.StopRequested() && outcome.Status == protocol::kStatusNoReply) {
        result.outcome = Outcome::Interrupted;
    } else if (!outcome.AddressTaken) {
        result.outcome = Outcome::Refused;
        result.detail = why;
    } else {
        result.outcome = Outcome::Changed; // verified later, with the mask refused or not
        result.detail = outcome.Ok() ? "" : "maska: " + why;
    }
    if (!notChecked.empty())
        result.detail = result.detail.empty() ? notChecked : result.detail + "; " + notChecked;
    if (result.outcome != Outcome::Changed)
        journal_.End(journalIds_[n], MachineName(result.outcome), result.detail);
    Emit(n);
}

void PlanRun::Verify()
{
    bool changed = false;
    for (const ChangeResult& result : results_)
        changed = changed || result.outcome == Outcome::Changed;
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
        if (result.outcome != Outcome::Changed)
            continue;
        const protocol::DeviceRow* device = verify ? ListedDevice(after, result.mac) : nullptr;
        if (device == nullptr) {
            result.outcome = Outcome::Unverified;
        } else if (device->Address == result.address && device->Mask == result.mask) {
            result.outcome = Outcome::Verified;
        } else if (device->Address == result.oldAddress && device->Mask == result.oldMask) {
            result.outcome = Outcome::Refused; // it still holds what it had
        } else {
            result.outcome = Outcome::Partial;
            result.detail = device->Address == result.address
                ? "adres zmieniony, maska nie (jest " + device->Mask + ")"
                : "maska zmieniona, adres nie (jest " + device->Address + ")";
        }
        journal_.End(journalIds_[n], MachineName(result.outcome), result.detail);
        Emit(n);
    }
}

void PlanRun::EndOutput()
{
    for (ChangeResult& result : results_)
        if (result.outcome == Outcome::Changed)
            result.outcome = Outcome::Unverified;
    Write(FormatResultEnd(results_, options_.format,
                          options_.format == Format::Table && !options_.quiet && results_.size() > 1));
}

} // namespace

int RunPlan(const std::vector<PlanLine>& lines, const Options& options)
{
    PlanRun run(lines, options);
    return run.Run();
}

} // namespace cli
