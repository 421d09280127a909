// SPDX-License-Identifier: MIT
#include "cli/engine_session.h"

#include "cli/terminal_text.h"
#include "net/socket_layer.h"
#include "protocol/event_loop_wait.h"
#include "protocol/protocol_constants.h"

#include <QDeadlineTimer>
#include <cstdio>

namespace cli {

bool Discovery::Unlisted(const std::string& mac) const
{
    return ListedRow(mac) == nullptr && FailedReads.count(mac) != 0;
}

const protocol::DeviceRow* Discovery::ListedRow(const std::string& mac) const
{
    for (const protocol::DeviceRow& device : Listed)
        if (device.Mac == mac)
            return &device;
    return nullptr;
}

NetworkFailure::NetworkFailure(int32_t errorCode, const std::string& errorDescription)
    : std::runtime_error(errorDescription),
      Code(errorCode),
      Description(errorDescription)
{
}

EngineSession::EngineSession(bool showProgress, const net::InterfaceSelection& interfaces)
    : showProgress_(showProgress),
      transport_(interfaces)
{
    session_.SetFailureHandler([this](int32_t code, const std::string& description) { OnFailure(code, description); });
    session_.SetProgressHandler([this](const protocol::Progress& progress) { ShowProgress(progress); });
    net::SocketLayer::instance().OnUnhandledException = [this](const std::exception& error) {
        OnFailure(0, error.what());
        session_.Abandon();
    };
}

EngineSession::~EngineSession()
{
    if (net::SocketLayer::exists())
        net::SocketLayer::instance().OnUnhandledException = nullptr;
    session_.SetFailureHandler(nullptr);
    session_.SetProgressHandler(nullptr);
    session_.Abandon();
}

void EngineSession::OnFailure(int32_t code, const std::string& description)
{
    if (failed_)
        return;
    failed_ = true;
    errorCode_ = code;
    errorDescription_ = description;
}

void EngineSession::ThrowIfFailed() const
{
    if (failed_)
        throw NetworkFailure(errorCode_, errorDescription_);
}

Discovery EngineSession::Discover(protocol::DiscoveryDepth depth)
{
    ThrowIfFailed();
    const protocol::DiscoveryResult found = session_.Discover(depth);
    ThrowIfFailed();
    Discovery discovery;
    discovery.Listed = found.Rows;
    discovery.Searched = found.Searched;
    for (const protocol::UnreadDevice& unread : found.Unread)
        discovery.FailedReads[unread.Mac] = {unread.Address, unread.Status, unread.Listed, unread.Interface};
    return discovery;
}

protocol::ChangeOutcome EngineSession::Change(const protocol::DeviceRow& device, const std::string& address,
                                              const std::string& mask)
{
    ThrowIfFailed();
    const protocol::ChangeOutcome outcome = session_.Change(device, address, mask);
    ThrowIfFailed();
    return outcome;
}

void EngineSession::PauseAfterChange()
{
    ThrowIfFailed();
    protocol::ProcessEventsUntil(QDeadlineTimer(protocol::kPauseAfterChangeMs, Qt::PreciseTimer),
                                 [this] { return failed_ || session_.Abandoned(); });
    ThrowIfFailed();
}

void EngineSession::Finish()
{
    ThrowIfFailed();
    session_.Close();
    ThrowIfFailed();
}

void EngineSession::ShowProgress(const protocol::Progress& progress)
{
    using Activity = protocol::Progress::Activity;
    if (!showProgress_)
        return;
    switch (progress.What) {
    case Activity::Searching:
        std::fprintf(stderr,
                     verifying_ ? "\r\033[KSprawdzam zmiany: szukam urządzeń..." : "\r\033[KSzukam urządzeń...");
        break;
    case Activity::Reading:
        std::fprintf(stderr, "\r\033[K%s urządzenie %d z %d (%s)...", verifying_ ? "Sprawdzam" : "Odczytuję",
                     progress.Current, progress.Total, ShownLatin1(progress.Device).c_str());
        break;
    case Activity::Changing:
        std::fprintf(stderr, "\r\033[KZmieniam urządzenie %d z %d (%s)...", changeCurrent_, changeTotal_,
                     ShownLatin1(progress.Device).c_str());
        break;
    case Activity::Idle: std::fprintf(stderr, "\r\033[K"); break;
    }
    std::fflush(stderr);
}

} // namespace cli
