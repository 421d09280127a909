// SPDX-License-Identifier: MIT
// Stops on Windows: the console's control events (Ctrl+C, Ctrl+Break, the
// console closed, log-off, shutdown) arrive on a thread of their own; the
// handler posts them to the event loop, which runs during every wait, with
// the numbers of the Linux signals they stand for.
#include "cli/stop_signals.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <windows.h>

#include <atomic>

namespace cli {

namespace {

constexpr int kInterrupt = 2;  // SIGINT
constexpr int kHangUp = 1;     // SIGHUP
constexpr int kTerminate = 15; // SIGTERM
std::function<void(int)> g_deliver;

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    int number = kTerminate;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        number = kInterrupt;
    else if (event == CTRL_CLOSE_EVENT)
        number = kHangUp;
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return FALSE;
    QMetaObject::invokeMethod(
        application,
        [number] {
            if (g_deliver)
                g_deliver(number);
        },
        Qt::QueuedConnection);
    return TRUE;
}

} // namespace

StopSignals::StopSignals(std::function<void()> firstStop, std::function<void()> secondStop)
    : firstStop_(std::move(firstStop)),
      secondStop_(std::move(secondStop))
{
    g_deliver = [this](int number) {
        signal_ = signal_ == 0 ? number : signal_;
        Count();
    };
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

StopSignals::~StopSignals()
{
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    g_deliver = nullptr;
}

void StopSignals::Read() {}

} // namespace cli
