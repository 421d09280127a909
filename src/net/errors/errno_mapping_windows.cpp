// SPDX-License-Identifier: MIT
// On Windows the socket calls answer in the WinSock numbering already; only
// the C runtime's errno (a worker thread not started) needs mapping.
#include "net/errors/socket_errors.h"

#include <cerrno>

namespace net {

int32_t WinSockErrorFromErrno(int errnoValue)
{
    switch (errnoValue) {
    case 0: return 0;
    case EINTR: return kWsaeIntr;
    case EACCES: return kWsaeAcces;
    case EINVAL: return kWsaeInval;
    case EAGAIN: return kWsaeWouldBlock;
    case ENOMEM: return kWsaeNoBufs;
    default: return errnoValue;
    }
}

int32_t WinSockErrorFromAddrInfo(int eaiValue, int) { return eaiValue; }

} // namespace net
