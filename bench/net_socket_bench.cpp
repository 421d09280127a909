// SPDX-License-Identifier: MIT
// Socket layer figures over loopback in a private namespace:
//   scripts/netlab build/bin/net_socket_bench
// - round trip: the component sends, an echo thread answers, the answer
//   comes back through the read notification, OnDataAvailable and ReadPacket;
// - receive rate: bursts of 100 datagrams, one ReadPacket per
//   OnDataAvailable, without the receive buffer (as the command socket runs)
//   and with it;
// - idle CPU while a bound socket waits in the event loop.
#include "net/socket/udp_socket.h"
#include "net/socket_layer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sys/socket.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

int PlainSocket(uint16_t port)
{
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return fd;
}

void RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done() && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

void RoundTrip(int rounds)
{
    int echo = PlainSocket(41001);
    std::atomic<bool> stop = false;
    std::thread echoer([&] {
        char buffer[4096];
        timeval wait{0, 100000};
        setsockopt(echo, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        while (!stop) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            ssize_t n = recvfrom(echo, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (n >= 0)
                sendto(echo, buffer, static_cast<size_t>(n), 0, reinterpret_cast<sockaddr*>(&from), length);
        }
    });
    net::TUDPSocket socket;
    socket.SetLocalPort("41000");
    socket.SetUseSendBuffer(false);
    socket.SetUseReceiveBuffer(false);
    std::vector<double> micros;
    Clock::time_point sent;
    in_addr loopback{htonl(INADDR_LOOPBACK)};
    socket.OnDataAvailable = [&](net::AUDPSocket& sender) {
        std::string data;
        sockaddr_in from{};
        if (!sender.ReadPacket(data, from))
            return;
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
        if (static_cast<int>(micros.size()) < rounds) {
            sent = Clock::now();
            sender.SendPacketTo(loopback, 41001, "ping");
        }
    };
    double cpu = CpuSeconds();
    auto start = Clock::now();
    sent = Clock::now();
    socket.SendPacketTo(loopback, 41001, "ping");
    RunUntil([&] { return static_cast<int>(micros.size()) >= rounds; }, 30000);
    double wall = std::chrono::duration<double>(Clock::now() - start).count();
    cpu = CpuSeconds() - cpu;
    stop = true;
    echoer.join();
    close(echo);
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) { return micros.empty() ? 0.0 : micros[static_cast<size_t>(q * (micros.size() - 1))]; };
    std::printf("| round trip via loop    | %9zu | %9.1f | %9.1f | %9.1f | %10.0f | %6.1f%% |\n", micros.size(),
                at(0.5), at(0.99), at(1.0), micros.size() / wall, 100 * cpu / wall);
}

void ReceiveBurst(bool receiveBuffer, int count)
{
    net::TUDPSocket socket;
    socket.SetLocalPort("41010");
    socket.SetUseReceiveBuffer(receiveBuffer);
    int got = 0;
    socket.OnDataAvailable = [&](net::AUDPSocket& sender) {
        std::string data;
        sockaddr_in from{};
        if (sender.ReadPacket(data, from)) // one read per call, as the owner is told to
            ++got;
    };
    socket.SetBound(true);
    int sender = PlainSocket(0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(41010);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string payload(100, 'p');
    double cpu = CpuSeconds();
    auto start = Clock::now();
    // Batches that fit the kernel's default receive buffer, so none is dropped.
    constexpr int kBatch = 100;
    for (int sent = 0; sent < count; sent += kBatch) {
        for (int i = 0; i < kBatch; ++i)
            sendto(sender, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        RunUntil([&] { return got >= sent + kBatch; }, 5000);
    }
    double wall = std::chrono::duration<double>(Clock::now() - start).count();
    cpu = CpuSeconds() - cpu;
    close(sender);
    std::printf("| burst, buffer %-8s | %9d | %9s | %9s | %9s | %10.0f | %6.1f%% |\n", receiveBuffer ? "on" : "off",
                got, "-", "-", "-", got / wall, 100 * cpu / wall);
}

void Idle(int ms)
{
    net::TUDPSocket socket;
    socket.SetLocalPort("41020");
    socket.SetBound(true);
    double cpu = CpuSeconds();
    auto start = Clock::now();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    double wall = std::chrono::duration<double>(Clock::now() - start).count();
    cpu = CpuSeconds() - cpu;
    std::printf("| idle, bound socket     | %9s | %9s | %9s | %9s | %10s | %6.2f%% |\n", "-", "-", "-", "-", "-",
                100 * cpu / wall);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Socket layer figures over loopback; run in a private namespace (scripts/netlab)."));
    parser.addHelpOption();
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        parser.showHelp(2);
    net::SocketLayer socketLayer;
    std::printf("| case                   | datagrams | median us |    p99 us |    max us | per second |     CPU |\n");
    std::printf("|------------------------|----------:|----------:|----------:|----------:|-----------:|--------:|\n");
    RoundTrip(5000);
    ReceiveBurst(false, 20000);
    ReceiveBurst(true, 20000);
    Idle(2000);
    return 0;
}
