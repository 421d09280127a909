// SPDX-License-Identifier: MIT
// Helpers for the socket layer tests: running the real event loop for a
// while or until something happened, a plain kernel UDP socket to talk to
// the component, and a listener in the LAN namespace.
#pragma once
#include "event_loop.h"

#include <QEventLoop>
#include <QTimer>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <functional>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace nettest {

using ::RunLoopFor;
using ::RunLoopUntil;

inline in_addr Address(const char* dotted)
{
    in_addr address{};
    inet_pton(AF_INET, dotted, &address);
    return address;
}

inline std::string Dotted(in_addr address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

// A plain blocking kernel UDP socket.
class RawUdp {
public:
    explicit RawUdp(uint16_t port = 0, const char* host = "0.0.0.0")
    {
        fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr = Address(host);
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("RawUdp: bind failed");
    }
    ~RawUdp() { close(fd_); }
    RawUdp(const RawUdp&) = delete;
    RawUdp& operator=(const RawUdp&) = delete;

    int Fd() const { return fd_; }
    uint16_t Port() const
    {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        return ntohs(address.sin_port);
    }
    void SendTo(const char* host, uint16_t port, const std::string& data)
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr = Address(host);
        if (sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) !=
            static_cast<ssize_t>(data.size()))
            throw std::runtime_error("RawUdp: send failed");
    }
    struct Datagram {
        std::string Data;
        sockaddr_in From;
    };
    std::optional<Datagram> Receive(int timeoutMs)
    {
        pollfd waiting{fd_, POLLIN, 0};
        if (poll(&waiting, 1, timeoutMs) <= 0)
            return std::nullopt;
        Datagram datagram{std::string(70000, '\0'), {}};
        socklen_t length = sizeof datagram.From;
        ssize_t n = recvfrom(fd_, datagram.Data.data(), datagram.Data.size(), 0,
                             reinterpret_cast<sockaddr*>(&datagram.From), &length);
        if (n < 0)
            return std::nullopt;
        datagram.Data.resize(static_cast<std::size_t>(n));
        return datagram;
    }

private:
    int fd_ = -1;
};

// lan_probe running in the LAN namespace (scripts/netlab sets MUXLAN_EXEC).
class LanListener {
public:
    LanListener(uint16_t port, int count, int timeoutMs)
    {
        const char* exec = std::getenv("MUXLAN_EXEC");
        if (!exec)
            throw std::runtime_error("LanListener: not run under scripts/netlab");
        std::string command = std::string(exec) + " " + MUX_BIN_DIR + "/lan_probe " + std::to_string(port) + " " +
            std::to_string(count) + " " + std::to_string(timeoutMs);
        pipe_ = popen(command.c_str(), "r");
        if (!pipe_ || ReadLine() != "ready")
            throw std::runtime_error("LanListener: probe did not start");
    }
    ~LanListener()
    {
        if (pipe_)
            pclose(pipe_);
    }
    // Lines "<ip> <port> <length> <hex>" until the probe ends.
    std::vector<std::string> Collect()
    {
        std::vector<std::string> lines;
        for (std::string line = ReadLine(); !line.empty() && line != "end"; line = ReadLine())
            lines.push_back(line);
        return lines;
    }

private:
    std::string ReadLine()
    {
        std::string line;
        for (int c = std::fgetc(pipe_); c != EOF && c != '\n'; c = std::fgetc(pipe_))
            line += static_cast<char>(c);
        return line;
    }
    FILE* pipe_ = nullptr;
};

} // namespace nettest
