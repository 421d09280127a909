// SPDX-License-Identifier: MIT
// The configurator against simulated multiplexers on the private LAN.
#pragma once
#include "muxsim_process.h"
#include "running_program.h"

// Waits until `refreshes` discovery cycles have finished. A refresh runs
// nested inside the event handler that started it, so once the simulator has
// seen the cycle's "X" and the refresh button is enabled again, it is over.
inline bool WaitForRefreshes(RunningProgram& program, const MuxSimProcess& sim, std::size_t refreshes,
                             int timeoutMs = 30000)
{
    const bool done = RunLoopUntil(
        [&] { return sim.CountReceived("X") >= refreshes && program.form.bPobierzIP->isEnabled(); }, timeoutMs);
    // The simulator logs a datagram just after answering it: let the log catch up.
    QTest::qWait(200);
    return done;
}
