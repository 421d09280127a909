// SPDX-License-Identifier: MIT
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace protocol {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Milliseconds = std::chrono::milliseconds;

// One datagram that arrived, with its sender as dotted text and the index of
// the interface it came in through (0: not known).
struct Datagram {
    std::string Text;
    std::string Sender;
    uint32_t Interface = 0;
};

// Where a broadcast leaves: an interface by index, looked up again by name
// when the name is given (interfaces come and go); both empty: wherever the
// routing table sends broadcasts.
struct Route {
    uint32_t Index = 0;
    std::string Name;
    std::string Address; // the interface's own IPv4 address, for reports
};

// How a send ended.
enum class SendResult {
    Sent,
    InterfaceGone, // the route's interface no longer exists or is down: nothing left
    Failed,        // the socket failed; the failure has gone to the failure handler
};

// All the device engine needs of the network and of time. The program's
// transport is the command socket on Qt's event loop; tests and the fuzz
// target give the engine one that plays the devices with a clock of its own.
class Transport {
public:
    using Receiver = std::function<void(const Datagram&)>;
    // A failure of the socket that ends all device work: its number and text.
    using FailureHandler = std::function<void(int32_t code, const std::string& description)>;

    enum class PortForm { Number, Text }; // how the device port is handed to the socket

    virtual ~Transport() = default;

    // Who gets the datagrams that arrive, and who hears of a failure.
    virtual void SetReceiver(Receiver receiver) = 0;
    virtual void SetFailureHandler(FailureHandler handler) = 0;

    // The discovery's local port (1153) before its first broadcast.
    virtual void UseDiscoveryPort() = 0;
    // Broadcasts `command` to the devices' port through `route`.
    virtual SendResult Broadcast(const Route& route, const std::string& command, PortForm form) = 0;
    // The interfaces discovery broadcasts through. Restricted: only those the
    // operator chose, and replies through any other are ignored. None and
    // not restricted: the routing table chooses.
    struct DiscoveryRoutes {
        std::vector<Route> Routes;
        bool Restricted = false;
    };
    virtual DiscoveryRoutes RoutesForDiscovery() = 0;
    // The name of the interface with this index, as discovery saw it.
    virtual std::string InterfaceName(uint32_t index) = 0;

    virtual TimePoint Now() const = 0;
    // Delivers datagrams (and runs whatever else the loop runs) until `done`
    // holds or `deadline` has passed. Returns whether `done` ended it.
    virtual bool RunUntil(TimePoint deadline, const std::function<bool()>& done) = 0;
    // Delivers the datagrams that already wait, and nothing else.
    virtual void DeliverWaiting() = 0;
    // Makes a RunUntil in progress look at its condition again.
    virtual void WakeUp() = 0;
};

} // namespace protocol
