// SPDX-License-Identifier: MIT
#include "conflicts/address_probe.h"

#include "checks/dotted_address.h"
#include "conflicts/arping_outcome.h"
#include "conflicts/descriptor_budget.h"
#include "conflicts/probe_texts.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <ifaddrs.h>
#include <map>
#include <memory>
#include <net/if.h>
#include <optional>

namespace conflicts {
namespace {

// Interface name -> flags (IFF_UP, IFF_RUNNING...), or why they are unknown.
struct InterfaceFlags {
    std::map<std::string, unsigned> ByName;
    std::vector<std::string> Broadcasting; // up, running, IPv4, not loopback
    std::optional<std::string> Error;
};

InterfaceFlags ReadInterfaceFlags()
{
    InterfaceFlags flags;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        const int error = errno;
        flags.Error = std::to_string(error) + " " + std::strerror(error);
        return flags;
    }
    constexpr unsigned kBroadcasting = IFF_UP | IFF_RUNNING | IFF_BROADCAST;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        flags.ByName[entry->ifa_name] = entry->ifa_flags;
        if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET &&
            (entry->ifa_flags & (kBroadcasting | IFF_LOOPBACK)) == kBroadcasting &&
            std::find(flags.Broadcasting.begin(), flags.Broadcasting.end(), entry->ifa_name) ==
                flags.Broadcasting.end())
            flags.Broadcasting.emplace_back(entry->ifa_name);
    }
    freeifaddrs(list);
    return flags;
}

ProbeResult NotChecked(std::string reason) { return {ProbeState::NotChecked, {}, std::move(reason)}; }

// Why `target` cannot be probed, if it cannot.
std::optional<std::string> RefusalOf(const ProbeTarget& target, const InterfaceFlags& interfaces)
{
    if (!checks::ParseDottedAddress(target.Address))
        return texts::BadAddress(target.Address);
    if (interfaces.Error)
        return texts::InterfacesUnreadable(*interfaces.Error);
    const auto found = interfaces.ByName.find(target.InterfaceName);
    if (found == interfaces.ByName.end())
        return texts::NoSuchInterface(target.InterfaceName);
    if (!(found->second & IFF_UP))
        return texts::InterfaceDown(target.InterfaceName);
    if (!(found->second & IFF_RUNNING))
        return texts::InterfaceWithoutLink(target.InterfaceName);
    return std::nullopt;
}

// One arping process; targets asking the same question share it.
struct Probe {
    ProbeTarget Target;
    QProcess Process;
    QDeadlineTimer Deadline;
    std::optional<QString> StartFailure; // set by the process's handler, looked at by the run
    std::optional<ProbeResult> Result;
};

void Connect(Probe& probe)
{
    QObject::connect(&probe.Process, &QProcess::errorOccurred, &probe.Process, [&probe](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            probe.StartFailure = probe.Process.errorString();
    });
    QObject::connect(
        &probe.Process, &QProcess::finished, &probe.Process, [&probe](int exitCode, QProcess::ExitStatus status) {
            probe.Result = status == QProcess::CrashExit
                ? NotChecked(texts::ProgramCrashed())
                : ArpingOutcome(probe.Target.Address, exitCode, probe.Process.readAllStandardOutput().toStdString(),
                                probe.Process.readAllStandardError().toStdString());
        });
}

void StartProcess(Probe& probe, const ProbeSettings& settings)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C"); // the output is parsed
    probe.Process.setProcessEnvironment(environment);
    probe.Process.setStandardInputFile(QProcess::nullDevice()); // one pipe less
    probe.StartFailure.reset();
    probe.Deadline = QDeadlineTimer(settings.Limit);
    probe.Process.start(QString::fromStdString(settings.Program),
                        {"-D", "-I", QString::fromStdString(probe.Target.InterfaceName), "-c",
                         QString::number(settings.Probes), "-w", QString::number(settings.DeadlineSeconds),
                         QString::fromStdString(probe.Target.Address)});
}

// Whether a start failed for want of descriptors: Qt's text then has the
// system's, or (from a later call's errno) another and no descriptors left.
bool ShortOfDescriptors(const QString& failure)
{
    for (const int error : {EMFILE, ENFILE})
        if (failure.contains(QString::fromLocal8Bit(std::strerror(error))))
            return true;
    return TooFewToStart(CurrentDescriptorBudget());
}

} // namespace

// The probes, as many at a time as the descriptor limit lets (all at once
// when it lets), the next starting as soon as one ends.
class AddressProbes::Run {
public:
    explicit Run(ProbeSettings settings)
        : settings_(std::move(settings)),
          room_(ProbesThatFit(CurrentDescriptorBudget()))
    {
    }

    ~Run()
    {
        for (Probe* probe : running_)
            Stop(*probe);
    }

