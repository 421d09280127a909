// SPDX-License-Identifier: MIT
#pragma once
#include "protocol/device_row.h"
#include "protocol/numer_ip.h"
#include "protocol/reply_senders.h"
#include "protocol/status_codes.h"
#include "protocol/transport.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace protocol {

// A device that answered the discovery but whose read failed: the status of
// the request that failed. Listed: its mask or DN could not be read, it is
// still a row; not listed: its selection or login failed.
struct UnreadDevice {
    std::string Mac;
    std::string Address;
    std::string Interface;
    int Status = kStatusNoReply;
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

// What one change did, step by step.
struct ChangeOutcome {
    enum class Step { None, Select, Login, Assign, Mask };
    int Status = kStatusOk; // 0, or the status of the step that failed
    Step FailedStep = Step::None;
    bool AddressTaken = false;  // the assign step passed (accepted, or no reply)
    bool MaskTaken = false;     // the mask step was accepted
    bool InterfaceGone = false; // the device's interface went away: nothing more was sent
    bool Ok() const { return Status == kStatusOk; }
};

// The device engine: one request at a time over a transport, the table of
// found devices, discovery, and the change of one device. Every wait runs the
// transport's loop, so the program's other events go on meanwhile.
//
// A failure of the transport ends all work for good (as Abandon does) and is
// passed on to the failure handler with its number and text.
class DeviceSession {
public:
    using ProgressHandler = std::function<void(const Progress&)>;

    explicit DeviceSession(Transport& transport);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    void SetProgressHandler(ProgressHandler handler) { progress_ = std::move(handler); }
    void SetFailureHandler(Transport::FailureHandler handler) { failure_ = std::move(handler); }

    // One discovery cycle. The rows are sorted as the list shows them.
    DiscoveryResult Discover(DiscoveryDepth depth = DiscoveryDepth::Full);
    // Gives the listed device `device` a new address and mask.
    ChangeOutcome Change(const DeviceRow& device, const std::string& newAddress, const std::string& newMask);
    // The closing command to every device of the table, then a moment for it to
    // leave. Nothing after an Abandon.
    void Close();
    // Ends all work for good: every wait returns at once, nothing more is
    // sent, an operation in progress returns a failure.
    void Abandon();
    bool Abandoned() const { return abandoned_; }
    // Ends the operation in progress at its next step, as Abandon does, but
    // the session stays usable: the next operation runs (a first Ctrl-C
    // lets a change end; a second one gives it up, then the closing
    // commands still go out).
    void Interrupt();

private:
    // Request/reply engine.
    int SendCommand(const std::string& command, uint8_t tries);
    void Request(const std::string& command, uint8_t kind);
    void DispatchReply(const Datagram& datagram);
    void TimeoutTimer();
    void WaitWhilePending();
    void WaitFor(Milliseconds duration);
    void SelectionPause();
    bool Send(const std::string& command, Transport::PortForm form = Transport::PortForm::Number);
    void OnTransportFailure(int32_t code, const std::string& description);

    // Discovery and the device table.
    void StartDiscovery();
    void BroadcastDiscovery();
    bool ReadAllDevices(std::vector<UnreadDevice>& unread);
    int ReadDevice(const std::string& mac, uint8_t tries, NumerIP& slot);
    void RecordDevice(const Datagram& datagram);
    void ListDevices();
    std::vector<DeviceRow> Rows() const;
    DeviceRow RowOfSlot(int number) const;
    NumerIP* SlotOf(const DeviceRow& device);
    bool ArrivedThroughDiscoveryRoute(uint32_t interface) const;

    // Reconfiguration of one device.
    ChangeOutcome ChangeDevice(const std::string& currentAddress, const std::string& newAddress, const std::string& mac,
                               const std::string& newMask);
    int AssignAddress(const std::string& newAddress, const std::string& mac, uint8_t tries);

    void ShowProgress(Progress::Activity what, int current = 0, int total = 0, const std::string& device = {});

    Transport& transport_;
    ProgressHandler progress_;
    Transport::FailureHandler failure_;

    uint8_t replyStatus_ = kStatusOk;
    uint8_t expectedReply_ = kReplyNone;
    std::string lastReply_;
    TimePoint replyDeadline_{};
    bool ignoreDatagrams_ = false; // the selection pause: nothing is a reply
    DeviceTable devices_;
    // The MACs of this cycle's slots, which fill from slot 1 in the order
    // their first replies came.
    std::unordered_set<std::string> recordedMacs_;
    ReplySenders replySenders_;
    Transport::DiscoveryRoutes discoveryRoutes_; // what the last "X" went through
    std::vector<SearchedInterface> searched_;
    Route deviceRoute_;            // where per-device commands leave
    bool deviceRouteGone_ = false; // a per-device send found its interface gone
    bool abandoned_ = false;
    bool interrupted_ = false; // the operation in progress is to end
    bool Stopping() const { return abandoned_ || interrupted_; }
    // Each public operation starts afresh after an Interrupt.
    void BeginOperation() { interrupted_ = abandoned_; }
};

} // namespace protocol
