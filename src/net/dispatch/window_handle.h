// SPDX-License-Identifier: MIT
// An object's own endpoint on the main loop (TWindowHandle) and a periodic
// timer delivered through it (TTimerHandle). The endpoint is created on
// first need by GetWindowHandle.
#pragma once

#include "net/dispatch/component.h"
#include "net/dispatch/notification.h"

#include <functional>

namespace net {

class Exception;

class TWindowHandle : public TComponent {
public:
    explicit TWindowHandle(QObject* owner = nullptr);
    ~TWindowHandle() override;

    EndpointHandle GetWindowHandle();
    EndpointHandle WindowHandle() const { return handle_; } // 0 before first need
    bool Terminated() const { return terminated_; }

    virtual int32_t MessageProc(uint32_t message, uint32_t wParam, uint32_t lParam);
    virtual void Terminate();

    std::function<int32_t(uint32_t message, uint32_t wParam, uint32_t lParam, bool& handled)> OnMessage;
    std::function<void(TWindowHandle& sender, const Exception& error)> OnException;

protected:
    virtual EndpointHandle AllocateWindowHandle();
    virtual void DestroyWindowHandle();
    // Runs work; an error of the system's base class goes to OnException
    // when assigned and is dropped otherwise.
    void TrapErrors(const std::function<void()>& work);

private:
    EndpointHandle handle_ = 0;
    bool terminated_ = false;
};

class TTimerHandle : public TWindowHandle {
public:
    explicit TTimerHandle(QObject* owner = nullptr);
    ~TTimerHandle() override;

    int32_t TimerInterval() const { return interval_; }
    void SetTimerInterval(int32_t intervalMs);
    bool TimerActive() const { return active_; }
    virtual void SetTimerActive(bool value);

    int32_t MessageProc(uint32_t message, uint32_t wParam, uint32_t lParam) override;
    void Loaded() override;

    std::function<void(TTimerHandle& sender)> OnTimer;

protected:
    virtual void TriggerTimer();
    void DestroyWindowHandle() override;

private:
    bool StartTimer();
    void StopTimer();

    int32_t interval_ = 1000;
    bool active_ = false;
};

} // namespace net
