// SPDX-License-Identifier: MIT
#include "protocol/event_loop_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace protocol {

bool ProcessEventsUntil(QDeadlineTimer deadline, const std::function<bool()>& done)
{
    // The loop blocks until an event arrives; this timer is the event that
    // arrives at the deadline when nothing else does.
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        if (!wakeUp.isActive() && !deadline.isForever())
            wakeUp.start(static_cast<int>(deadline.remainingTime()));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace protocol
