// SPDX-License-Identifier: MIT
#include "change/change_run.h"

#include "change/verification.h"
#include "checks/mac_text.h"
#include "conflicts/address_conflicts.h"
#include "journal/undo_plan.h"
#include "protocol/device_text.h"
#include "protocol/protocol_constants.h"

#include <algorithm>

namespace change {

using protocol::Latin1ToUtf8;

namespace {

// A verifying discovery lasts at least this long, however soon the changed
// devices answer: time for a second answer from the same MAC.
constexpr protocol::Milliseconds kLeastVerifyingWindow{500};

const protocol::DeviceRow* FindRow(const std::vector<protocol::DeviceRow>& rows, const std::string& mac)
{
    for (const protocol::DeviceRow& row : rows)
        if (checks::SameMac(row.Mac, mac))
            return &row;
    return nullptr;
}

// The quick discovery's rows with the planned devices as read: a device
// whose selection or login failed is no row, and goes with the failures.
protocol::DiscoveryResult Merged(protocol::DiscoveryResult found, const protocol::DiscoveryResult& read)
{
    std::vector<protocol::DeviceRow> rows;
    for (protocol::DeviceRow& row : found.Rows) {
        const auto asRead = std::find_if(read.Rows.begin(), read.Rows.end(), [&](const protocol::DeviceRow& r) {
            return r.Mac == row.Mac && r.Address == row.Address;
        });
        const bool refused = std::any_of(read.Unread.begin(), read.Unread.end(), [&](const protocol::UnreadDevice& u) {
            return !u.Listed && u.Mac == row.Mac && u.Address == row.Address;
        });
        if (asRead != read.Rows.end())
            rows.push_back(*asRead);
        else if (!refused)
            rows.push_back(std::move(row));
    }
    found.Rows = std::move(rows);
    found.Unread = read.Unread;
    return found;
}

FailedStep::Step StepOf(protocol::ChangeOutcome::Step step)
{
    switch (step) {
    case protocol::ChangeOutcome::Step::Login: return FailedStep::Step::Login;
    case protocol::ChangeOutcome::Step::Assign: return FailedStep::Step::Assign;
    case protocol::ChangeOutcome::Step::Mask: return FailedStep::Step::Mask;
    default: return FailedStep::Step::Select;
    }
}

} // namespace

ChangeRun::ChangeRun(protocol::DeviceSession& session, journal::ChangeJournal& journal, FrontEnd& frontEnd,
                     RunSettings settings)
    : session_(session),
      journal_(journal),
      frontEnd_(frontEnd),
      settings_(std::move(settings))
{
}

bool ChangeRun::Stopping() const { return frontEnd_.StopRequested() || session_.Abandoned(); }

std::vector<ChangeResult> ChangeRun::Run(const std::vector<PlanLine>& lines)
{
    // The new addresses are known before anything is sent; what the devices
    // answer can only add refusals.
    conflicts::AddressProbes probes(ProbeSettings());
    for (const PlanLine& line : lines)
        probes.StartEverywhere(line.Address);
    const protocol::DiscoveryResult found = session_.Discover(protocol::DiscoveryDepth::Quick);
    std::vector<protocol::DeviceRow> planned;
    for (const protocol::DeviceRow& row : found.Rows)
        if (std::any_of(lines.begin(), lines.end(),
                        [&](const PlanLine& line) { return checks::SameMac(row.Mac, line.Mac); }))
            planned.push_back(row);
    if (!found.Finished || Stopping())
        return NoneAttempted(lines);
    const protocol::DiscoveryResult read = session_.ReadDevices(planned);
    if (!read.Finished || Stopping())
        return NoneAttempted(lines);
    return RunWith(lines, Merged(found, read), probes);
}

std::vector<ChangeResult> ChangeRun::Run(const std::vector<PlanLine>& lines, protocol::DiscoveryResult known)
{
    conflicts::AddressProbes probes(ProbeSettings());
    return RunWith(lines, known, probes);
}

conflicts::ProbeSettings ChangeRun::ProbeSettings() const
{
    conflicts::ProbeSettings probes = settings_.Probes;
    probes.Stopped = [this] { return Stopping(); };
    return probes;
}

std::vector<ChangeResult> ChangeRun::NoneAttempted(const std::vector<PlanLine>& lines)
{
    Prepare(lines, {});
    for (LinePlan& plan : plans_) {
        plan.Result.Outcome = Outcome::NotAttempted;
        frontEnd_.Report(plan.Result);
    }
    return Results();
}

std::vector<ChangeResult> ChangeRun::Results() const
{
    std::vector<ChangeResult> results;
    results.reserve(plans_.size());
    for (const LinePlan& plan : plans_)
        results.push_back(plan.Result);
    return results;
}

std::vector<ChangeResult> ChangeRun::RunWith(const std::vector<PlanLine>& lines, const protocol::DiscoveryResult& known,
                                             conflicts::AddressProbes& probes)
{
    Prepare(lines, known);
    if (std::any_of(plans_.begin(), plans_.end(), [](const LinePlan& plan) { return plan.Send; })) {
        frontEnd_.Begin();
        JudgeConflicts(known, probes);
    }
    if (Stopping()) {
        // Stopped before the first change: no line that needs one is attempted.
        for (LinePlan& plan : plans_)
            if (plan.NeedsChange) {
                plan.Send = false;
                plan.Result.Outcome = Outcome::NotAttempted;
                plan.Result.Detail.clear();
                plan.Result.AddressChecked = true;
            }
    } else if (!settings_.DryRun && !WriteUndoPlan()) {
        undoPlanFailed_ = true;
        for (LinePlan& plan : plans_)
            if (plan.Send) {
                plan.Send = false;
                plan.Result.Detail = "nie zapisano planu cofnięcia: nic nie wysłano";
            }
    }
    ChangeAll();
    Verify();
    return Results();
}

void ChangeRun::Prepare(const std::vector<PlanLine>& lines, const protocol::DiscoveryResult& known)
{
    for (const PlanLine& line : lines) {
        LinePlan& plan = plans_.emplace_back();
        plan.Result.LineNumber = line.LineNumber;
        plan.Result.Mac = line.Mac;
        plan.Result.Address = line.Address;
        plan.Result.Mask = line.Mask;
        Classify(plan, known);
        plan.Result.MacNormalized = checks::CanonicalMac(plan.Result.Mac).value_or("");
    }
}

void ChangeRun::Classify(LinePlan& plan, const protocol::DiscoveryResult& known)
{
    ChangeResult& result = plan.Result;
    std::vector<const protocol::DeviceRow*> rows;
    for (const protocol::DeviceRow& row : known.Rows)
        if (checks::SameMac(row.Mac, result.Mac))
            rows.push_back(&row);
    if (rows.size() > 1 || (rows.size() == 1 && !rows[0]->MacAlsoAt.empty())) {
        const std::string other = rows.size() > 1 ? rows[1]->Address : rows[0]->MacAlsoAt;
        result.Mac = rows[0]->Mac;
        result.OldAddress = rows[0]->Address;
        result.Outcome = Outcome::MacTwice;
        // Two spellings of one value are two texts "W" tells apart; only the
        // line, which names the value, cannot say which device it means.
        result.Detail = rows.size() > 1 && rows[0]->Mac != rows[1]->Mac
            ? "MAC odpowiada z dwóch adresów: " + Latin1ToUtf8(rows[0]->Address) + " (jako " +
                Latin1ToUtf8(rows[0]->Mac) + ") i " + Latin1ToUtf8(other) + " (jako " + Latin1ToUtf8(rows[1]->Mac) +
                "); to ta sama wartość zapisana dwojako, więc nie wiadomo, które " + "urządzenie zmienić"
            : "MAC odpowiada z dwóch adresów: " + Latin1ToUtf8(rows[0]->Address) + " i " + Latin1ToUtf8(other) +
                "; żadne polecenie nie rozróżni tych urządzeń";
        return;
    }
    if (rows.empty()) {
        for (const protocol::UnreadDevice& unread : known.Unread)
            if (!unread.Listed && checks::SameMac(unread.Mac, result.Mac)) {
                result.Mac = unread.Mac;
                result.OldAddress = unread.Address;
                result.Interface = unread.Interface;
                result.Outcome = Outcome::Refused;
                result.Detail = protocol::StatusText(unread.Status);
                return;
            }
        result.Outcome = Outcome::NotFound;
        return;
    }
    const protocol::DeviceRow& device = *rows[0];
    plan.Device = device;
    result.Mac = device.Mac;
    result.OldAddress = device.Address;
    result.OldMask = device.Mask;
    result.Interface = device.Interface;
    if (settings_.SkipUnchanged && device.Address == result.Address && device.Mask == result.Mask) {
        result.Outcome = Outcome::Unchanged;
        return;
    }
    result.Outcome = settings_.DryRun ? Outcome::Planned : Outcome::NotAttempted;
    plan.NeedsChange = plan.Send = true;
}

void ChangeRun::JudgeConflicts(const protocol::DiscoveryResult& known, conflicts::AddressProbes& probes)
{
    std::vector<conflicts::IntendedChange> changes;
    std::vector<LinePlan*> planOf;
    for (LinePlan& plan : plans_)
        if (plan.Send) {
            changes.push_back({plan.Device.Mac, plan.Device.Interface, plan.Device.Address, plan.Result.Address});
            planOf.push_back(&plan);
        }
    // Every address that answered is in use, whether its device could be read or not.
    std::vector<conflicts::ListedDevice> inUse;
    for (const protocol::DeviceRow& row : known.Rows)
        inUse.push_back({row.Mac, row.Address});
    for (const protocol::UnreadDevice& unread : known.Unread)
        inUse.push_back({unread.Mac, unread.Address});
    const std::vector<conflicts::ConflictVerdict> verdicts = conflicts::JudgeConflicts(changes, inUse, probes);
    for (std::size_t k = 0; k < verdicts.size(); ++k) {
        ChangeResult& result = planOf[k]->Result;
        if (verdicts[k].Refused || (!verdicts[k].Checked && settings_.RefuseUnchecked)) {
            result.Outcome = verdicts[k].Refused ? Outcome::Conflict : Outcome::Unchecked;
            result.Detail = verdicts[k].Message;
            result.AddressChecked = verdicts[k].Checked;
            planOf[k]->Send = false;
        } else if (!verdicts[k].Checked) {
            result.AddressChecked = false;
            result.Detail = verdicts[k].Message;
        }
    }
}

bool ChangeRun::WriteUndoPlan()
{
    if (settings_.UndoPlanPath.empty())
        return true;
    std::vector<journal::PlanDevice> devices;
    for (const LinePlan& plan : plans_)
        if (plan.Send)
            devices.push_back({plan.Result.Mac, plan.Result.OldAddress, plan.Result.OldMask});
    if (devices.empty()) {
        frontEnd_.Warn("plan niczego nie zmienia: " + settings_.UndoPlanPath + " pozostawiono bez zmian");
        return true;
    }
    const journal::UndoPlan plan = journal::MakeUndoPlan(devices);
    const journal::FileStatus status = journal::WriteUndoPlan(settings_.UndoPlanPath, plan);
    if (!status.Ok()) {
        frontEnd_.Warn(journal::WarningText(status) + "; nic nie zmieniono");
        return false;
    }
    // What the plan cannot put back (an old mask that could not be read...)
    // is in it as comments to complete; the operator hears of each.
    for (const journal::LeftOutDevice& device : plan.LeftOut)
        frontEnd_.Warn(journal::LeftOutWarning(device));
    return true;
}

void ChangeRun::ChangeAll()
{
    const auto total =
        static_cast<int>(std::count_if(plans_.begin(), plans_.end(), [](const LinePlan& plan) { return plan.Send; }));
    int current = 0;
    for (LinePlan& plan : plans_) {
        if (!plan.Send || settings_.DryRun || Stopping()) {
            frontEnd_.Report(plan.Result);
            continue;
        }
        frontEnd_.Changing(++current, total);
        ChangeOne(plan);
    }
}

void ChangeRun::ChangeOne(LinePlan& plan)
{
    ChangeResult& result = plan.Result;
    const protocol::DeviceRow& device = plan.Device;
    const journal::ChangeJournal::Begun begun =
        journal_.Begin({device.Interface, device.Mac, device.Address, device.Mask, result.Address, result.Mask});
    plan.JournalId = begun.Change;
    WarnOnce(begun.Status);
    if (!begun.Status.Ok() && settings_.RequireJournal) {
        result.Detail = "nie zapisano dziennika: nic nie wysłano";
        frontEnd_.Report(result);
        return;
    }
    result.Sent = true;
    const protocol::ChangeOutcome steps = session_.Change(device, result.Address, result.Mask);
    if (!steps.Ok())
        result.Failed = FailedStep{StepOf(steps.FailedStep), steps.Status};
    const std::string why = protocol::StatusText(steps.Status);
    const std::string notChecked = result.AddressChecked ? "" : result.Detail;
    result.Detail.clear();
    if (!steps.MacAlsoAt.empty()) {
        result.Outcome = Outcome::MacTwice;
        result.Detail = "MAC odpowiada z dwóch adresów: " + Latin1ToUtf8(device.Address) + " i " +
            Latin1ToUtf8(steps.MacAlsoAt) +
            (steps.AddressTaken ? "; nowy adres mogły przyjąć oba urządzenia, maski nie wysłano"
                                : "; żadne polecenie nie rozróżni tych urządzeń, przerwano przed logowaniem");
    } else if (steps.InterfaceGone) {
        result.Outcome = Outcome::InterfaceGone;
        result.Detail = "interfejs " + device.Interface + " jest niedostępny";
    } else if (!steps.Ok() && Stopping() && steps.Status == protocol::kStatusNoReply) {
        result.Outcome = Outcome::Interrupted;
    } else if (!steps.AddressTaken) {
        result.Outcome = Outcome::Refused;
        result.Detail = why;
    } else {
        result.Outcome = Outcome::Changed;
        result.Detail = steps.Ok() ? "" : "maska: " + why;
    }
    if (!notChecked.empty())
        result.Detail = result.Detail.empty() ? notChecked : result.Detail + "; " + notChecked;
    if (result.Outcome != Outcome::Changed)
        JournalEnd(plan);
    frontEnd_.Report(result);
}

void ChangeRun::Verify()
{
    std::vector<LinePlan*> changed;
    bool wholeChange = false; // some change ran to its closing command
    for (LinePlan& plan : plans_)
        if (plan.Result.Outcome == Outcome::Changed) {
            changed.push_back(&plan);
            wholeChange = wholeChange || !plan.Result.Failed;
        }
    const bool refresh = settings_.Verify == Verification::ByRefresh &&
        std::any_of(plans_.begin(), plans_.end(), [](const LinePlan& plan) { return plan.Result.Sent; });
    if (changed.empty() && !refresh)
        return;
    frontEnd_.Verifying();
    // The device needs a moment to take its new address before it is asked again.
    if (wholeChange && !Stopping())
        session_.Pause(std::chrono::milliseconds(protocol::kPauseAfterChangeMs));
    if (Stopping()) {
        for (LinePlan* plan : changed)
            FinishInterrupted(*plan);
        return;
    }
    if (settings_.Verify == Verification::ByReading)
        return VerifyByReading(changed);
    const protocol::DiscoveryResult found = frontEnd_.Refresh();
    for (LinePlan* plan : changed) {
        const protocol::DeviceRow* now = FindRow(found.Rows, plan->Result.Mac);
        if (!found.Finished || Stopping())
            FinishInterrupted(*plan); // the window closed during the refresh
        else if (now != nullptr && !now->MacAlsoAt.empty())
            FinishFoundTwice(*plan, *now);
        else {
            JudgeVerification(plan->Result, now);
            Finish(*plan);
        }
    }
}

void ChangeRun::VerifyByReading(const std::vector<LinePlan*>& changed)
{
    std::vector<LinePlan*> missing = changed;
    for (int round = 0; round <= settings_.RestartRounds && !missing.empty() && !Stopping(); ++round) {
        protocol::EarlyEnd awaited{{}, kLeastVerifyingWindow};
        for (const LinePlan* plan : missing)
            awaited.Awaited.push_back({plan->Result.Mac, plan->Result.Address});
        const protocol::DiscoveryResult found = session_.Discover(protocol::DiscoveryDepth::Quick, awaited);
        std::vector<protocol::DeviceRow> answering;
        for (LinePlan* plan : missing)
            if (const protocol::DeviceRow* row = FindRow(found.Rows, plan->Result.Mac); row && !row->MacAlsoAt.empty())
                FinishFoundTwice(*plan, *row);
            else if (row != nullptr)
                answering.push_back(*row);
        std::erase_if(missing, [](const LinePlan* plan) { return plan->Result.Outcome == Outcome::MacTwice; });
        if (answering.empty() || Stopping())
            continue;
        const protocol::DiscoveryResult read = session_.ReadDevices(answering);
        std::vector<LinePlan*> still;
        for (LinePlan* plan : missing) {
            const protocol::DeviceRow* quick = FindRow(answering, plan->Result.Mac);
            if (quick == nullptr) {
                still.push_back(plan);
                continue;
            }
            const protocol::DeviceRow* asRead = FindRow(read.Rows, plan->Result.Mac);
            protocol::DeviceRow now = asRead != nullptr ? *asRead : *quick;
            if (asRead == nullptr)
                now.Mask.clear(); // answered, but could not be read
            JudgeVerification(plan->Result, &now);
            Finish(*plan);
        }
        missing = std::move(still);
    }
    const int waited =
        (protocol::kPauseAfterChangeMs + (settings_.RestartRounds + 1) * protocol::kCollectionWindowMs) / 1000;
    for (LinePlan* plan : missing) {
        if (Stopping()) {
            FinishInterrupted(*plan);
            continue;
        }
        JudgeVerification(plan->Result, nullptr);
        plan->Result.Detail += " przez " + std::to_string(waited) + " s (może się jeszcze uruchamiać)";
        Finish(*plan);
    }
}

void ChangeRun::FinishInterrupted(LinePlan& plan)
{
    plan.Result.Outcome = Outcome::Unverified;
    plan.Result.Detail = plan.Result.Detail.empty() ? "przerwano przed sprawdzeniem"
                                                    : "przerwano przed sprawdzeniem; " + plan.Result.Detail;
    Finish(plan);
}

void ChangeRun::FinishFoundTwice(LinePlan& plan, const protocol::DeviceRow& now)
{
    plan.Result.Outcome = Outcome::MacTwice;
    plan.Result.Detail = "po zmianie MAC odpowiada z dwóch adresów: " + Latin1ToUtf8(now.Address) + " i " +
        Latin1ToUtf8(now.MacAlsoAt) + "; nie wiadomo, które urządzenie zmieniono";
    Finish(plan);
}

void ChangeRun::Finish(LinePlan& plan)
{
    JournalEnd(plan);
    frontEnd_.Report(plan.Result);
}

void ChangeRun::JournalEnd(const LinePlan& plan)
{
    WarnOnce(journal_.End(plan.JournalId, plan.Result.Outcome, plan.Result.Detail));
}

void ChangeRun::WarnOnce(const journal::FileStatus& status)
{
    if (status.Ok() || !journalProblem_.empty())
        return;
    journalProblem_ = journal::WarningText(status);
    frontEnd_.Warn(journalProblem_);
}

} // namespace change
