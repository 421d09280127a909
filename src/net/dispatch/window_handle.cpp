// SPDX-License-Identifier: MIT
#include "net/dispatch/window_handle.h"

#include "net/dispatch/endpoint_router.h"
#include "net/errors/socket_errors.h"
#include "net/socket_layer.h"

#include <QCoreApplication>
#include <QThread>
#include <cerrno>

namespace net {

TWindowHandle::TWindowHandle(QObject* owner) : TComponent(owner) {}

TWindowHandle::~TWindowHandle() { TWindowHandle::DestroyWindowHandle(); }

EndpointHandle TWindowHandle::GetWindowHandle()
{
    if (handle_ == 0)
        handle_ = AllocateWindowHandle();
    return handle_;
}

EndpointHandle TWindowHandle::AllocateWindowHandle()
{
    if (!SocketLayer::Exists())
        throw EWindowHandle("Window class registration failed: Windows error #" + std::to_string(ENXIO));
    // Endpoints live on the loop's thread; another thread cannot have one.
    auto* app = QCoreApplication::instance();
    if (!app || app->thread() != QThread::currentThread())
        throw EWindowHandle("Window handle allocation failed: Windows error #" + std::to_string(EPERM));
    return SocketLayer::Instance().Router().Attach(*this);
}

void TWindowHandle::DestroyWindowHandle()
{
    if (handle_ == 0)
        return;
    if (SocketLayer::Exists())
        SocketLayer::Instance().Router().Detach(handle_);
    handle_ = 0;
}

void TWindowHandle::TrapErrors(const std::function<void()>& work)
{
    try {
        work();
    } catch (const Exception& error) {
        if (OnException)
            OnException(*this, error);
    }
}

int32_t TWindowHandle::MessageProc(uint32_t message, uint32_t wParam, uint32_t lParam)
{
    int32_t result = 0;
    TrapErrors([&] {
        bool handled = false;
        if (OnMessage)
            result = OnMessage(message, wParam, lParam, handled);
        if (!handled)
            result = 0; // default handling: nothing to do, answer 0
    });
    return result;
}

void TWindowHandle::Terminate() { terminated_ = true; }

TTimerHandle::TTimerHandle(QObject* owner) : TWindowHandle(owner) {}

TTimerHandle::~TTimerHandle() { TTimerHandle::DestroyWindowHandle(); }

void TTimerHandle::SetTimerInterval(int32_t intervalMs)
{
    if (intervalMs == interval_)
        return;
    interval_ = intervalMs;
    if (active_ && !IsLoading() && !IsDesigning()) {
        StopTimer();
        active_ = StartTimer();
    }
}

bool TTimerHandle::StartTimer()
{
    if (interval_ <= 0)
        return false;
    return SocketLayer::Instance().Router().StartTimer(GetWindowHandle(), kTimerId, interval_);
}

void TTimerHandle::StopTimer()
{
    if (WindowHandle() != 0 && SocketLayer::Exists())
        SocketLayer::Instance().Router().StopTimer(WindowHandle(), kTimerId);
}

void TTimerHandle::SetTimerActive(bool value)
{
    if (value == active_)
        return;
    if (IsLoading() || IsDesigning()) {
        active_ = value;
        return;
    }
    if (!value) {
        StopTimer();
        active_ = false;
        return;
    }
    active_ = StartTimer();
}

void TTimerHandle::Loaded()
{
    TWindowHandle::Loaded();
    if (!IsDesigning() && active_)
        active_ = StartTimer();
}

void TTimerHandle::TriggerTimer()
{
    if (OnTimer)
        OnTimer(*this);
}

int32_t TTimerHandle::MessageProc(uint32_t message, uint32_t wParam, uint32_t lParam)
{
    if (message == kMsgTimer) {
        TrapErrors([this] { TriggerTimer(); });
        return 0;
    }
    return TWindowHandle::MessageProc(message, wParam, lParam);
}

void TTimerHandle::DestroyWindowHandle()
{
    if (!IsDesigning() && WindowHandle() != 0 && active_) {
        StopTimer();
        active_ = false;
    }
    TWindowHandle::DestroyWindowHandle();
}

} // namespace net
