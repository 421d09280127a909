// SPDX-License-Identifier: MIT
#include "cli/engine_session.h"

namespace cli {

EngineSession::EngineSession(bool showProgress, const net::InterfaceSelection& interfaces)
    : progress_(showProgress),
      transport_(interfaces)
{
    session_.SetFailureHandler(
        [this](int32_t code, const std::string& description) { failure_.Record(code, description); });
    session_.SetProgressHandler([this](const protocol::Progress& progress) { progress_.Show(progress); });
}

EngineSession::~EngineSession()
{
    session_.SetFailureHandler(nullptr);
    session_.SetProgressHandler(nullptr);
    session_.Abandon();
}

protocol::DiscoveryResult EngineSession::Discover(protocol::DiscoveryDepth depth)
{
    ThrowIfFailed();
    protocol::DiscoveryResult found = session_.Discover(depth);
    ThrowIfFailed();
    return found;
}

void EngineSession::Finish()
{
    ThrowIfFailed();
    session_.Close();
    ThrowIfFailed();
}

} // namespace cli
