#include "protocol/device_protocol.h"
#include "protocol/tick_count.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

namespace protocol {

namespace {

// Blocks in the event loop until at least one event has been handled.
void HandleNextEvents()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

void DeviceProtocol::WaitWhilePending()
{
    // Any datagram stops the reply timer, also one that settles nothing (an
    // empty text, an unknown first letter). So the wait keeps the try's own
    // deadline too and ends it 2000 ms after the timer was armed, as the
    // timer would have.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    while (replyStatus_ == kStatusPending && !abandoned_) {
        const uint32_t elapsed = TicksSince(timerArmedAt_, TickCount());
        if (elapsed >= static_cast<uint32_t>(kReplyTimeoutMs)) {
            TimeoutTimer();
            break;
        }
        if (!deadline.isActive())
            deadline.start(static_cast<int>(kReplyTimeoutMs - elapsed));
        HandleNextEvents();
    }
    if (abandoned_ && replyStatus_ == kStatusPending)
        replyStatus_ = kStatusNoReply;
}

void DeviceProtocol::WaitFor(uint32_t milliseconds)
{
    const uint32_t start = TickCount();
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    while (!abandoned_) {
        const uint32_t elapsed = TicksSince(start, TickCount());
        if (elapsed >= milliseconds)
            break;
        wakeUp.start(static_cast<int>(milliseconds - elapsed));
        HandleNextEvents();
    }
}

void DeviceProtocol::BlockingPause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace protocol
