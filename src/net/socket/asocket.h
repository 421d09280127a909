// SPDX-License-Identifier: MIT
// The socket base: handle, protocol, state, local address, error state and
// the host lookups a socket has started.
#pragma once

#include "net/dispatch/window_handle.h"
#include "net/lookups/host_lookup.h"

#include <functional>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <vector>

namespace net {

using TSocketHostLookupArray = std::vector<std::unique_ptr<TSocketHostLookup>>;

// SocketState values: 0 closed; 4 and 5 connected; 4 to 6 open.
inline constexpr uint8_t kSocketClosed = 0;

class ASocket : public TTimerHandle {
public:
    explicit ASocket(QObject* owner = nullptr);
    ~ASocket() override;

    uint8_t Protocol() const { return protocol_; }
    virtual void SetProtocol(uint8_t protocol);
    uint8_t SocketState() const { return socketState_; }
    int SocketHandle() const { return handle_; }

    const std::string& LocalHost() const { return localHost_; }
    virtual void SetLocalHost(const std::string& host);
    std::string LocalPort() const { return const_cast<ASocket*>(this)->GetLocalPort(); }
    virtual void SetLocalPort(const std::string& port);

    int32_t ErrorCode() const { return errorCode_; }
    const std::string& ErrorMessage() const { return errorMessage_; }
    std::string ErrorDescription() const;
    // Stores the error; a non-zero code fires OnError.
    void SetError(int32_t code, const std::string& message);
    void ClearError();

    const TSocketHostLookupArray& PendingLookups() const { return pendingLookups_; }

    void Terminate() override;
    virtual void Close();
    virtual void InitWithHandle(int handle);
    virtual void InitWithProtocol(uint8_t protocol);

    int32_t MessageProc(uint32_t message, uint32_t wParam, uint32_t lParam) override;

    std::function<void(ASocket& sender, uint8_t oldState, uint8_t newState)> OnStateChange;
    std::function<void(ASocket& sender)> OnError;

protected:
    virtual void HandleSocketEvent(uint32_t events, uint32_t error) = 0;
    [[noreturn]] virtual void RaiseError(const std::string& message, int32_t code);
    // text + ": " + the text of the code (errno of the last call by default).
    [[noreturn]] void RaiseLastError(const std::string& text, int32_t code);
    [[noreturn]] void RaiseLastError(const std::string& text);
    void CheckClosed(const std::string& operation);
    virtual bool IsConnected() const;
    virtual void TriggerStateChange(uint8_t oldState, uint8_t newState);
    virtual std::string GetLocalPort();
    virtual uint32_t GetAsyncEvents() const = 0;
    virtual void HostLookupComplete(TSocketHostLookup& lookup);
    virtual void HostResolved(int32_t errorCode, const std::string& host, in_addr address);

    // Drops the readiness watch, then closes the descriptor.
    void CloseHandle();
    void AdoptHandle(int handle) { handle_ = handle; }
    void StoreLocalHost(const std::string& host) { localHost_ = host; }
    void StoreLocalPort(const std::string& port) { localPort_ = port; }
    TSocketHostLookupArray& Lookups() { return pendingLookups_; }

    // Expires when the socket is destroyed: checked after firing an event,
    // whose handler may have freed the socket.
    std::weak_ptr<void> LifeToken() const { return life_; }

private:
    uint8_t protocol_ = 0;
    uint8_t socketState_ = kSocketClosed;
    int handle_ = -1;
    int32_t errorCode_ = 0;
    std::string errorMessage_;
    std::string localHost_;
    std::string localPort_;
    TSocketHostLookupArray pendingLookups_;
    std::shared_ptr<void> life_ = std::make_shared<char>(0);
};

} // namespace net
