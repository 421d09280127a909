// SPDX-License-Identifier: MIT
// Running Qt's event loop from a test while it waits for something.
#pragma once
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>

// Runs the loop for `ms` milliseconds. Passes of processEvents, not a nested
// QEventLoop: a test whose program has called QCoreApplication::exit leaves
// every later exec() returning at once.
inline void RunLoopFor(int ms)
{
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    while (!deadline.hasExpired()) {
        if (!wakeUp.isActive())
            wakeUp.start(static_cast<int>(deadline.remainingTime()));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// Runs the loop until the condition holds; false on timeout. The condition
// is polled, so it may watch something outside the loop (a file, a process).
inline bool RunLoopUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        RunLoopFor(5);
    }
    return true;
}
