// SPDX-License-Identifier: MIT
#include "simulator.h"

#include "arp_message.h"
#include "byte_text.h"
#include "ethernet_address.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <stdexcept>
#include <sys/signalfd.h>
#include <unistd.h>

namespace muxsim {
namespace {

using Json = nlohmann::ordered_json;

constexpr unsigned short kWorkstationPort = 1153;

sigset_t StopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

Json DeviceJson(const DeviceState& device)
{
    const DeviceConfig& config = device.Config;
    return {{"ip", config.IP},
            {"mask", config.Mask},
            {"mac", BytesToUtf8(config.Mac)},
            {"hardware", FormatEthernetAddress(EthernetAddressOf(config.Mac))},
            {"port", BytesToUtf8(config.Port)},
            {"flags", BytesToUtf8(config.Flags)},
            {"dn", BytesToUtf8(config.DN)},
            {"restart_seconds", config.RestartMs / 1000.0},
            {"reply_to_broadcast", config.ReplyToBroadcast},
            {"silent", config.Faults.Silent},
            {"delay_ms", config.Faults.DelayMs}};
}

// Where a device's answer to `sender` goes: back to it, or to everyone on the
// segment the question came from.
sockaddr_in ReplyTarget(const PlannedReply& reply, const sockaddr_in& sender)
{
    if (!reply.ToBroadcast)
        return sender;
    sockaddr_in everyone{};
    everyone.sin_family = AF_INET;
    everyone.sin_port = htons(kWorkstationPort);
    everyone.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    return everyone;
}

Json HostJson(const HostConfig& host) { return {{"ip", host.IP}, {"mac", host.Mac}}; }

void PutPayload(Json& entry, std::string_view payload)
{
    entry["len"] = payload.size();
    entry["payload"] = BytesToUtf8(payload);
    entry["hex"] = ToHex(payload);
}

void WriteFileAtomically(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "we");
    if (!file)
        throw std::runtime_error("open " + temporary + ": " + ErrnoText(errno));
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        throw std::runtime_error("rename " + temporary + ": " + ErrnoText(errno));
}

} // namespace

void BlockStopSignals()
{
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGPIPE, SIG_IGN);
    const sigset_t signals = StopSignals();
    sigprocmask(SIG_BLOCK, &signals, nullptr);
}

Simulator::Simulator(SimulatorSettings settings) : settings_(std::move(settings)), start_(Clock::now())
{
    const sigset_t signals = StopSignals();
    signalFd_ = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signalFd_ < 0)
        throw std::runtime_error("signalfd: " + ErrnoText(errno));
    if (!settings_.LogPath.empty())
        log_ = EventLog(settings_.LogPath);
    if (settings_.PlayDevices) {
        socket_ = std::make_unique<UdpSocket>(settings_.Port);
        play_ = std::make_unique<DevicePlay>(settings_.Devices, settings_.Seed);
        // Without ARP the devices still play the protocol; only neighbours'
        // probes and unicasts to them go unanswered, so this is no failure.
        try {
            arp_ = std::make_unique<ArpSocket>();
        } catch (const SocketError& error) {
            arpError_ = error.what();
            std::fprintf(stderr, "muxsim: ARP is not answered: %s\n", arpError_.c_str());
        }
    }
    if (settings_.Flood)
        flood_ = std::make_unique<Flood>(*settings_.Flood, Clock::now());
}

Simulator::~Simulator()
{
    if (signalFd_ >= 0)
        close(signalFd_);
}

double Simulator::Elapsed() const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_).count() / 1000.0;
}

void Simulator::AnnounceReady()
{
    Json devices = Json::array();
    if (play_) {
        for (const DeviceState& device : play_->Devices())
            devices.push_back(DeviceJson(device));
    }
    Json hosts = Json::array();
    for (const HostConfig& host : settings_.Hosts)
        hosts.push_back(HostJson(host));
    log_.Write({{"t", Elapsed()},
                {"event", "start"},
                {"port", settings_.Port},
                {"devices", devices},
                {"hosts", hosts},
                {"transparent", socket_ && socket_->Transparent()},
                {"arp", arp_ ? Json(true) : Json(arpError_)},
                {"pid", getpid()}});
    if (!settings_.ReadyFile.empty())
        WriteFileAtomically(settings_.ReadyFile, "ready\n");
    std::printf("ready\n");
    std::fflush(stdout);
}

