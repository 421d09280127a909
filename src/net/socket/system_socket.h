// SPDX-License-Identifier: MIT
// The socket calls in which Linux and Windows differ, one source file per
// platform (system_socket_posix.cpp, system_socket_windows.cpp). Handles are
// ints with -1 for none on both; errors come back in the WinSock numbering.
#pragma once

#include <cstdint>
#include <netinet/in.h>
#include <string>

namespace net {

// The error of the last failed socket call of this thread.
int32_t LastSocketError();
// A new IPv4 socket (datagram or stream), not inherited by child processes; -1 on failure.
int OpenSocketHandle(bool datagram);
bool MakeNonBlocking(int handle);
bool SetIntegerOption(int handle, int level, int name, int value);
void CloseSocketHandle(int handle);

// One datagram into buffer, with its sender and arrival interface (IP_PKTINFO).
// Returns the count copied, or -1 (LastSocketError()); truncated tells a datagram
// longer than size.
int64_t ReceiveDatagram(int handle, char* buffer, std::size_t size, sockaddr_in& from, uint32_t& arrivalInterface,
                        bool& truncated);
// One datagram to `to`, through interfaceIndex when not 0 (IP_PKTINFO);
// the count sent or -1.
int64_t SendDatagram(int handle, const sockaddr_in& to, const std::string& data, uint32_t interfaceIndex);

// The port of a named service ("domain", "udp") in network byte order.
bool LookUpServicePort(const std::string& name, const char* protocol, uint16_t& networkOrder);

} // namespace net
