// SPDX-License-Identifier: MIT
#include "net/dispatch/main_thread_channel.h"

#include <QCoreApplication>

namespace net {

CallEvent::CallEvent(QEvent::Type type, std::function<void()> call, std::function<void()> finally)
    : QEvent(type),
      call_(std::move(call)),
      finally_(std::move(finally))
{
}

CallEvent::~CallEvent()
{
    if (finally_)
        finally_();
}

void CallEvent::Run()
{
    auto call = std::move(call_);
    call_ = nullptr;
    if (call)
        call();
}

MainThreadChannel::MainThreadChannel(QObject* receiver, QEvent::Type type) : receiver_(receiver), type_(type) {}

bool MainThreadChannel::Post(std::function<void()> call, std::function<void()> finally)
{
    std::lock_guard guard(lock_);
    if (!receiver_)
        return false;
    QCoreApplication::postEvent(receiver_, new CallEvent(type_, std::move(call), std::move(finally)));
    return true;
}

void MainThreadChannel::Shut()
{
    std::lock_guard guard(lock_);
    receiver_ = nullptr;
}

} // namespace net
