// SPDX-License-Identifier: MIT
// The one way a device gets a new address, under the window and the command
// line alike: from lines that passed their judgement (change/plan_line.h),
// find their devices, check that each new address is free, write the undo
// plan, then for each change the journal's first record, the change, and
// after the pause the device as it answers now, the outcome and the
// journal's last record.
//
//   change::ChangeRun run(session, journal, frontEnd, settings);     // one object a run
//   const std::vector<change::ChangeResult> results = run.Run(lines);   // finds the devices itself
//   ... or run.Run(lines, lastDiscovery) with the devices a refresh found
#pragma once
#include "change/change_result.h"
#include "change/plan_line.h"
#include "conflicts/address_probe.h"
#include "journal/change_journal.h"
#include "protocol/device_session.h"

#include <string>
#include <vector>

namespace change {

// What a front end lends the run.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // A line's result as soon as it is known: a change that went through is
    // reported Changed first, then with what it holds now.
    virtual void Report(const ChangeResult& result) = 0;
    // The journal or the undo plan could not be written, and the like.
    virtual void Warn(const std::string& text) = 0;
    // Whether the operator asked the run to end: no new change starts.
    virtual bool StopRequested() const { return false; }
    // Some line's device needs a change: the conflict checks and datagrams follow.
    virtual void Begin() {}
    virtual void Changing(int /*current*/, int /*total*/) {}
    virtual void Verifying() {}
    // Verification::ByRefresh: the front end's own discovery after the
    // changes, whose rows show what the devices hold now.
    virtual protocol::DiscoveryResult Refresh() { return {}; }
};

enum class Verification {
    // Quick discoveries, then reads of the changed devices only; a changed
    // device that is missing is looked for again for a while (it may be
    // restarting).
    ByReading,
    // One refresh of the front end after every change that was sent.
    ByRefresh,
};

struct RunSettings {
    bool DryRun = false;
    bool SkipUnchanged = true;    // a device that already holds its line gets nothing
    bool RefuseUnchecked = false; // an address the probe could not check refuses its line
    bool RequireJournal = false;  // a change whose journal record could not be written is not sent
    std::string UndoPlanPath;     // empty: no undo plan
    Verification Verify = Verification::ByReading;
    // Quick discoveries after the first verifying one, for a changed device
    // that did not answer yet (each takes the collection window, 2 s).
    int RestartRounds = 4;
    conflicts::ProbeSettings Probes;
};

class ChangeRun {
public:
    ChangeRun(protocol::DeviceSession& session, journal::ChangeJournal& journal, FrontEnd& frontEnd,
              RunSettings settings = {});

    // Finds the lines' devices itself: a quick discovery (every MAC and
    // every address in use), then reads of the planned devices only. The
    // new addresses' probes run meanwhile.
    std::vector<ChangeResult> Run(const std::vector<PlanLine>& lines);
    // With the devices a discovery found (a copy: the front end's refresh may replace its own).
    std::vector<ChangeResult> Run(const std::vector<PlanLine>& lines, protocol::DiscoveryResult known);
    // The undo plan could not be written, so nothing was sent.
    bool UndoPlanFailed() const { return undoPlanFailed_; }
    // Why a journal record could not be written; empty when every one was.
    const std::string& JournalProblem() const { return journalProblem_; }

private:
    // What the run knows of one line and does with it.
    struct LinePlan {
        ChangeResult Result;
        protocol::DeviceRow Device; // the device it changes
        bool NeedsChange = false;   // found, and not holding its line already
        bool Send = false;          // its change is still to be sent
        std::string JournalId;      // its journal record, once begun
    };

    // The run's probes, given up once the run is to stop.
    conflicts::ProbeSettings ProbeSettings() const;
    // Stopped before the devices were known: every line not attempted.
    std::vector<ChangeResult> NoneAttempted(const std::vector<PlanLine>& lines);
    std::vector<ChangeResult> Results() const;
    std::vector<ChangeResult> RunWith(const std::vector<PlanLine>& lines, const protocol::DiscoveryResult& known,
                                      conflicts::AddressProbes& probes);
    void Prepare(const std::vector<PlanLine>& lines, const protocol::DiscoveryResult& known);
    void Classify(LinePlan& plan, const protocol::DiscoveryResult& known);
    void JudgeConflicts(const protocol::DiscoveryResult& known, conflicts::AddressProbes& probes);
    bool WriteUndoPlan();
    void ChangeAll();
    void ChangeOne(LinePlan& plan);
    void Verify();
    void VerifyByReading(const std::vector<LinePlan*>& changed);
    void Finish(LinePlan& plan);
    // A stop, or a refresh cut short, before what the device holds was seen.
    void FinishInterrupted(LinePlan& plan);
    // The verifying discovery found its MAC in two places: no answer tells which device changed.
    void FinishFoundTwice(LinePlan& plan, const protocol::DeviceRow& now);
    void JournalEnd(const LinePlan& plan);
    void WarnOnce(const journal::FileStatus& status);
    bool Stopping() const;

    protocol::DeviceSession& session_;
    journal::ChangeJournal& journal_;
    FrontEnd& frontEnd_;
    RunSettings settings_;
    std::string journalProblem_; // warned once

    std::vector<LinePlan> plans_; // by line
    bool undoPlanFailed_ = false;
};

} // namespace change
