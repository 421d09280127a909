// SPDX-License-Identifier: MIT
#include "net/dispatch/endpoint_router.h"

#include "net/dispatch/main_thread_channel.h"
#include "net/dispatch/readiness_watches.h"
#include "net/dispatch/window_handle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimerEvent>
#include <stdexcept>

namespace net {

namespace {

class NotificationEvent final : public QEvent {
public:
    NotificationEvent(QEvent::Type type, EndpointHandle endpoint, const net::Notification& notification,
                      uint64_t watchGeneration)
        : QEvent(type),
          Endpoint(endpoint),
          Notification(notification),
          WatchGeneration(watchGeneration)
    {
    }
    EndpointHandle Endpoint;
    net::Notification Notification;
    uint64_t WatchGeneration;
};

} // namespace

EndpointRouter::EndpointRouter(ErrorReport report)
    : report_(std::move(report)),
      notificationEventType_(static_cast<QEvent::Type>(QEvent::registerEventType())),
      callEventType_(static_cast<QEvent::Type>(QEvent::registerEventType()))
{
}

EndpointRouter::~EndpointRouter()
{
    for (const auto& [qtId, key] : timerOwners_)
        killTimer(qtId);
}

EndpointHandle EndpointRouter::Attach(TWindowHandle& target)
{
    EndpointHandle endpoint = ++lastEndpoint_;
    endpoints_.emplace(endpoint, &target);
    return endpoint;
}

void EndpointRouter::Detach(EndpointHandle endpoint)
{
    endpoints_.erase(endpoint);
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->first.Endpoint == endpoint) {
            killTimer(it->second);
            timerOwners_.erase(it->second);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
    if (watches_)
        watches_->DropEndpoint(endpoint);
}

bool EndpointRouter::IsAttached(EndpointHandle endpoint) const { return endpoints_.count(endpoint) != 0; }

void EndpointRouter::Post(EndpointHandle endpoint, const Notification& notification, uint64_t watchGeneration)
{
    QCoreApplication::postEvent(this,
                                new NotificationEvent(notificationEventType_, endpoint, notification, watchGeneration));
}

bool EndpointRouter::StartTimer(EndpointHandle endpoint, uint32_t id, int32_t intervalMs)
{
    if (intervalMs <= 0 || !IsAttached(endpoint))
        return false;
    StopTimer(endpoint, id);
    int qtId = startTimer(intervalMs);
    if (qtId == 0)
        return false;
    timers_[{endpoint, id}] = qtId;
    timerOwners_[qtId] = {endpoint, id};
    return true;
}

void EndpointRouter::StopTimer(EndpointHandle endpoint, uint32_t id)
{
    auto it = timers_.find({endpoint, id});
    if (it == timers_.end())
        return;
    killTimer(it->second);
    timerOwners_.erase(it->second);
    timers_.erase(it);
}

bool EndpointRouter::IsTimerRunning(EndpointHandle endpoint, uint32_t id) const
{
    return timers_.count({endpoint, id}) != 0;
}

void EndpointRouter::Trap(const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        if (report_)
            report_(error);
    } catch (...) {
        if (report_)
            report_(std::runtime_error("unknown error in a socket event handler"));
    }
}

void EndpointRouter::Deliver(EndpointHandle endpoint, const Notification& notification)
{
    auto it = endpoints_.find(endpoint);
    if (it == endpoints_.end())
        return; // detached: nothing handles it
    TWindowHandle* target = it->second;
    Trap([&] { target->MessageProc(notification.Message, notification.WParam, notification.LParam); });
}

bool EndpointRouter::event(QEvent* event)
{
    if (event->type() == notificationEventType_) {
        const auto& posted = *static_cast<NotificationEvent*>(event);
        const Notification& n = posted.Notification;
        if (posted.WatchGeneration == 0) {
            Deliver(posted.Endpoint, n);
            return true;
        }
        int fd = static_cast<int>(n.WParam);
        if (!watches_ || !watches_->IsCurrent(fd, posted.WatchGeneration))
            return true; // the descriptor was closed or re-bound meanwhile
        Deliver(posted.Endpoint, n);
        if (n.LParam & kSocketEventRead)
            watches_->ReadDelivered(fd, posted.WatchGeneration);
        return true;
    }
    if (event->type() == callEventType_) {
        auto* call = static_cast<CallEvent*>(event);
        Trap([call] { call->Run(); });
        return true;
    }
    return QObject::event(event);
}

void EndpointRouter::timerEvent(QTimerEvent* event)
{
    auto it = timerOwners_.find(event->timerId());
    if (it == timerOwners_.end())
        return;
    TimerKey key = it->second;
    Deliver(key.Endpoint, {kMsgTimer, key.Id, 0});
}

} // namespace net
