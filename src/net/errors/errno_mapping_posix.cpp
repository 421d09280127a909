// SPDX-License-Identifier: MIT
#include "net/errors/socket_errors.h"

#include <cerrno>
#include <netdb.h>

namespace net {

int32_t WinSockErrorFromErrno(int errnoValue)
{
    switch (errnoValue) {
    case 0: return 0;
    case EINTR: return 10004;
    // A descriptor that is no longer open is what WinSock calls a non-socket.
    case EBADF: return 10038;
    case EACCES:
    case EPERM: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE:
    case ENFILE: return 10024;
    case EAGAIN: return 10035; // EWOULDBLOCK has the same value on Linux
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045; // ENOTSUP has the same value on Linux
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN:
    case ENODEV: return 10050; // the interface a send went through is gone
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS:
    case ENOMEM: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN:
    case EPIPE: return 10058;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    case ENOTEMPTY: return 10066;
    case EUSERS: return 10068;
    case EDQUOT: return 10069;
    case ESTALE: return 10070;
    case EREMOTE: return 10071;
    default: return errnoValue;
    }
}

int32_t WinSockErrorFromAddrInfo(int eaiValue, int errnoValue)
{
    switch (eaiValue) {
    case 0: return 0;
    case EAI_NONAME: return kWsaHostNotFound;
#ifdef EAI_NODATA
    case EAI_NODATA: return kWsaNoData;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: return kWsaNoData;
#endif
    case EAI_AGAIN: return kWsaTryAgain;
    case EAI_FAIL: return kWsaNoRecovery;
    case EAI_MEMORY: return kWsaeNoBufs;
    case EAI_FAMILY: return 10047;
    case EAI_SOCKTYPE: return 10044;
    case EAI_SERVICE: return 10109; // WSATYPE_NOT_FOUND
    case EAI_SYSTEM: {
        int32_t mapped = WinSockErrorFromErrno(errnoValue);
        return mapped ? mapped : kWsaNoRecovery;
    }
    default: return kWsaNoRecovery;
    }
}

} // namespace net
