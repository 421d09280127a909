// SPDX-License-Identifier: MIT
#pragma once
#include "cli/failure_latch.h"
#include "cli/network_failure.h"
#include "cli/progress_line.h"
#include "net/interfaces/interface_selection.h"
#include "protocol/device_session.h"
#include "protocol/socket_transport.h"

namespace cli {

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
    protocol::DiscoveryResult Discover(protocol::DiscoveryDepth depth = protocol::DiscoveryDepth::Full);
    // As the window closing: the closing command to every listed device.
    void Finish();
    // The session itself, for the change use case; ThrowIfFailed after it.
    protocol::DeviceSession& Session() { return session_; }
    void ThrowIfFailed() const { failure_.ThrowIfFailed(); }
    // Ends the operation in progress at its next step; the session stays
    // usable for the closing commands (a second Ctrl-C).
    void Interrupt() { session_.Interrupt(); }
    // For the progress line: change `current` of `total`; 0: no change runs.
    void SetChangeCount(int current, int total) { progress_.SetChangeCount(current, total); }
    void SetVerifying(bool verifying) { progress_.SetVerifying(verifying); }

private:
    ProgressLine progress_;
    FailureLatch failure_;
    protocol::SocketTransport transport_;
    protocol::DeviceSession session_{transport_};
};

} // namespace cli
