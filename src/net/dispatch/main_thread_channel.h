// SPDX-License-Identifier: MIT
// Lets worker threads run a call on the main thread. Shared by the socket
// layer and its workers; once the layer shuts the channel, posts fail and
// the workers just end.
#pragma once

#include <QEvent>
#include <atomic>
#include <functional>
#include <mutex>

class QObject;

namespace net {

// A posted call. `finally` runs when the event is gone: after the call, or
// when the event is discarded undelivered, so a waiting worker always wakes.
class CallEvent final : public QEvent {
public:
    CallEvent(QEvent::Type type, std::function<void()> call, std::function<void()> finally);
    ~CallEvent() override;
    void Run();

private:
    std::function<void()> call_;
    std::function<void()> finally_;
};

class MainThreadChannel {
public:
    MainThreadChannel(QObject* receiver, QEvent::Type type);

    // Thread-safe. False (and `finally` not kept) when the channel is shut.
    bool Post(std::function<void()> call, std::function<void()> finally);
    void Shut();

    // Workers count themselves in and out, so the layer can let them end.
    void WorkerStarted() { ++workers_; }
    void WorkerEnded() { --workers_; }
    int RunningWorkers() const { return workers_.load(); }

private:
    std::mutex lock_;
    QObject* receiver_;
    QEvent::Type type_;
    std::atomic<int> workers_{0};
};

} // namespace net
