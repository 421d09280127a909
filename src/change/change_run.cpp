// SPDX-License-Identifier: MIT
#include "change/change_run.h"

#include "change/verification.h"
#include "checks/mac_text.h"
#include "checks/new_settings_check.h"
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

bool SameDevice(const protocol::DeviceRow& row, const std::string& mac, const std::string& address)
{
    return row.Mac == mac && row.Address == address;
}

// The quick discovery's rows with the planned devices as read: a device
// whose selection or login failed is no row, and goes with the failures.
protocol::DiscoveryResult Merged(protocol::DiscoveryResult found, const protocol::DiscoveryResult& read)
{
    std::vector<protocol::DeviceRow> rows;
    for (protocol::DeviceRow& row : found.Rows) {
        const auto asRead = std::find_if(read.Rows.begin(), read.Rows.end(), [&](const protocol::DeviceRow& r) {
            return SameDevice(r, row.Mac, row.Address);
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
        if (const checks::JudgedSettings judged = checks::JudgeNewSettings(line.Address, line.Mask); !judged.Refusal)
            probes.StartEverywhere(judged.Address);
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

std::vector<ChangeResult> ChangeRun::Run(const std::vector<PlanLine>& lines, const protocol::DiscoveryResult& known)
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
    for (ChangeResult& result : results_) {
        result.Outcome = Outcome::NotAttempted;
        frontEnd_.Report(result);
    }
    return results_;
}

std::vector<ChangeResult> ChangeRun::RunWith(const std::vector<PlanLine>& lines, const protocol::DiscoveryResult& known,
                                             conflicts::AddressProbes& probes)
{
    Prepare(lines, known);
    const std::vector<bool> needChange = toChange_;
    if (std::find(toChange_.begin(), toChange_.end(), true) != toChange_.end()) {
        frontEnd_.Begin();
        JudgeConflicts(known, probes);
    }
    if (Stopping()) {
        // Stopped before the first change: no line that needs one is attempted.
        for (std::size_t n = 0; n < results_.size(); ++n)
            if (needChange[n]) {
                toChange_[n] = false;
                results_[n].Outcome = Outcome::NotAttempted;
                results_[n].Detail.clear();
                results_[n].AddressChecked = true;
            }
    } else if (!settings_.DryRun && !WriteUndoPlan()) {
        undoPlanFailed_ = true;
        for (std::size_t n = 0; n < results_.size(); ++n)
            if (toChange_[n]) {
                toChange_[n] = false;
                results_[n].Detail = "nie zapisano planu cofnięcia: nic nie wysłano";
            }
    }
    ChangeAll();
    Verify();
    return results_;
}

void ChangeRun::Prepare(const std::vector<PlanLine>& lines, const protocol::DiscoveryResult& known)
{
    results_.assign(lines.size(), {});
    devices_.assign(lines.size(), {});
    toChange_.assign(lines.size(), false);
    journalIds_.assign(lines.size(), {});
    sent_ = false;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        ChangeResult& result = results_[n];
        result.LineNumber = lines[n].LineNumber;
        result.Mac = lines[n].Mac;
        result.Address = lines[n].Address;
        result.Mask = lines[n].Mask;
        Classify(result, known, n);
        result.MacNormalized = checks::CanonicalMac(result.Mac).value_or("");
    }
}

void ChangeRun::Classify(ChangeResult& result, const protocol::DiscoveryResult& known, std::size_t n)
{
    const checks::JudgedSettings judged = checks::JudgeNewSettings(result.Address, result.Mask);
    if (judged.Refusal) {
        result.Outcome = Outcome::Rejected;
        result.Detail = *judged.Refusal;
        return;
    }
    result.Address = judged.Address; // canonical texts from here on
    result.Mask = judged.Mask;
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
    devices_[n] = device;
    result.Mac = device.Mac;
    result.OldAddress = device.Address;
    result.OldMask = device.Mask;
    result.Interface = device.Interface;
    if (settings_.SkipUnchanged && device.Address == result.Address && device.Mask == result.Mask) {
        result.Outcome = Outcome::Unchanged;
        return;
    }
    result.Outcome = settings_.DryRun ? Outcome::Planned : Outcome::NotAttempted;
    toChange_[n] = true;
}

void ChangeRun::JudgeConflicts(const protocol::DiscoveryResult& known, conflicts::AddressProbes& probes)
{
    std::vector<conflicts::IntendedChange> changes;
    std::vector<std::size_t> lineOf;
    for (std::size_t n = 0; n < results_.size(); ++n) {
        if (!toChange_[n])
            continue;
        changes.push_back({devices_[n].Mac, devices_[n].Interface, devices_[n].Address, results_[n].Address});
        lineOf.push_back(n);
    }
    // Every address that answered is in use, whether its device could be read or not.
    std::vector<conflicts::ListedDevice> inUse;
    for (const protocol::DeviceRow& row : known.Rows)
        inUse.push_back({row.Mac, row.Address});
    for (const protocol::UnreadDevice& unread : known.Unread)
        inUse.push_back({unread.Mac, unread.Address});
    const std::vector<conflicts::ConflictVerdict> verdicts = conflicts::JudgeConflicts(changes, inUse, probes);
    for (std::size_t k = 0; k < verdicts.size(); ++k) {
        ChangeResult& result = results_[lineOf[k]];
        if (verdicts[k].Refused || (!verdicts[k].Checked && settings_.RefuseUnchecked)) {
            result.Outcome = verdicts[k].Refused ? Outcome::Conflict : Outcome::Unchecked;
            result.Detail = verdicts[k].Message;
            result.AddressChecked = verdicts[k].Checked;
            toChange_[lineOf[k]] = false;
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
    for (std::size_t n = 0; n < results_.size(); ++n)
        if (toChange_[n])
            devices.push_back({results_[n].Mac, results_[n].OldAddress, results_[n].OldMask});
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
    const auto total = static_cast<int>(std::count(toChange_.begin(), toChange_.end(), true));
    int current = 0;
    for (std::size_t n = 0; n < results_.size(); ++n) {
        if (!toChange_[n] || settings_.DryRun || Stopping()) {
            frontEnd_.Report(results_[n]);
            continue;
        }
        frontEnd_.Changing(++current, total);
        ChangeOne(n);
    }
}

void ChangeRun::ChangeOne(std::size_t n)
{
    ChangeResult& result = results_[n];
    const protocol::DeviceRow& device = devices_[n];
    const journal::ChangeJournal::Begun begun =
        journal_.Begin({device.Interface, device.Mac, device.Address, device.Mask, result.Address, result.Mask});
    journalIds_[n] = begun.Change;
    WarnOnce(begun.Status);
    if (!begun.Status.Ok() && settings_.RequireJournal) {
        result.Detail = "nie zapisano dziennika: nic nie wysłano";
        frontEnd_.Report(result);
        return;
    }
    sent_ = true;
    result.Steps = session_.Change(device, result.Address, result.Mask);
    const protocol::ChangeOutcome& steps = result.Steps;
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
        JournalEnd(n);
    frontEnd_.Report(result);
}

void ChangeRun::Verify()
{
    std::vector<std::size_t> changed;
    bool wholeChange = false; // some change ran to its closing command
    for (std::size_t n = 0; n < results_.size(); ++n)
        if (results_[n].Outcome == Outcome::Changed) {
            changed.push_back(n);
            wholeChange = wholeChange || results_[n].Steps.Ok();
        }
    const bool refresh = settings_.Verify == Verification::ByRefresh && sent_;
    if (changed.empty() && !refresh)
        return;
    frontEnd_.Verifying();
    // The device needs a moment to take its new address before it is asked again.
    if (wholeChange && !Stopping())
        session_.Pause(std::chrono::milliseconds(protocol::kPauseAfterChangeMs));
    if (Stopping()) {
        for (const std::size_t n : changed)
            FinishInterrupted(n);
        return;
    }
    if (settings_.Verify == Verification::ByReading)
        return VerifyByReading(changed);
    const protocol::DiscoveryResult found = frontEnd_.Refresh();
    for (const std::size_t n : changed) {
        const protocol::DeviceRow* now = FindRow(found.Rows, results_[n].Mac);
        if (!found.Finished || Stopping())
            FinishInterrupted(n); // the window closed during the refresh
        else if (now != nullptr && !now->MacAlsoAt.empty())
            FinishFoundTwice(n, *now);
        else {
            JudgeVerification(results_[n], now);
            Finish(n);
        }
    }
}

void ChangeRun::VerifyByReading(const std::vector<std::size_t>& changed)
{
    std::vector<std::size_t> missing = changed;
    for (int round = 0; round <= settings_.RestartRounds && !missing.empty() && !Stopping(); ++round) {
        protocol::EarlyEnd awaited{{}, kLeastVerifyingWindow};
        for (const std::size_t n : missing)
            awaited.Awaited.push_back({results_[n].Mac, results_[n].Address});
        const protocol::DiscoveryResult found = session_.Discover(protocol::DiscoveryDepth::Quick, awaited);
        std::vector<protocol::DeviceRow> answering;
        for (const std::size_t n : missing)
            if (const protocol::DeviceRow* row = FindRow(found.Rows, results_[n].Mac); row && !row->MacAlsoAt.empty())
                FinishFoundTwice(n, *row);
            else if (row != nullptr)
                answering.push_back(*row);
        std::erase_if(missing, [&](std::size_t n) { return results_[n].Outcome == Outcome::MacTwice; });
        if (answering.empty() || Stopping())
            continue;
        const protocol::DiscoveryResult read = session_.ReadDevices(answering);
        std::vector<std::size_t> still;
        for (const std::size_t n : missing) {
            const protocol::DeviceRow* quick = FindRow(answering, results_[n].Mac);
            if (quick == nullptr) {
                still.push_back(n);
                continue;
            }
            const protocol::DeviceRow* asRead = FindRow(read.Rows, results_[n].Mac);
            protocol::DeviceRow now = asRead != nullptr ? *asRead : *quick;
            if (asRead == nullptr)
                now.Mask.clear(); // answered, but could not be read
            JudgeVerification(results_[n], &now);
            Finish(n);
        }
        missing = std::move(still);
    }
    const int waited =
        (protocol::kPauseAfterChangeMs + (settings_.RestartRounds + 1) * protocol::kCollectionWindowMs) / 1000;
    for (const std::size_t n : missing) {
        if (Stopping()) {
            FinishInterrupted(n);
            continue;
        }
        JudgeVerification(results_[n], nullptr);
        results_[n].Detail += " przez " + std::to_string(waited) + " s (może się jeszcze uruchamiać)";
        Finish(n);
    }
}

void ChangeRun::FinishInterrupted(std::size_t n)
{
    results_[n].Outcome = Outcome::Unverified;
    results_[n].Detail = results_[n].Detail.empty() ? "przerwano przed sprawdzeniem"
                                                    : "przerwano przed sprawdzeniem; " + results_[n].Detail;
    Finish(n);
}

void ChangeRun::FinishFoundTwice(std::size_t n, const protocol::DeviceRow& now)
{
    results_[n].Outcome = Outcome::MacTwice;
    results_[n].Detail = "po zmianie MAC odpowiada z dwóch adresów: " + Latin1ToUtf8(now.Address) + " i " +
        Latin1ToUtf8(now.MacAlsoAt) + "; nie wiadomo, które urządzenie zmieniono";
    Finish(n);
}

void ChangeRun::Finish(std::size_t n)
{
    JournalEnd(n);
    frontEnd_.Report(results_[n]);
}

void ChangeRun::JournalEnd(std::size_t n)
{
    WarnOnce(journal_.End(journalIds_[n], MachineName(results_[n].Outcome), results_[n].Detail));
}

void ChangeRun::WarnOnce(const journal::FileStatus& status)
{
    if (status.Ok() || !journalProblem_.empty())
        return;
    journalProblem_ = journal::WarningText(status);
    frontEnd_.Warn(journalProblem_);
}

} // namespace change