int Simulator::PollTimeout() const
{
    std::optional<Clock::time_point> next = delayed_.NextDue();
    for (const auto& restart : restarts_)
        next = next ? std::min(*next, restart.first) : restart.first;
    if (flood_) {
        if (const auto floodNext = flood_->NextDue(Clock::now()))
            next = next ? std::min(*next, *floodNext) : *floodNext;
        else if (!floodReported_)
            return 0;
    }
    if (!next)
        return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, wait));
}

int Simulator::Run()
{
    AnnounceReady();
    for (;;) {
        pollfd fds[4] = {{signalFd_, POLLIN, 0},
                         {socket_ ? socket_->Descriptor() : -1, POLLIN, 0},
                         {flood_ ? flood_->Descriptor() : -1, POLLIN, 0},
                         {arp_ ? arp_->Descriptor() : -1, POLLIN, 0}};
        if (poll(fds, 4, PollTimeout()) < 0 && errno != EINTR)
            throw std::runtime_error("poll: " + ErrnoText(errno));
        if (fds[0].revents & POLLIN)
            break;
        if (fds[1].revents & POLLIN) {
            // Drain what waits, but give other work a turn now and then.
            for (int i = 0; i < 256; ++i) {
                int error = 0;
                const auto datagram = socket_->Receive(error);
                if (error != 0) {
                    ++receiveErrors_;
                    log_.Write(
                        {{"t", Elapsed()}, {"event", "error"}, {"operation", "recvmsg"}, {"error", ErrnoText(error)}});
                    continue;
                }
                if (!datagram)
                    break;
                HandleDatagram(*datagram);
            }
        }
        if (fds[3].revents & POLLIN) {
            for (int i = 0; i < 256; ++i) {
                int error = 0;
                const auto frame = arp_->Receive(error);
                if (error != 0) {
                    ++receiveErrors_;
                    log_.Write(
                        {{"t", Elapsed()}, {"event", "error"}, {"operation", "recvfrom"}, {"error", ErrnoText(error)}});
                    continue;
                }
                if (!frame)
                    break;
                HandleArp(*frame);
            }
        }
        SendDueReplies();
        EndDueRestarts();
        if (flood_) {
            if (fds[2].revents & POLLIN)
                flood_->Drain();
            flood_->SendDue(Clock::now());
            if (!floodReported_ && flood_->Finished(Clock::now())) {
                ReportFlood();
                if (!play_)
                    break;
            }
        }
    }
    if (flood_ && !floodReported_)
        ReportFlood();
    log_.Write({{"t", Elapsed()},
                {"event", "stop"},
                {"received", received_},
                {"replies_sent", repliesSent_},
                {"send_errors", sendErrors_},
                {"receive_errors", receiveErrors_},
                {"replies_dropped", delayed_.Size()}});
    if (play_) {
        std::printf("muxsim: received %llu datagrams, sent %llu replies, %llu send errors, %zu delayed replies "
                    "dropped\n",
                    static_cast<unsigned long long>(received_), static_cast<unsigned long long>(repliesSent_),
                    static_cast<unsigned long long>(sendErrors_), delayed_.Size());
    }
    std::fflush(stdout);
    return 0;
}

void Simulator::ReportFlood()
{
    floodReported_ = true;
    Json summary = flood_->Summary(Clock::now());
    std::printf("flood: %s\n", summary.dump().c_str());
    std::fflush(stdout);
    Json line = {{"t", Elapsed()}};
    line.update(summary);
    log_.Write(line);
}

