// SPDX-License-Identifier: MIT
// The configurator against simulated multiplexers on the private LAN.
#pragma once
#include "muxsim_process.h"
#include "running_program.h"

#include <algorithm>

// Waits until `refreshes` discovery cycles have finished. A refresh runs
// nested inside the event handler that started it, so once the simulator has
// seen the cycle's "X" and the refresh button is enabled again, it is over.
inline bool WaitForRefreshes(const RunningProgram& program, const MuxSimProcess& sim, std::size_t refreshes,
                             int timeoutMs = 30000)
{
    const bool done = RunLoopUntil(
        [&] { return sim.CountReceived("X") >= refreshes && program.RefreshButton()->isEnabled(); }, timeoutMs);
    // The simulator logs a datagram just after answering it: let the log catch up.
    QTest::qWait(200);
    return done;
}

struct SimulatedFleet {
    explicit SimulatedFleet(const nlohmann::json& fleet) : Sim(fleet) {}
    MuxSimProcess Sim;
};

// The simulator, started with `fleet` (muxsim's JSON config), and the program
// beside it; the window opens with Show().
class SimulatedLanWindow : public SimulatedFleet, public RunningProgram {
public:
    explicit SimulatedLanWindow(const nlohmann::json& fleet, net::InterfaceSelection interfaces = {})
        : SimulatedFleet(fleet),
          RunningProgram(std::move(interfaces))
    {
    }

    // Shows the window and waits until its first refresh is over.
    bool Show()
    {
        Form.show();
        return WaitForRefreshes(1);
    }
    bool WaitForRefreshes(std::size_t refreshes, int timeoutMs = 30000) const
    {
        return ::WaitForRefreshes(*this, Sim, refreshes, timeoutMs);
    }
    // What the simulator received from entry `from` on.
    std::vector<std::string> PayloadsSince(std::size_t from) const
    {
        const std::vector<std::string> payloads = Sim.ReceivedPayloads();
        return {payloads.begin() + long(std::min(from, payloads.size())), payloads.end()};
    }
};
