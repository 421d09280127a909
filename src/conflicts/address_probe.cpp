// SPDX-License-Identifier: MIT
#include "conflicts/address_probe.h"

#include "conflicts/arping_outcome.h"
#include "conflicts/probe_texts.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <map>
#include <memory>
#include <net/if.h>
#include <optional>

namespace conflicts {
namespace {

// Interface name -> flags (IFF_UP, IFF_RUNNING...), or why they are unknown.
struct InterfaceFlags {
    std::map<std::string, unsigned> byName;
    std::optional<std::string> error;
};

InterfaceFlags ReadInterfaceFlags()
{
    InterfaceFlags flags;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        const int error = errno;
        flags.error = std::to_string(error) + " " + std::strerror(error);
        return flags;
    }
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next)
        flags.byName[entry->ifa_name] = entry->ifa_flags;
    freeifaddrs(list);
    return flags;
}

ProbeResult NotChecked(std::string reason) { return {ProbeState::NotChecked, {}, std::move(reason)}; }

// Why `target` cannot be probed, if it cannot.
std::optional<std::string> RefusalOf(const ProbeTarget& target, const InterfaceFlags& interfaces)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, target.Address.c_str(), &parsed) != 1)
        return texts::BadAddress(target.Address);
    if (interfaces.error)
        return texts::InterfacesUnreadable(*interfaces.error);
    const auto found = interfaces.byName.find(target.InterfaceName);
    if (found == interfaces.byName.end())
        return texts::NoSuchInterface(target.InterfaceName);
    if (!(found->second & IFF_UP))
        return texts::InterfaceDown(target.InterfaceName);
    if (!(found->second & IFF_RUNNING))
        return texts::InterfaceWithoutLink(target.InterfaceName);
    return std::nullopt;
}

// One arping process; targets asking the same question share it.
struct Probe {
    ProbeTarget target;
    QProcess process;
    std::optional<ProbeResult> result;
};

void Start(Probe& probe, const ProbeSettings& settings, int& pending)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C"); // the output is parsed
    probe.process.setProcessEnvironment(environment);
    auto settle = [&probe, &pending](ProbeResult result) {
        if (probe.result)
            return;
        probe.result = std::move(result);
        --pending;
    };
    QObject::connect(&probe.process, &QProcess::errorOccurred, &probe.process,
                     [&probe, &settings, settle](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             settle(NotChecked(texts::ProgramDidNotStart(settings.Program,
                                                                         probe.process.errorString().toStdString())));
                     });
    QObject::connect(&probe.process, &QProcess::finished, &probe.process,
                     [&probe, settle](int exitCode, QProcess::ExitStatus status) {
                         if (status == QProcess::CrashExit) {
                             settle(NotChecked(texts::ProgramCrashed()));
                             return;
                         }
                         settle(ArpingOutcome(probe.target.Address, exitCode,
                                              probe.process.readAllStandardOutput().toStdString(),
                                              probe.process.readAllStandardError().toStdString()));
                     });
    ++pending;
    probe.process.start(QString::fromStdString(settings.Program),
                        {"-D", "-I", QString::fromStdString(probe.target.InterfaceName), "-c",
                         QString::number(settings.Probes), "-w", QString::number(settings.DeadlineSeconds),
                         QString::fromStdString(probe.target.Address)});
}

// Runs the event loop until no probe is pending or the deadline passes.
// Passes of processEvents rather than a nested QEventLoop: after
// QCoreApplication::exit a nested exec() would return at once.
void WaitFor(const int& pending, const QDeadlineTimer& deadline)
{
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    while (pending > 0 && !deadline.hasExpired()) {
        if (!wakeUp.isActive())
            wakeUp.start(static_cast<int>(deadline.remainingTime()));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace

std::vector<ProbeResult> ProbeAddresses(const std::vector<ProbeTarget>& targets, const ProbeSettings& settings)
{
    std::vector<ProbeResult> results(targets.size());
    int pending = 0; // outlives the processes, whose handlers count it down
    const InterfaceFlags interfaces = ReadInterfaceFlags();
    std::vector<std::unique_ptr<Probe>> probes;
    std::map<std::pair<std::string, std::string>, std::size_t> probeOfQuestion;
    std::vector<std::optional<std::size_t>> probeOfTarget(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (const auto refusal = RefusalOf(targets[i], interfaces)) {
            results[i] = NotChecked(*refusal);
            continue;
        }
        const auto [known, added] =
            probeOfQuestion.try_emplace({targets[i].InterfaceName, targets[i].Address}, probes.size());
        if (added) {
            probes.push_back(std::make_unique<Probe>());
            probes.back()->target = targets[i];
        }
        probeOfTarget[i] = known->second;
    }

    const QDeadlineTimer deadline(settings.Limit);
    for (const auto& probe : probes)
        Start(*probe, settings, pending);
    WaitFor(pending, deadline);
    for (const auto& probe : probes) {
        if (probe->result)
            continue;
        QObject::disconnect(&probe->process, nullptr, nullptr, nullptr);
        probe->process.kill();
        probe->process.waitForFinished(1000);
        probe->result =
            NotChecked(texts::ProgramTooSlow(std::chrono::ceil<std::chrono::seconds>(settings.Limit).count()));
    }

    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (probeOfTarget[i])
            results[i] = *probes[*probeOfTarget[i]]->result;
    }
    return results;
}

} // namespace conflicts
