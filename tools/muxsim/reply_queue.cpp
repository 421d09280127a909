// SPDX-License-Identifier: MIT
#include "reply_queue.h"

namespace muxsim {

void ReplyQueue::Push(DelayedReply reply)
{
    reply.Order = nextOrder_++;
    queue_.push(std::move(reply));
}

std::optional<Clock::time_point> ReplyQueue::NextDue() const
{
    if (queue_.empty())
        return std::nullopt;
    return queue_.top().Due;
}

std::optional<DelayedReply> ReplyQueue::PopDue(Clock::time_point now)
{
    if (queue_.empty() || queue_.top().Due > now)
        return std::nullopt;
    DelayedReply reply = queue_.top();
    queue_.pop();
    return reply;
}

} // namespace muxsim
