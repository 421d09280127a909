// SPDX-License-Identifier: MIT
#include "net/socket/send_buffer_socket.h"

#include <algorithm>

namespace net {

ASocketExSendBuffer::ASocketExSendBuffer(QObject* owner)
    : ASocket(owner),
      throttleStart_(std::chrono::steady_clock::now())
{
    SetTimerInterval(50);
}

ASocketExSendBuffer::~ASocketExSendBuffer()
{
    SetTimerActive(false);
    sendBuffer_.Clear();
}

bool ASocketExSendBuffer::IsThrottling() const { return throttle_ && IsConnected(); }

void ASocketExSendBuffer::SetThrottle(bool value)
{
    if (value == throttle_)
        return;
    throttle_ = value;
    throttleStart_ = std::chrono::steady_clock::now();
    bytesSent_ = 0;
    SetTimerActive(value);
}

std::size_t ASocketExSendBuffer::GetSendQuota(std::size_t size)
{
    if (!IsThrottling() || throttleRate_ <= 0)
        return size;
    auto now = std::chrono::steady_clock::now();
    auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - throttleStart_).count();
    if (elapsedMs >= 1000) {
        measuredRate_ = bytesSent_ * 1000 / elapsedMs;
        throttleStart_ = now;
        bytesSent_ = 0;
        elapsedMs = 0;
    }
    int64_t allowed = throttleRate_ * std::max<int64_t>(elapsedMs, 1) / 1000 - bytesSent_;
    if (allowed <= 0)
        return 0;
    return std::min(size, static_cast<std::size_t>(allowed));
}

void ASocketExSendBuffer::TriggerTimer()
{
    if (IsThrottling())
        HandleWriteReady();
    else
        ASocket::TriggerTimer();
}

void ASocketExSendBuffer::HandleSocketEvent(uint32_t events, uint32_t)
{
    if (events & kSocketEventWrite)
        HandleWriteReady();
}

void ASocketExSendBuffer::HandleWriteReady()
{
    writeReady_ = true;
    if (sendBuffer_.IsEmpty())
        return;
    auto alive = LifeToken();
    FlushSendBuffer();
    if (!alive.expired() && sendBuffer_.IsEmpty())
        TriggerSendBufferEmpty();
}

void ASocketExSendBuffer::TriggerSendBufferEmpty()
{
    if (OnSendBufferEmpty)
        OnSendBufferEmpty(*this);
}

} // namespace net
