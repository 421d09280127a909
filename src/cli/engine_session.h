// SPDX-License-Identifier: MIT
#pragma once
#include "net/interfaces/interface_selection.h"
#include "protocol/device_session.h"
#include "protocol/socket_transport.h"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// A device that answered the discovery but whose read failed, with the
// status of the failing request.
struct ReadFailure {
    std::string Address;
    protocol::Status Status = protocol::kStatusOk;
    bool Listed = false; // still a row (its mask could not be read)
    std::string Interface;
};

struct Discovery {
    std::vector<protocol::DeviceRow> Listed;
    // By MAC: every device read in the cycle whose read did not return 0.
    std::map<std::string, ReadFailure> FailedReads;
    std::vector<protocol::SearchedInterface> Searched;
};

// The command socket failed: what the window's "UWAGA" box would say.
class NetworkFailure : public std::runtime_error {
public:
    NetworkFailure(int32_t code, const std::string& description);
    int32_t Code;
    std::string Description;
};

// The device session on the command socket, as the window has it, with the
// command line's progress on a terminal. Every operation throws
// NetworkFailure once the command socket has failed; nothing is sent after
// that.
class EngineSession {
public:
    EngineSession(bool showProgress, const net::InterfaceSelection& interfaces);
    ~EngineSession();
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    // One discovery cycle, as the window's refresh runs it (Quick: without
    // the per-device reads).
    Discovery Discover(protocol::DiscoveryDepth depth = protocol::DiscoveryDepth::Full);
    // As the window closing: the closing command to every listed device.
    void Finish();
    // The session itself, for the change use case; ThrowIfFailed after it.
    protocol::DeviceSession& Session() { return session_; }
    void ThrowIfFailed() const;
    // Ends the operation in progress at its next step; the session stays
    // usable for the closing commands (a second Ctrl-C).
    void Interrupt() { session_.Interrupt(); }
    // For the progress line: change `current` of `total`; 0: no change runs.
    void SetChangeCount(int current, int total)
    {
        changeCurrent_ = current;
        changeTotal_ = total;
    }
    void SetVerifying(bool verifying) { verifying_ = verifying; }

private:
    void ShowProgress(const protocol::Progress& progress);
    void OnFailure(int32_t code, const std::string& description);

    bool showProgress_;
    protocol::SocketTransport transport_;
    protocol::DeviceSession session_{transport_};
    int changeCurrent_ = 0;
    int changeTotal_ = 0;
    bool verifying_ = false;
    bool failed_ = false;
    int32_t errorCode_ = 0;
    std::string errorDescription_;
};

} // namespace cli
