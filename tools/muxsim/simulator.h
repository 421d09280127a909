// SPDX-License-Identifier: MIT
// The simulator process: plays the configured devices on UDP port 65535,
// logs every datagram, floods a target if asked, and runs until SIGTERM or
// SIGINT (or, flooding without devices, until the flood is over).
#pragma once

#include "arp_socket.h"
#include "device_play.h"
#include "event_log.h"
#include "flood.h"
#include "reply_queue.h"
#include "udp_socket.h"

#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

namespace muxsim {

struct SimulatorSettings {
    std::vector<DeviceConfig> Devices;
    std::vector<HostConfig> Hosts;
    bool PlayDevices = false; // devices and hosts
    unsigned short Port = 65535;
    std::string LogPath;   // empty: no log
    std::string ReadyFile; // empty: only "ready" on stdout
    std::uint64_t Seed = 1;
    std::optional<FloodSettings> Flood;
};

class Simulator {
public:
    // Opens the log and the socket; throws std::runtime_error on failure.
    // SIGTERM and SIGINT must already be blocked (see BlockStopSignals).
    explicit Simulator(SimulatorSettings settings);
    ~Simulator();

    // Serves until a stop signal arrives; returns the exit code.
    int Run();

private:
    void HandleDatagram(const Datagram& datagram);
    nlohmann::ordered_json SendReply(std::size_t device, unsigned from, const sockaddr_in& to, int interface,
                                     const std::string& payload);
    void SendDueReplies();
    void EndDueRestarts();
    void LogChange(const StateChange& change);
    void HandleArp(const ArpFrame& frame);
    void AnnounceReady();
    void ReportFlood();
    int PollTimeout() const;
    double Elapsed() const;

    SimulatorSettings settings_;
    Clock::time_point start_;
    EventLog log_;
    std::unique_ptr<UdpSocket> socket_;
    std::unique_ptr<DevicePlay> play_;
    std::unique_ptr<ArpSocket> arp_;
    std::string arpError_; // why ARP is not answered, when it is not
    ReplyQueue delayed_;
    std::vector<std::pair<Clock::time_point, std::size_t>> restarts_; // when each restarting device is back
    std::unique_ptr<Flood> flood_;
    bool floodReported_ = false;
    int signalFd_ = -1;
    std::uint64_t received_ = 0;
    std::uint64_t repliesSent_ = 0;
    std::uint64_t sendErrors_ = 0;
    std::uint64_t receiveErrors_ = 0;
};

// Blocks SIGTERM and SIGINT (after restoring their default action, which a
// parent may have set to "ignore") so that they arrive through a signalfd.
void BlockStopSignals();

} // namespace muxsim
