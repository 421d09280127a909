// SPDX-License-Identifier: MIT
#include "net/socket/asocket.h"

#include "net/dispatch/readiness_watches.h"
#include "net/errors/socket_errors.h"
#include "net/socket/system_socket.h"
#include "net/socket_layer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <sys/socket.h>

namespace net {

ASocket::ASocket(QObject* owner) : TTimerHandle(owner) { SocketLayer::Instance().SocketList().Add(this); }

ASocket::~ASocket()
{
    ASocket::Close();
    if (SocketLayer::Exists())
        SocketLayer::Instance().SocketList().Remove(this);
}

void ASocket::SetProtocol(uint8_t protocol)
{
    if (protocol == protocol_)
        return;
    CheckClosed("SetProtocol");
    protocol_ = protocol;
}

void ASocket::SetLocalHost(const std::string& host)
{
    if (host == localHost_)
        return;
    CheckClosed("SetLocalHost");
    localHost_ = host;
}

void ASocket::SetLocalPort(const std::string& port)
{
    if (port == localPort_)
        return;
    CheckClosed("SetLocalPort");
    localPort_ = port;
}

std::string ASocket::GetLocalPort()
{
    if (!localPort_.empty())
        return localPort_;
    if (!IsConnected())
        return {};
    sockaddr_in name{};
    socklen_t length = sizeof name;
    if (getsockname(handle_, reinterpret_cast<sockaddr*>(&name), &length) != 0)
        RaiseLastError("Error retrieving local name");
    return std::to_string(ntohs(name.sin_port));
}

std::string ASocket::ErrorDescription() const { return DescribeSocketError(errorCode_, errorMessage_); }

void ASocket::SetError(int32_t code, const std::string& message)
{
    errorCode_ = code;
    errorMessage_ = message;
    if (code != 0 && OnError)
        OnError(*this);
}

void ASocket::ClearError() { SetError(0, {}); }

void ASocket::RaiseError(const std::string& message, int32_t code)
{
    SetError(code, message);
    throw EWinSock(message);
}

void ASocket::RaiseLastError(const std::string& text, int32_t code)
{
    std::string message = text + ": " + WinSockErrorText(code);
    RaiseError(message, code);
    throw EWinSock(message); // in case an override of RaiseError returns
}

void ASocket::RaiseLastError(const std::string& text) { RaiseLastError(text, LastSocketError()); }

void ASocket::CheckClosed(const std::string& operation)
{
    if (socketState_ != kSocketClosed)
        RaiseError("Operation only allowed on closed socket: " + operation, kSocketErrorNotClosed);
}

bool ASocket::IsConnected() const { return socketState_ == 4 || socketState_ == 5; }

void ASocket::TriggerStateChange(uint8_t oldState, uint8_t newState)
{
    if (OnStateChange)
        OnStateChange(*this, oldState, newState);
}

void ASocket::Terminate()
{
    TTimerHandle::Terminate();
    Close();
}

void ASocket::Close()
{
    socketState_ = kSocketClosed;
    pendingLookups_.clear(); // cancels their workers
    CloseHandle();
}

void ASocket::CloseHandle()
{
    if (handle_ == -1)
        return;
    int old = handle_;
    handle_ = -1;
    // The watch goes first: the number may be reused as soon as it is closed.
    if (SocketLayer::Exists())
        SocketLayer::Instance().Watches().Unwatch(old);
    CloseSocketHandle(old);
}

void ASocket::InitWithHandle(int handle)
{
    if (handle == handle_)
        return;
    if (socketState_ >= 4 && socketState_ <= 6)
        RaiseError("Socket handle can not be set on open socket", kSocketErrorHandleNotSet);
    CloseHandle();
    handle_ = handle;
}

void ASocket::InitWithProtocol(uint8_t protocol) { SetProtocol(protocol); }

int32_t ASocket::MessageProc(uint32_t message, uint32_t wParam, uint32_t lParam)
{
    if (message == kMsgSocketEvent && handle_ != -1 && wParam == static_cast<uint32_t>(handle_)) {
        HandleSocketEvent(lParam & 0xFFFF, lParam >> 16);
        return 0;
    }
    return TTimerHandle::MessageProc(message, wParam, lParam);
}

void ASocket::HostLookupComplete(TSocketHostLookup& lookup)
{
    auto it = std::find_if(pendingLookups_.begin(), pendingLookups_.end(),
                           [&](const auto& pending) { return pending.get() == &lookup; });
    if (it == pendingLookups_.end())
        return;
    // Owned here from now on, so it is freed also when HostResolved raises.
    std::unique_ptr<TSocketHostLookup> done = std::move(*it);
    pendingLookups_.erase(it);
    in_addr address{};
    if (done->ErrorCode() == 0 && !done->Addresses().empty())
        address = done->Addresses().front();
    HostResolved(done->ErrorCode(), done->Host(), address);
}

void ASocket::HostResolved(int32_t, const std::string&, in_addr) {}

} // namespace net
