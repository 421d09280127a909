// SPDX-License-Identifier: MIT
#include "cli/engine_session.h"

#include "cli/terminal_text.h"
#include <cstdio>

namespace cli {

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
}

EngineSession::~EngineSession()
{
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
