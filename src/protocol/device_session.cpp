// SPDX-License-Identifier: MIT
#include "protocol/device_session.h"

#include "protocol/device_engine.h"

namespace protocol {

DeviceSession::DeviceSession(Transport& transport) : engine_(std::make_unique<DeviceEngine>(transport)) {}

DeviceSession::~DeviceSession() = default;

void DeviceSession::SetProgressHandler(ProgressHandler handler) { engine_->SetProgressHandler(std::move(handler)); }

void DeviceSession::SetFailureHandler(Transport::FailureHandler handler)
{
    engine_->SetFailureHandler(std::move(handler));
}

DiscoveryResult DeviceSession::Discover(DiscoveryDepth depth, const EarlyEnd& end)
{
    return engine_->Discover(depth, end);
}

DiscoveryResult DeviceSession::ReadDevices(const std::vector<DeviceRow>& devices)
{
    return engine_->ReadDevices(devices);
}

ChangeOutcome DeviceSession::Change(const DeviceRow& device, const std::string& newAddress, const std::string& newMask)
{
    return engine_->Change(device, newAddress, newMask);
}

void DeviceSession::Close() { engine_->Close(); }

void DeviceSession::Pause(Milliseconds duration) { engine_->Pause(duration); }

void DeviceSession::Abandon() { engine_->Abandon(); }

bool DeviceSession::Abandoned() const { return engine_->Abandoned(); }

void DeviceSession::Interrupt() { engine_->Interrupt(); }

} // namespace protocol