    void Add(const ProbeTarget& target, const InterfaceFlags& interfaces)
    {
        const auto [known, added] = probes_.try_emplace({target.InterfaceName, target.Address});
        if (!added)
            return;
        known->second = std::make_unique<Probe>();
        Probe& probe = *known->second;
        probe.Target = target;
        if (const auto refusal = RefusalOf(target, interfaces)) {
            probe.Result = NotChecked(*refusal);
            return;
        }
        Connect(probe);
        waiting_.push_back(&probe);
        StartWhatFits();
    }

    ProbeResult Result(const ProbeTarget& target)
    {
        if (!probes_.contains({target.InterfaceName, target.Address}))
            Add(target, ReadInterfaceFlags());
        Probe& probe = *probes_.at({target.InterfaceName, target.Address});
        while (!probe.Result) {
            if (Stopped()) {
                GiveUp();
                break;
            }
            StartWhatFits();
            if (running_.empty()) { // not even one fits
                Settle(*waiting_.front(), texts::TooFewDescriptors(CurrentDescriptorBudget().Limit));
                waiting_.pop_front();
                continue;
            }
            if (std::erase_if(running_, [this](Probe* running) { return Ended(*running); }) == 0)
                WaitForNews();
        }
        return *probe.Result;
    }

private:
    static void Settle(Probe& probe, std::string reason) { probe.Result = NotChecked(std::move(reason)); }

    static void Stop(Probe& probe)
    {
        QObject::disconnect(&probe.Process, nullptr, nullptr, nullptr);
        probe.Process.kill();
        probe.Process.waitForFinished(1000);
    }

    bool Stopped() const { return settings_.Stopped && settings_.Stopped(); }

    // Stops every running probe, and settles it and every waiting one unchecked.
    void GiveUp()
    {
        for (Probe* probe : running_) {
            Stop(*probe);
            Settle(*probe, texts::Stopped());
        }
        running_.clear();
        for (Probe* probe : waiting_)
            Settle(*probe, texts::Stopped());
        waiting_.clear();
    }

    void StartWhatFits()
    {
        while (!waiting_.empty() && running_.size() < room_ && !Stopped()) {
            StartProcess(*waiting_.front(), settings_);
            running_.push_back(waiting_.front());
            waiting_.pop_front();
        }
    }

    // One pass of the event loop: until something happens or the first
    // deadline of a running probe passes. Passes of processEvents rather
    // than a nested QEventLoop: after QCoreApplication::exit a nested exec()
    // would return at once.
    void WaitForNews()
    {
        qint64 first = running_.front()->Deadline.remainingTime();
        for (const Probe* probe : running_)
            first = std::min(first, probe->Deadline.remainingTime());
        QTimer wakeUp;
        wakeUp.setSingleShot(true);
        wakeUp.start(static_cast<int>(first));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    // Whether `probe` is done running: its result, a start that failed
    // (for want of descriptors it waits for another to end), its deadline.
    bool Ended(Probe& probe)
    {
        if (probe.Result) {
            probe.Process.close(); // its descriptors, for the next one
            return true;
        }
        if (probe.StartFailure) {
            if (!ShortOfDescriptors(*probe.StartFailure))
                Settle(probe, texts::ProgramDidNotStart(settings_.Program, probe.StartFailure->toStdString()));
            else if (running_.size() > 1) {
                room_ = running_.size() - 1;
                waiting_.push_front(&probe);
            } else
                Settle(probe, texts::TooFewDescriptors(CurrentDescriptorBudget().Limit));
            return true;
        }
        if (!probe.Deadline.hasExpired())
            return false;
        Stop(probe);
        Settle(probe, texts::ProgramTooSlow(std::chrono::ceil<std::chrono::seconds>(settings_.Limit).count()));
        return true;
    }

    const ProbeSettings settings_;
    std::size_t room_;
    std::map<std::pair<std::string, std::string>, std::unique_ptr<Probe>> probes_; // by interface and address
    std::deque<Probe*> waiting_;
    std::vector<Probe*> running_;
};

AddressProbes::AddressProbes(ProbeSettings settings) : run_(std::make_unique<Run>(std::move(settings))) {}

AddressProbes::~AddressProbes() = default;

void AddressProbes::Start(const std::vector<ProbeTarget>& targets)
{
    const InterfaceFlags interfaces = ReadInterfaceFlags();
    for (const ProbeTarget& target : targets)
        run_->Add(target, interfaces);
}

void AddressProbes::StartEverywhere(const std::string& address)
{
    const InterfaceFlags interfaces = ReadInterfaceFlags();
    for (const std::string& name : interfaces.Broadcasting)
        run_->Add({name, address}, interfaces);
}

ProbeResult AddressProbes::Result(const ProbeTarget& target) { return run_->Result(target); }

} // namespace conflicts
