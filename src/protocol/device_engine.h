// SPDX-License-Identifier: MIT
// The engine behind protocol::DeviceSession: the request state, the device
// table and the operations on them. Only the protocol's own sources see it.
#pragma once
#include "protocol/device_session.h"
#include "protocol/numer_ip.h"
#include "protocol/reply_senders.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace protocol {

// Behind DeviceSession: one request at a time over a transport, the table of
// found devices, discovery, and the change of one device. Every wait runs the
// transport's loop, so the program's other events go on meanwhile.
//
// A failure of the transport ends all work for good (as Abandon does) and is
// passed on to the failure handler with its number and text.
class DeviceEngine {
public:
    using ProgressHandler = std::function<void(const Progress&)>;

    explicit DeviceEngine(Transport& transport);
    ~DeviceEngine();
    DeviceEngine(const DeviceEngine&) = delete;
    DeviceEngine& operator=(const DeviceEngine&) = delete;

    void SetProgressHandler(ProgressHandler handler) { progress_ = std::move(handler); }
    void SetFailureHandler(Transport::FailureHandler handler) { failure_ = std::move(handler); }

    // One discovery cycle. The rows are sorted as the list shows them.
    DiscoveryResult Discover(DiscoveryDepth depth = DiscoveryDepth::Full, const EarlyEnd& end = {});
    // Reads the mask and DN of these devices of the last discovery (a quick
    // one lists them unread): Rows holds them as read, Unread the failures.
    DiscoveryResult ReadDevices(const std::vector<DeviceRow>& devices);
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
    // Runs the transport's loop for `duration`, or until the work is abandoned or interrupted.
    void Pause(Milliseconds duration);

private:
    // Request/reply engine.
    Status SendCommand(const std::string& command, uint8_t tries);
    void Request(const std::string& command, uint8_t kind);
    void DispatchReply(const Datagram& datagram);
    void TimeoutTimer();
    void WaitWhilePending();
    void WaitFor(Milliseconds duration);
    void SelectionPause();
    void NoteSecondDevice(const Datagram& datagram);
    bool Send(const std::string& command, Transport::PortForm form = Transport::PortForm::Number);
    void OnTransportFailure(int32_t code, const std::string& description);

    // Discovery and the device table.
    void StartDiscovery();
    void BroadcastDiscovery();
    bool ReadAllDevices(std::vector<UnreadDevice>& unread);
    Status ReadDevice(const std::string& mac, uint8_t tries, NumerIP& slot);
    void RecordDevice(const Datagram& datagram);
    void CollectReplies(const EarlyEnd& end);
    bool Answered(const std::vector<EarlyEnd::Answer>& awaited) const;
    void MarkMacsInTwoPlaces();
    void ListDevices();
    std::vector<DeviceRow> Rows() const;
    // How many listed devices answer from each address.
    std::map<std::string, int> DevicesByAddress() const;
    DeviceRow RowOf(const NumerIP& slot, const std::map<std::string, int>& devicesAt) const;
    NumerIP* SlotOf(const DeviceRow& device);
    bool ArrivedThroughDiscoveryRoute(uint32_t interface) const;

    // Reconfiguration of one device.
    ChangeOutcome ChangeDevice(const std::string& currentAddress, const std::string& newAddress, const std::string& mac,
                               const std::string& newMask);
    Status AssignAddress(const std::string& newAddress, const std::string& mac, uint8_t tries);
    void CloseChangedDevice();

    void ShowProgress(Progress::Activity what, int current = 0, int total = 0, const std::string& device = {});

    Transport& transport_;
    ProgressHandler progress_;
    Transport::FailureHandler failure_;

    Status replyStatus_ = kStatusOk;
    uint8_t expectedReply_ = kReplyNone;
    std::string lastReply_;
    TimePoint replyDeadline_{};
    bool ignoreDatagrams_ = false; // the selection pause: nothing is a reply
    // The last command sent selects by MAC ("W", "A"): a bare reply letter
    // from another address is a second device with that MAC, kept in
    // macAlsoAt_ for the read or change in hand.
    bool byMacInFlight_ = false;
    std::string macAlsoAt_;
    // The addresses of the device whose change was closed last: its
    // acknowledgement of the "E" may come during the next device's "W".
    std::vector<std::string> closedAt_;
    DeviceTable devices_;
    // The MACs of this cycle's slots, which fill from slot 1 in the order
    // their first replies came.
    std::unordered_map<std::string, int> recordedMacs_; // MAC text -> slot number
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
