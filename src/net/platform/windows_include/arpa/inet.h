// SPDX-License-Identifier: MIT
// Windows build only: the POSIX socket header's names come from WinSock.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

using in_addr_t = u_long;
