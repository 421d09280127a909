// SPDX-License-Identifier: MIT
// Socket error numbers and their texts, the error classes of the socket
// layer, and the mapping of Linux error values onto the WinSock numbering.
//
// Numbers: 0 none; below 10000 no defined meaning; 10000..19999 platform
// socket errors (WinSock numbering); 20000 and up the layer's own errors.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace net {

// WinSock numbers the layer itself checks for.
inline constexpr int32_t kWsaeIntr = 10004;
inline constexpr int32_t kWsaeAcces = 10013;
inline constexpr int32_t kWsaeInval = 10022;
inline constexpr int32_t kWsaeWouldBlock = 10035;
inline constexpr int32_t kWsaeNotSock = 10038;
inline constexpr int32_t kWsaeMsgSize = 10040;
inline constexpr int32_t kWsaeAddrInUse = 10048;
inline constexpr int32_t kWsaeNetDown = 10050;
inline constexpr int32_t kWsaeNetUnreach = 10051;
inline constexpr int32_t kWsaeNoBufs = 10055;
inline constexpr int32_t kWsaeHostUnreach = 10065;
inline constexpr int32_t kWsaHostNotFound = 11001;
inline constexpr int32_t kWsaTryAgain = 11002;
inline constexpr int32_t kWsaNoRecovery = 11003;
inline constexpr int32_t kWsaNoData = 11004;

// The layer's own numbers.
inline constexpr int32_t kSocketErrorNotClosed = 20001;
inline constexpr int32_t kSocketErrorHandleNotSet = 20003;
inline constexpr int32_t kSocketErrorProtocolNotSet = 20004;

// The stored message of a received datagram longer than the packet size
// (code WSAEMSGSIZE); a send never stores it.
inline constexpr const char* kPacketTruncatedMessage = "Packet truncated: Buffer too small";

// Texts of the platform's socket errors; 0 gives the empty string.
std::string WinSockErrorText(int32_t code);
// Texts of the layer's own errors; unknown numbers give the empty string.
std::string SocketErrorText(int32_t code);
// What the operator is shown for a socket's error code and stored message.
std::string DescribeSocketError(int32_t code, const std::string& message);

// Linux errno value -> WinSock number (0 stays 0; values without a WinSock
// counterpart are passed through unchanged, below 10000).
int32_t WinSockErrorFromErrno(int errnoValue);
// getaddrinfo() result (EAI_*) -> WinSock number; EAI_SYSTEM reads errno.
int32_t WinSockErrorFromAddrInfo(int eaiValue, int errnoValue);

// The system's base error class.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A failing socket operation; carries the composed message.
class EWinSock : public Exception {
public:
    using Exception::Exception;
};

// Starting a host lookup that is already running or has no host.
class ESocketHostLookup : public Exception {
public:
    using Exception::Exception;
};

// The event-dispatch endpoint could not be set up.
class EWindowHandle : public Exception {
public:
    using Exception::Exception;
};

// The socket layer could not be started.
class ESockException : public Exception {
public:
    using Exception::Exception;
};

} // namespace net
