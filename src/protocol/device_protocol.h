// SPDX-License-Identifier: MIT
#pragma once
#include "net/interfaces/interface_selection.h"
#include "protocol/device_list_view.h"
#include "protocol/numer_ip.h"
#include "protocol/operator_messages.h"
#include "protocol/protocol_constants.h"
#include "protocol/reply_senders.h"
#include "protocol/status_codes.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class QTimer;

namespace net {
class TUDPSocket;
}

namespace protocol {

// The device protocol of this process: the one request state, the device
// table, and every exchange with the multiplexers. Owned by main and alive
// for the whole run. One request at a time; every wait runs the Qt event
// loop, so the socket and timer handlers run nested inside it.
//
// Its owner (the main window, the command line) gives it the command socket
// and the reply timer, which must outlive it; the protocol configures both
// and binds their events to its handlers until it is destroyed.
class DeviceProtocol {
public:
    DeviceProtocol(net::TUDPSocket& commandSocket, QTimer& replyTimer, DeviceListView& list,
                   OperatorMessages& messages);
    ~DeviceProtocol();
    DeviceProtocol(const DeviceProtocol&) = delete;
    DeviceProtocol& operator=(const DeviceProtocol&) = delete;

    // Request/reply engine.
    int SendCommand(const std::string& command, uint8_t tries);
    void DispatchReply(const std::string& text, const std::string& sender, uint8_t kind);
    void TimeoutTimer();
    void GniazdoTransmisjiRozkazowDoModuluDataAvailable();

    // The interfaces discovery may use (every usable one unless restricted).
    void SetInterfaceSelection(net::InterfaceSelection selection) { interfaces_ = std::move(selection); }
    const net::InterfaceSelection& Interfaces() const { return interfaces_; }

    // Discovery and the device table.
    void StartDiscovery();
    bool ReadAllDevices();
    int ReadDevice(const std::string& mac, uint8_t tries, NumerIP& slot);
    void RecordDevice(const std::string& text, const std::string& sender);
    bool IsKnownMac(const std::string& text) const;
    void ListDevices();

    // Reconfiguration of one device.
    int ChangeDevice(const std::string& currentAddress, const std::string& newAddress, const std::string& mac,
                     const std::string& newMask);
    int AssignAddress(const std::string& newAddress, const std::string& mac, uint8_t tries);

    // The closing command, once for every listed device, then a 1 ms pause.
    // A failed send is raised to the caller.
    void SendClosingCommands();

    // Ends all protocol work for good (the window is closing, or the socket
    // failed fatally): every wait returns at once, nothing more is sent,
    // dispatched or shown, and an operation in progress returns a failure.
    void Abandon();
    bool Abandoned() const { return abandoned_; }

    uint8_t ReplyStatus() const { return replyStatus_; }
    uint8_t ExpectedReply() const { return expectedReply_; }
    const std::string& LastReply() const { return lastReply_; }
    DeviceTable& Devices() { return devices_; }
    const DeviceTable& Devices() const { return devices_; }

    // The slot shown by list row `row` (counted from 0): the (row+1)-th slot
    // with an address. 0 when there is no such row.
    int SlotOfRow(int row) const;
    // The list row of a listed slot, with what its picture stands for.
    DeviceRow RowOfSlot(int number) const;

private:
    enum class SendErrors { Propagate, Drop };

    // Through the interface of the device talked to (deviceInterface_).
    void Broadcast(const std::string& command, SendErrors errors);
    // "X" once through every selected usable interface; through the routing
    // table when the workstation has none and no restriction was given.
    void BroadcastDiscovery();
    void RememberInterface(NumerIP& slot) const;
    uint32_t InterfaceOfDevice(const std::string& address, const std::string& mac) const;
    // One try of a request: set the state, broadcast, arm the reply timer and
    // wait until the request is settled.
    void Request(const std::string& command, uint8_t kind, SendErrors errors);
    void ArmReplyTimer();
    void TakeWaitingDatagrams();
    void WaitWhilePending();
    void WaitFor(int milliseconds);
    static void BlockingPause(int milliseconds);
    void ShowFailure(int status);
    int ChangeSelectedDevice(const std::string& currentAddress, const std::string& newAddress, const std::string& mac,
                             const std::string& newMask);
    void ShowProgress(Progress::Activity what, int current = 0, int total = 0, const std::string& device = {});

    net::TUDPSocket& socket_;
    QTimer& timeout_;
    DeviceListView& list_;
    OperatorMessages& messages_;

    uint8_t replyStatus_ = kStatusOk;
    uint8_t expectedReply_ = kReplyNone;
    std::string lastReply_;
    DeviceTable devices_;
    ReplySenders replySenders_;
    net::InterfaceSelection interfaces_;
    std::vector<uint32_t> discoveryInterfaces_; // what the last "X" went through
    uint32_t deviceInterface_ = 0;              // where per-device commands leave
    uint32_t arrivalInterface_ = 0;             // of the datagram being dispatched

    QMetaObject::Connection timerConnection_;
    QDeadlineTimer replyDeadline_;
    bool abandoned_ = false;
};

} // namespace protocol
