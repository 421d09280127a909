// SPDX-License-Identifier: MIT
#pragma once
#include "net/socket/udp_socket.h"
#include "protocol/device_list_view.h"
#include "protocol/device_protocol.h"
#include "protocol/operator_messages.h"

#include <QTimer>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// One listed device, in the window's row order.
struct FoundDevice {
    std::string address;
    std::string mask;
    std::string mac;
    std::string port;
    bool flagE = false;
    bool readOk = false;
    bool addressShared = false;
};

// A device that answered the discovery but whose read failed, with the
// status of the failing request (0 when the read succeeded).
struct ReadFailure {
    std::string address;
    int status = 0;
};

struct Discovery {
    std::vector<FoundDevice> listed;
    // By MAC: every device read in the cycle whose read did not return 0.
    std::map<std::string, ReadFailure> failedReads;
    // Answered but not listed: the selection or the login was refused.
    bool Unlisted(const std::string& mac) const;
    const FoundDevice* Listed(const std::string& mac) const;
};

// The command socket failed: what the window's "UWAGA" box would say.
class NetworkFailure : public std::runtime_error {
public:
    NetworkFailure(int32_t code, const std::string& description);
    int32_t code;
    std::string description;
};

// The device protocol put together as the window puts it, with the command
// line as its list and its operator: the same socket, reply timer and calls
// in the same order. Every operation throws NetworkFailure once the command
// socket has failed; nothing is sent after that.
class EngineSession : private protocol::DeviceListView, private protocol::OperatorMessages {
public:
    EngineSession(bool showProgress, const net::InterfaceSelection& interfaces);
    ~EngineSession() override;
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    // One discovery cycle, as the window's refresh runs it.
    Discovery Discover();
    // The change "Ustaw" makes, without its checks. 0, or the failing status
    // with the text the window would show in `refusal`.
    int Change(const FoundDevice& device, const std::string& address, const std::string& mask, std::string& refusal);
    // The window's pause after a successful change, before it lists again.
    void PauseAfterChange();
    // As the window closing: the closing command to every listed device.
    void Finish();

private:
    void Clear() override;
    void SetEnabled(bool) override {}
    void AddRow(const protocol::DeviceRow& row) override;
    void Repaint() override {}
    void ShowProgress(const protocol::Progress& progress) override;
    void ShowMessage(const std::string& text) override;

    void OnSocketError(net::ASocket& socket);
    void ThrowIfFailed() const;
    template <typename Operation> void Guarded(Operation operation);

    bool showProgress_;
    net::TUDPSocket socket_;
    QTimer timeout_;
    protocol::DeviceProtocol protocol_{socket_, timeout_, *this, *this};

    std::vector<protocol::DeviceRow> rows_;
    std::string lastMessage_;
    // The device being read, until the next progress report gives its status.
    std::string readingMac_;
    std::string readingAddress_;
    std::map<std::string, ReadFailure> failedReads_;
    bool failed_ = false;
    int32_t errorCode_ = 0;
    std::string errorDescription_;
};

} // namespace cli
