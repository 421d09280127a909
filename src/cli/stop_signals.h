// SPDX-License-Identifier: MIT
#pragma once
#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace cli {

// SIGINT, SIGTERM and SIGHUP during a run: the first asks the run to stop
// after the device being changed, the second to give that device up at once.
// The handler only writes the signal's number to a pipe; the event loop,
// which runs during every wait, reads it.
class StopSignals {
public:
    explicit StopSignals(std::function<void()> abandonNow);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool StopRequested() const { return signal_ != 0; }
    // The exit status the signal asks for: 128 + its number (SIGINT 130,
    // SIGTERM 143, SIGHUP 129).
    int ExitStatus() const { return 128 + signal_; }

private:
    void Read();

    std::function<void()> abandonNow_;
    std::unique_ptr<QSocketNotifier> notifier_;
    int signal_ = 0;
    int count_ = 0;
};

} // namespace cli
