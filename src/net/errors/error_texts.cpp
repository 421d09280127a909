// SPDX-License-Identifier: MIT
#include "net/errors/socket_errors.h"

#include <unordered_map>

namespace net {

std::string WinSockErrorText(int32_t code)
{
    static const std::unordered_map<int32_t, const char*> texts = {
        {10004, "Socket error: System level interruption"},
        {10009, "Socket error: Invalid format"},
        {10013, "Socket permission denied"},
        {10014, "Generic WinSock fault"},
        {10022, "Socket error: Invalid operation"},
        {10024, "WinSock file error"},
        {10036, "Blocking WinSock operation in progress"},
        {10038, "Socket operation on non-socket or not connected"},
        {10040, "Socket error: Invalid message size"},
        {10042, "Protocol not available"},
        {10043, "Protocol not supported"},
        {10044, "The socket type is not supported"},
        {10045, "Socket error: Operation not supported"},
        {10046, "Protocol family not supported"},
        {10047, "Address family not supported by protocol family"},
        {10048, "Address in use"},
        {10049, "Address not available"},
        {10050, "The network subsystem has failed"},
        {10051, "The network is unreachable"},
        {10052, "Network reset"},
        {10053, "Connection aborted"},
        {10054, "Connection reset by peer"},
        {10055, "No buffer space available for socket"},
        {10057, "Socket is not connected"},
        {10058, "Socket is shutting down"},
        {10060, "Socket operation timed out"},
        {10061, "Connection refused"},
        {10063, "Socket error: Name too long"},
        {10064, "Host is unavailable"},
        {10065, "Host is unreachable"},
        {10067, "WinSock task limit reached"},
        {10091, "WinSock not ready"},
        {10092, "WinSock version not supported"},
        {10093, "WinSock not initialized"},
        {10101, "Socket has been disconnected"},
        {11001, "Host not found"},
        {11003, "Nonrecoverable WinSock error occurred"},
        {11004, "Host address not found"},
    };
    if (code == 0)
        return {};
    if (auto it = texts.find(code); it != texts.end())
        return it->second;
    return "WinSock error #" + std::to_string(code);
}

std::string SocketErrorText(int32_t code)
{
    static const std::unordered_map<int32_t, const char*> texts = {
        {20001, "Operation only allowed on closed socket"},
        {20002, "Socket not connected"},
        {20003, "Can not set socket handle"},
        {20004, "Can not set protocol"},
        {20005, "Host not resolved"},
        {30001, "Proxy required"},
        {40001, "General socks server failure"},
        {40002, "Connection not allowed by rule set"},
        {40003, "Network unreachable"},
        {40004, "Host unreachable"},
        {40005, "Connection refused"},
        {40006, "Socks error: TTL expired"},
        {40007, "Socks command not supported"},
        {40008, "Address type not supported"},
        {40101, "Socks negotiation failed"},
        {40102, "Socks authentication failed"},
        {50001, "Invalid HTTP response"},
        {50002, "HTTP tunnel failed"},
        {60001, "System error"},
        {60002, "Resource error"},
        {60003, "Application error"},
        {60004, "Client error"},
        {60005, "Server error"},
        {60006, "Proxy error"},
        {60007, "Prtotocol error"},
        {60008, "Timeout"},
        {60009, "Connect error"},
        {60010, "Aborted"},
    };
    if (auto it = texts.find(code); it != texts.end())
        return it->second;
    return {};
}

std::string DescribeSocketError(int32_t code, const std::string& message)
{
    if (code == 0)
        return {};
    if (!message.empty())
        return message;
    if (code >= 20000) {
        std::string text = SocketErrorText(code);
        if (!text.empty())
            return text;
        const char* category = code >= 70000 ? "user"
            : code >= 60000                  ? "general"
            : code >= 50000                  ? "http-tunnel"
            : code >= 40000                  ? "socks"
            : code >= 30000                  ? "proxy"
                                             : "";
        std::string result = "Socket ";
        if (*category)
            result += std::string(category) + " ";
        return result + "error #" + std::to_string(code);
    }
    if (code >= 10000)
        return WinSockErrorText(code);
    return "Socket error #" + std::to_string(code);
}

} // namespace net
