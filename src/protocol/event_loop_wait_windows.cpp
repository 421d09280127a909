// SPDX-License-Identifier: MIT
#include "protocol/event_loop_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <windows.h>

namespace protocol {

// Waits on the thread's message queue itself, with the time left as its
// timeout, rather than for a Qt timer's WM_TIMER: under wine, in a wait
// nested in a socket notifier's handler, that message was seen never to
// come, and a `list` of eight devices stalled at a random one.
bool ProcessEventsUntil(QDeadlineTimer deadline, const std::function<bool()>& done)
{
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (done())
            return true;
        const DWORD timeout = deadline.isForever() ? INFINITE : DWORD(std::max<qint64>(deadline.remainingTime(), 0));
        MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE | MWMO_ALERTABLE);
    }
    return true;
}

} // namespace protocol
