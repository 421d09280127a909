// SPDX-License-Identifier: MIT
// Adds the send queue: datagrams that could not leave at once wait here and
// go out when the socket becomes writable. Also keeps the send-rate
// bookkeeping used by connected sockets.
#pragma once

#include "net/buffers/buffer_items.h"
#include "net/socket/asocket.h"

#include <chrono>

namespace net {

class ASocketExSendBuffer : public ASocket {
public:
    explicit ASocketExSendBuffer(QObject* owner = nullptr);
    ~ASocketExSendBuffer() override;

    bool UseSendBuffer() const { return useSendBuffer_; }
    void SetUseSendBuffer(bool value) { useSendBuffer_ = value; }
    bool WriteReady() const { return writeReady_; }
    const TUDPSendBuffer& SendBuffer() const { return sendBuffer_; }

    virtual bool IsThrottling() const;
    virtual void SetThrottle(bool value);
    int64_t ThrottleRate() const { return throttleRate_; } // bytes per second
    void SetThrottleRate(int64_t bytesPerSecond) { throttleRate_ = bytesPerSecond; }
    int64_t MeasuredRate() const { return measuredRate_; }

    std::function<void(ASocketExSendBuffer& sender)> OnSendBufferEmpty;

protected:
    void TriggerTimer() override;
    void HandleSocketEvent(uint32_t events, uint32_t error) override;
    virtual void HandleWriteReady();
    virtual void TriggerSendBufferEmpty();
    // How much of a send of `size` bytes may go now.
    virtual std::size_t GetSendQuota(std::size_t size);
    virtual void FlushSendBuffer() = 0;

    void SetWriteReady(bool value) { writeReady_ = value; }
    void CountSent(std::size_t bytes) { bytesSent_ += static_cast<int64_t>(bytes); }
    TUDPSendBuffer& MutableSendBuffer() { return sendBuffer_; }

private:
    TUDPSendBuffer sendBuffer_;
    bool writeReady_ = false;
    bool useSendBuffer_ = false;
    std::chrono::steady_clock::time_point throttleStart_;
    int64_t bytesSent_ = 0;
    int64_t measuredRate_ = 0;
    bool throttle_ = false;
    int64_t throttleRate_ = 0;
};

} // namespace net
