// SPDX-License-Identifier: MIT
#include "lan_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const std::string& operation)
{
    throw std::runtime_error(operation + ": " + std::to_string(errno) + " " + std::strerror(errno));
}

} // namespace

LanClient::LanClient(unsigned short localPort)
{
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        Fail("socket");
    const int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const int buffer = 4 << 20;
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(localPort);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
        Fail("bind");
}

LanClient::~LanClient() { close(fd_); }

void LanClient::SendTo(std::string_view address, std::string_view payload)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(65535);
    if (inet_pton(AF_INET, std::string(address).c_str(), &target.sin_addr) != 1)
        throw std::runtime_error("bad address " + std::string(address));
    if (sendto(fd_, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&target), sizeof target) < 0)
        Fail("sendto");
}

void LanClient::Broadcast(std::string_view payload) { SendTo("255.255.255.255", payload); }

std::optional<LanReply> LanClient::Receive(std::chrono::milliseconds timeout)
{
    pollfd fd{fd_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(timeout.count())) <= 0)
        return std::nullopt;
    std::string buffer(65536, '\0');
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t size = recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&sender), &length);
    if (size < 0)
        Fail("recvfrom");
    buffer.resize(static_cast<std::size_t>(size));
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &sender.sin_addr, text, sizeof text);
    return LanReply{std::move(buffer), text, ntohs(sender.sin_port), std::chrono::steady_clock::now()};
}

std::vector<LanReply> LanClient::Collect(std::chrono::milliseconds window)
{
    std::vector<LanReply> replies;
    const auto deadline = std::chrono::steady_clock::now() + window;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        auto reply = Receive(left);
        if (!reply)
            break;
        replies.push_back(std::move(*reply));
    }
    return replies;
}

std::vector<LanReply> LanClient::Ask(std::string_view payload, std::chrono::milliseconds window)
{
    Broadcast(payload);
    return Collect(window);
}
