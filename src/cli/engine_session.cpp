// SPDX-License-Identifier: MIT
#include "cli/engine_session.h"

#include "net/errors/socket_errors.h"
#include "net/socket_layer.h"
#include "protocol/event_loop_wait.h"
#include "protocol/status_codes.h"

#include <QDeadlineTimer>
#include <cstdio>

namespace cli {

bool Discovery::Unlisted(const std::string& mac) const { return Listed(mac) == nullptr && failedReads.count(mac) != 0; }

const FoundDevice* Discovery::Listed(const std::string& mac) const
{
    for (const FoundDevice& device : listed)
        if (device.mac == mac)
            return &device;
    return nullptr;
}

NetworkFailure::NetworkFailure(int32_t errorCode, const std::string& errorDescription)
    : std::runtime_error(errorDescription),
      code(errorCode),
      description(errorDescription)
{
}

EngineSession::EngineSession(bool showProgress, const net::InterfaceSelection& interfaces) : showProgress_(showProgress)
{
    protocol_.SetInterfaceSelection(interfaces);
    socket_.OnError = [this](net::ASocket& socket) { OnSocketError(socket); };
    net::SocketLayer::instance().OnUnhandledException = [this](const std::exception&) {
        if (!failed_) {
            failed_ = true;
            errorCode_ = socket_.ErrorCode();
            errorDescription_ = socket_.ErrorDescription();
        }
        protocol_.Abandon();
    };
}

EngineSession::~EngineSession()
{
    if (net::SocketLayer::exists())
        net::SocketLayer::instance().OnUnhandledException = nullptr;
    socket_.OnError = nullptr;
    timeout_.stop();
    protocol_.Abandon();
    socket_.Terminate();
}

void EngineSession::OnSocketError(net::ASocket& socket)
{
    // An oversized datagram from anyone is dropped, as the window drops it.
    if (socket.ErrorCode() == net::WSAEMSGSIZE && socket.ErrorMessage() == net::PacketTruncatedMessage)
        return;
    if (failed_)
        return;
    failed_ = true;
    errorCode_ = socket.ErrorCode();
    errorDescription_ = socket.ErrorDescription();
    timeout_.stop();
    protocol_.Abandon();
}

void EngineSession::ThrowIfFailed() const
{
    if (failed_)
        throw NetworkFailure(errorCode_, errorDescription_);
}

template <typename Operation> void EngineSession::Guarded(Operation operation)
{
    ThrowIfFailed();
    try {
        operation();
    } catch (const net::Exception& error) {
        // Raised after OnError has recorded the failure.
        if (!failed_) {
            failed_ = true;
            errorCode_ = socket_.ErrorCode();
            errorDescription_ = error.what();
        }
    }
    ThrowIfFailed();
}

Discovery EngineSession::Discover()
{
    failedReads_.clear();
    readingMac_.clear();
    Guarded([this] {
        protocol_.StartDiscovery();
        protocol_.ReadAllDevices();
        protocol_.ListDevices();
    });
    Discovery discovery;
    discovery.failedReads = failedReads_;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        const protocol::DeviceRow& shown = rows_[row];
        const int slot = protocol_.SlotOfRow(int(row));
        discovery.listed.push_back({shown.Address, shown.Mask, shown.Mac,
                                    slot == 0 ? std::string() : protocol_.Devices()[slot].Port, shown.FlagE,
                                    shown.ReadOk, shown.AddressShared});
    }
    return discovery;
}

int EngineSession::Change(const FoundDevice& device, const std::string& address, const std::string& mask,
                          std::string& refusal)
{
    lastMessage_.clear();
    int result = protocol::kStatusOk;
    Guarded([&] { result = protocol_.ChangeDevice(device.address, address, device.mac, mask); });
    refusal = lastMessage_;
    return result;
}

void EngineSession::PauseAfterChange()
{
    ThrowIfFailed();
    protocol::ProcessEventsUntil(QDeadlineTimer(protocol::kPauseAfterChangeMs, Qt::PreciseTimer),
                                 [this] { return failed_; });
    ThrowIfFailed();
}

void EngineSession::Finish()
{
    Guarded([this] { protocol_.SendClosingCommands(); });
}

void EngineSession::Clear() { rows_.clear(); }

void EngineSession::AddRow(const protocol::DeviceRow& row) { rows_.push_back(row); }

void EngineSession::ShowProgress(const protocol::Progress& progress)
{
    using Activity = protocol::Progress::Activity;
    // A device's read ends when the next one starts or the list is filled:
    // the engine's status then is the status of that read.
    if (!readingMac_.empty() && (progress.What == Activity::Reading || progress.What == Activity::Idle)) {
        if (protocol_.ReplyStatus() != protocol::kStatusOk)
            failedReads_[readingMac_] = {readingAddress_, protocol_.ReplyStatus()};
        readingMac_.clear();
    }
    if (progress.What == Activity::Reading) {
        readingMac_ = protocol_.Devices()[progress.Current].Mac;
        readingAddress_ = progress.Device;
    }

    if (!showProgress_)
        return;
    switch (progress.What) {
    case Activity::Searching: std::fprintf(stderr, "\r\033[KSzukam urządzeń..."); break;
    case Activity::Reading:
        std::fprintf(stderr, "\r\033[KOdczytuję urządzenie %d z %d (%s)...", progress.Current, progress.Total,
                     progress.Device.c_str());
        break;
    case Activity::Changing: std::fprintf(stderr, "\r\033[KZmieniam urządzenie %s...", progress.Device.c_str()); break;
    case Activity::Idle: std::fprintf(stderr, "\r\033[K"); break;
    }
    std::fflush(stderr);
}

void EngineSession::ShowMessage(const std::string& text) { lastMessage_ = text; }

} // namespace cli
