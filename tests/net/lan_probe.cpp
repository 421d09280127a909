// SPDX-License-Identifier: MIT
// A small UDP listener for tests, run in the LAN namespace:
//   lan_probe PORT COUNT TIMEOUT_MS
// Binds 0.0.0.0:PORT, prints "ready", then one line per datagram received
// ("<sender ip> <sender port> <length> <payload as hex>") until COUNT have
// arrived or TIMEOUT_MS passed without one; then prints "end".
#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: lan_probe PORT COUNT TIMEOUT_MS\n");
        return 2;
    }
    int port = std::atoi(argv[1]);
    int count = std::atoi(argv[2]);
    int timeoutMs = std::atoi(argv[3]);
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("lan_probe");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    std::vector<unsigned char> buffer(70000);
    for (int received = 0; received < count;) {
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, timeoutMs) <= 0)
            break;
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        ssize_t n = recvfrom(fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 0)
            continue;
        std::printf("%s %u %zd ", inet_ntoa(from.sin_addr), ntohs(from.sin_port), n);
        for (ssize_t i = 0; i < n; ++i)
            std::printf("%02x", buffer[static_cast<std::size_t>(i)]);
        std::printf("\n");
        std::fflush(stdout);
        ++received;
    }
    std::printf("end\n");
    close(fd);
    return 0;
}
