// SPDX-License-Identifier: MIT
// Endpoints on Qt's main loop: a registry of objects keyed by endpoint
// handle, notification triples posted to the loop and delivered one at a
// time in posted order to the object's MessageProc, and per-endpoint timers.
#pragma once

#include "net/dispatch/notification.h"

#include <QEvent>
#include <QObject>
#include <exception>
#include <functional>
#include <map>
#include <unordered_map>

namespace net {

class ReadinessWatches;
class TWindowHandle;

class EndpointRouter final : public QObject {
public:
    using ErrorReport = std::function<void(const std::exception&)>;

    explicit EndpointRouter(ErrorReport report);
    ~EndpointRouter() override;

    void SetWatches(ReadinessWatches* watches) { watches_ = watches; }
    QEvent::Type CallEventType() const { return callEventType_; }

    EndpointHandle Attach(TWindowHandle& target);
    // Later notifications for the endpoint are dropped; its timers stop.
    void Detach(EndpointHandle endpoint);
    bool IsAttached(EndpointHandle endpoint) const;
    std::size_t AttachedCount() const { return endpoints_.size(); }

    // Queues a triple for the endpoint. A non-zero watch generation marks a
    // readiness notification, dropped if its watch has been replaced or
    // removed by the time it is delivered.
    void Post(EndpointHandle endpoint, const Notification& notification, uint64_t watchGeneration = 0);

    bool StartTimer(EndpointHandle endpoint, uint32_t id, int32_t intervalMs);
    void StopTimer(EndpointHandle endpoint, uint32_t id);
    bool IsTimerRunning(EndpointHandle endpoint, uint32_t id) const;

    // Runs work at the boundary to Qt: no exception gets past it.
    void Trap(const std::function<void()>& work);

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct TimerKey {
        EndpointHandle Endpoint;
        uint32_t Id;
        auto operator<=>(const TimerKey&) const = default;
    };

    void Deliver(EndpointHandle endpoint, const Notification& notification);

    ErrorReport report_;
    ReadinessWatches* watches_ = nullptr;
    QEvent::Type notificationEventType_;
    QEvent::Type callEventType_;
    EndpointHandle lastEndpoint_ = 0;
    std::unordered_map<EndpointHandle, TWindowHandle*> endpoints_;
    std::map<TimerKey, int> timers_; // -> Qt timer id
    std::unordered_map<int, TimerKey> timerOwners_;
};

} // namespace net
