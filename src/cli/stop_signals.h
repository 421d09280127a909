// SPDX-License-Identifier: MIT
#pragma once
#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace cli {

// SIGINT, SIGTERM and SIGHUP during a run: the first asks the run to stop
// after the device being changed (and calls firstStop), the second to give
// that device up at once (secondStop). The handler only writes the signal's
// number to a pipe; the event loop, which runs during every wait, reads it.
class StopSignals {
public:
    StopSignals(std::function<void()> firstStop, std::function<void()> secondStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool StopRequested() const { return signal_ != 0; }
    // The exit status the signal asks for: 128 + its number (SIGINT 130,
    // SIGTERM 143, SIGHUP 129).
    int ExitStatus() const { return 128 + signal_; }

private:
    void Read();
    void Count()
    {
        ++count_;
        if (count_ == 1 && firstStop_)
            firstStop_();
        else if (count_ == 2 && secondStop_)
            secondStop_();
    }

    std::function<void()> firstStop_;
    std::function<void()> secondStop_;
    std::unique_ptr<QSocketNotifier> notifier_;
    int signal_ = 0;
    int count_ = 0;
};

} // namespace cli
