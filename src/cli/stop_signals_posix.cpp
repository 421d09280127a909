// SPDX-License-Identifier: MIT
#include "cli/stop_signals.h"

#include <array>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace cli {

namespace {

int g_signalPipe[2] = {-1, -1};
constexpr std::array<int, 3> kStopSignals = {SIGINT, SIGTERM, SIGHUP};

void OnStopSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

StopSignals::StopSignals(std::function<void()> firstStop, std::function<void()> secondStop)
    : firstStop_(std::move(firstStop)),
      secondStop_(std::move(secondStop))
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // no pipe: signals keep their default action
    notifier_ = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { Read(); });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kStopSignals)
        sigaction(number, &action, nullptr);
}

StopSignals::~StopSignals()
{
    for (const int number : kStopSignals)
        std::signal(number, SIG_DFL);
    notifier_.reset();
    for (int& end : g_signalPipe) {
        if (end != -1)
            ::close(end);
        end = -1;
    }
}

void StopSignals::Read()
{
    unsigned char byte = 0;
    while (::read(g_signalPipe[0], &byte, 1) == 1) {
        if (signal_ == 0)
            signal_ = byte;
        Count();
    }
}

} // namespace cli