void Simulator::HandleDatagram(const Datagram& datagram)
{
    ++received_;
    const Outcome outcome = play_->Take(datagram.Payload, datagram.Destination);
    const auto& devices = play_->Devices();

    Json entry = {{"t", Elapsed()},
                  {"event", "received"},
                  {"from", FormatEndpoint(datagram.Sender)},
                  {"to", datagram.Destination ? Json(FormatIPv4(*datagram.Destination)) : Json(nullptr)}};
    PutPayload(entry, datagram.Payload);
    entry["command"] = CommandName(outcome.Command);
    Json takers = Json::array();
    for (std::size_t index : outcome.Takers)
        takers.push_back(BytesToUtf8(devices[index].Config.Mac));
    entry["device"] = takers.size() == 1 ? takers[0] : Json(nullptr);
    entry["devices"] = takers;

    Json replies = Json::array();
    for (const PlannedReply& reply : outcome.Replies) {
        const unsigned from = ParseIPv4(reply.From).value_or(0);
        const sockaddr_in to = ReplyTarget(reply, datagram.Sender);
        // A broadcast leaves through the segment the question came in on: by
        // route alone it would take the device address's interface, loopback.
        const int interface = reply.ToBroadcast ? datagram.InterfaceIndex : 0;
        if (reply.DelayMs > 0) {
            Json planned = {{"device", BytesToUtf8(devices[reply.Device].Config.Mac)},
                            {"from", reply.From},
                            {"to", FormatEndpoint(to)},
                            {"delay_ms", reply.DelayMs}};
            PutPayload(planned, reply.Payload);
            replies.push_back(std::move(planned));
            delayed_.Push({Clock::now() + std::chrono::milliseconds(reply.DelayMs), 0, reply.Device, from, to,
                           interface, reply.Payload});
            continue;
        }
        Json sent = SendReply(reply.Device, from, to, interface, reply.Payload);
        sent["delay_ms"] = 0;
        replies.push_back(std::move(sent));
    }
    entry["replies"] = std::move(replies);
    log_.Write(entry);

    for (const StateChange& change : outcome.Changes)
        LogChange(change);
    for (std::size_t device : outcome.Restarts)
        restarts_.emplace_back(Clock::now() + std::chrono::milliseconds(devices[device].Config.RestartMs), device);
}

void Simulator::LogChange(const StateChange& change)
{
    Json line = {{"t", Elapsed()},
                 {"event", "state"},
                 {"device", BytesToUtf8(play_->Devices()[change.Device].Config.Mac)},
                 {"field", change.Field}};
    if (change.Field == "selected" || change.Field == "logged_in" || change.Field == "restarting") {
        line["old"] = change.OldValue == "true";
        line["new"] = change.NewValue == "true";
    } else {
        line["old"] = change.OldValue;
        line["new"] = change.NewValue;
    }
    log_.Write(line);
}

void Simulator::EndDueRestarts()
{
    const auto now = Clock::now();
    std::erase_if(restarts_, [&](const auto& restart) {
        if (restart.first > now)
            return false;
        LogChange(play_->EndRestart(restart.second));
        return true;
    });
}

void Simulator::HandleArp(const ArpFrame& frame)
{
    const auto request = ParseArpRequest(frame.Packet);
    if (!request)
        return;
    Json answers = Json::array();
    auto answer = [&](const std::string& macText, Json holder) {
        const EthernetAddress mac = EthernetAddressOf(macText);
        holder["mac"] = FormatEthernetAddress(mac);
        if (const int error = arp_->Send(frame.InterfaceIndex, request->SenderHardware, ArpReply(*request, mac));
            error != 0) {
            ++sendErrors_;
            holder["error"] = "sendto: " + ErrnoText(error);
        }
        answers.push_back(std::move(holder));
    };
    for (const DeviceState& device : play_->Devices()) {
        if (!device.Restarting && ParseIPv4(device.Config.IP) == request->TargetAddress)
            answer(device.Config.Mac, {{"device", BytesToUtf8(device.Config.Mac)}});
    }
    for (const HostConfig& host : settings_.Hosts) {
        if (ParseIPv4(host.IP) == request->TargetAddress)
            answer(host.Mac, {{"host", host.IP}});
    }
    log_.Write({{"t", Elapsed()},
                {"event", "arp"},
                {"address", FormatIPv4(request->TargetAddress)},
                {"from", FormatEthernetAddress(request->SenderHardware)},
                {"sender", FormatIPv4(request->SenderAddress)},
                {"answers", std::move(answers)}});
}

Json Simulator::SendReply(std::size_t device, unsigned from, const sockaddr_in& to, int interface,
                          const std::string& payload)
{
    Json sent = {{"device", BytesToUtf8(play_->Devices()[device].Config.Mac)},
                 {"from", FormatIPv4(from)},
                 {"to", FormatEndpoint(to)}};
    PutPayload(sent, payload);
    if (const int error = socket_->SendFrom(from, to, payload, interface); error != 0) {
        ++sendErrors_;
        sent["error"] = "sendmsg: " + ErrnoText(error);
    } else {
        ++repliesSent_;
    }
    return sent;
}

void Simulator::SendDueReplies()
{
    while (auto reply = delayed_.PopDue(Clock::now())) {
        Json line = SendReply(reply->Device, reply->From, reply->To, reply->Interface, reply->Payload);
        line["t"] = Elapsed();
        line["event"] = "sent";
        log_.Write(line);
    }
}

} // namespace muxsim
