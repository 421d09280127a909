// SPDX-License-Identifier: MIT
#pragma once
#include "protocol/device_row.h"
#include "protocol/status_codes.h"
#include "protocol/transport.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace protocol {

// A device that answered the discovery but whose read failed: the status of
// the request that failed. Listed: its mask or DN could not be read, it is
// still a row; not listed: its selection or login failed.
struct UnreadDevice {
    std::string Mac;
    std::string Address;
    std::string Interface;
    protocol::Status Status = kStatusNoReply;
    bool Listed = false;
};

// An interface the discovery broadcast through, and how many devices answered there.
struct SearchedInterface {
    std::string Name;
    std::string Address;
    int Replies = 0;
};

struct DiscoveryResult {
    std::vector<DeviceRow> Rows; // in list order
    std::vector<UnreadDevice> Unread;
    std::vector<SearchedInterface> Searched; // empty: the routing table chose
    bool Finished = false;                   // false: abandoned before its end
};

enum class DiscoveryDepth {
    Full,  // "X", the collection window, then every device read (mask, DN)
    Quick, // "X" and the collection window only: masks unknown, nobody selected
};

// What a quick discovery waits for: once every device of Awaited has
// answered from its address, and Least has passed, it ends before its
// collection window does. Nothing awaited: the whole window.
struct EarlyEnd {
    struct Answer {
        std::string Mac; // as the device sends it
        std::string Address;
    };
    std::vector<Answer> Awaited;
    Milliseconds Least{0};
};

// What one change did, step by step.
struct ChangeOutcome {
    enum class Step { None, Select, Login, Assign, Mask };
    protocol::Status Status = kStatusOk; // 0, or the status of the step that failed
    Step FailedStep = Step::None;
    bool AddressTaken = false;  // the assign step passed (accepted, or no reply)
    bool MaskTaken = false;     // the mask step was accepted
    bool InterfaceGone = false; // the device's interface went away: nothing more was sent
    // A second device answered a command naming the MAC ("W", "A") from this
    // address: the change stopped before FailedStep (status kStatusNotSent)
    // and its session was closed. Empty: none answered.
    std::string MacAlsoAt{};
    bool Ok() const { return Status == kStatusOk; }
};

// The device engine's face: one request at a time over a transport, the
// table of found devices, discovery, and the change of one device. Every
// wait runs the transport's loop, so the program's other events go on
// meanwhile.
//
// A failure of the transport ends all work for good (as Abandon does) and is
// passed on to the failure handler with its number and text.
class DeviceEngine;

class DeviceSession {
public:
    using ProgressHandler = std::function<void(const Progress&)>;

    explicit DeviceSession(Transport& transport);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    void SetProgressHandler(ProgressHandler handler);
    void SetFailureHandler(Transport::FailureHandler handler);

    // One discovery cycle. The rows are sorted as the list shows them.
    DiscoveryResult Discover(DiscoveryDepth depth = DiscoveryDepth::Full, const EarlyEnd& end = {});
    // Reads the mask and DN of these devices of the last discovery (a quick
    // one lists them unread): Rows holds them as read, Unread the failures
    // (not listed: the selection or login failed).
    DiscoveryResult ReadDevices(const std::vector<DeviceRow>& devices);
    // Gives the listed device `device` a new address and mask.
    ChangeOutcome Change(const DeviceRow& device, const std::string& newAddress, const std::string& newMask);
    // The closing command to every device of the table, then a moment for it to
    // leave. Nothing after an Abandon.
    void Close();
    // Runs the transport's loop for `duration` (the pause a changed device is
    // given), or until the work is abandoned or interrupted.
    void Pause(Milliseconds duration);
    // Ends all work for good: every wait returns at once, nothing more is
    // sent, an operation in progress returns a failure.
    void Abandon();
    bool Abandoned() const;
    // Ends the operation in progress at its next step, as Abandon does, but
    // the session stays usable: the next operation runs (a first Ctrl-C
    // lets a change end; a second one gives it up, then the closing
    // commands still go out).
    void Interrupt();

private:
    std::unique_ptr<DeviceEngine> engine_;
};

} // namespace protocol
