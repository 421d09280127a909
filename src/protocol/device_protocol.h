#pragma once
#include "protocol/device_list_view.h"
#include "protocol/numer_ip.h"
#include "protocol/operator_messages.h"
#include "protocol/reply_senders.h"
#include "protocol/status_codes.h"

#include <cstdint>
#include <string>

class QTimer;

namespace net {
class TUDPSocket;
}

namespace protocol {

inline constexpr uint16_t kDevicePort = 65535;
inline constexpr const char* kDevicePortText = "65535";
inline constexpr const char* kCommandLocalPort = "1153";
inline constexpr const char* kDevicePassword = "QOVUT";
inline constexpr int kReplyTimeoutMs = 2000;
inline constexpr int kCollectionWindowMs = 2000;
inline constexpr int kSelectionPauseMs = 500;

// The device protocol of this process: the one request state, the device
// table, and every exchange with the multiplexers. Owned by main and alive
// for the whole run. One request at a time; every wait runs the Qt event
// loop, so the socket and timer handlers run nested inside it.
//
// The main window hands it the command socket and the reply timer it owns,
// and binds their events:
//   socket.OnDataAvailable = [&](net::AUDPSocket&) { p.GniazdoTransmisjiRozkazowDoModuluDataAvailable(); };
//   QObject::connect(&timer, &QTimer::timeout, [&] { p.TimeoutTimer(); });
class DeviceProtocol {
public:
    DeviceProtocol(net::TUDPSocket& commandSocket, QTimer& replyTimer, DeviceListView& list,
                   OperatorMessages& messages);
    DeviceProtocol(const DeviceProtocol&) = delete;
    DeviceProtocol& operator=(const DeviceProtocol&) = delete;

    // Request/reply engine.
    int SendCommand(const std::string& command, uint8_t tries);
    void DispatchReply(const std::string& text, const std::string& sender, uint8_t kind);
    void TimeoutTimer();
    void GniazdoTransmisjiRozkazowDoModuluDataAvailable();

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

private:
    enum class SendErrors { Propagate, Drop };

    void Broadcast(const std::string& command, SendErrors errors);
    // One try of a request: set the state, broadcast, arm the reply timer and
    // wait until the request is settled.
    void Request(const std::string& command, uint8_t kind, SendErrors errors);
    void ArmReplyTimer();
    void TakeWaitingDatagrams();
    void WaitWhilePending();
    void WaitFor(uint32_t milliseconds);
    static void BlockingPause(int milliseconds);
    void ShowFailure(int status);

    net::TUDPSocket& socket_;
    QTimer& timeout_;
    DeviceListView& list_;
    OperatorMessages& messages_;

    uint8_t replyStatus_ = kStatusOk;
    uint8_t expectedReply_ = kReplyNone;
    std::string lastReply_;
    DeviceTable devices_;
    ReplySenders replySenders_;

    uint32_t timerArmedAt_ = 0;
    bool abandoned_ = false;
};

} // namespace protocol
