// SPDX-License-Identifier: MIT
#include "protocol/device_protocol.h"
#include "protocol/event_loop_wait.h"

#include <chrono>
#include <thread>

namespace protocol {

void DeviceProtocol::WaitWhilePending()
{
    // Any datagram stops the reply timer, also one that settles nothing (an
    // empty text, an unknown first letter). So the wait keeps the try's own
    // deadline too and ends it 2000 ms after the timer was armed, as the
    // timer would have.
    const bool settled =
        ProcessEventsUntil(replyDeadline_, [this] { return replyStatus_ != kStatusPending || abandoned_; });
    if (!settled)
        TimeoutTimer();
    if (abandoned_ && replyStatus_ == kStatusPending)
        replyStatus_ = kStatusNoReply;
}

void DeviceProtocol::WaitFor(int milliseconds)
{
    ProcessEventsUntil(QDeadlineTimer(milliseconds, Qt::PreciseTimer), [this] { return abandoned_; });
}

void DeviceProtocol::BlockingPause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void DeviceProtocol::ShowProgress(Progress::Activity what, int current, int total, const std::string& device)
{
    if (!abandoned_)
        list_.ShowProgress(Progress{what, current, total, device});
}

} // namespace protocol
