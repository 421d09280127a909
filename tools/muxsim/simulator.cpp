// SPDX-License-Identifier: MIT
#include "simulator.h"

#include "arp_message.h"
#include "byte_text.h"

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

using json = nlohmann::ordered_json;

sigset_t StopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

json DeviceJson(const DeviceState& device)
{
    const DeviceConfig& config = device.config;
    return {{"ip", config.ip},
            {"mask", config.mask},
            {"mac", BytesToUtf8(config.mac)},
            {"port", BytesToUtf8(config.port)},
            {"flags", BytesToUtf8(config.flags)},
            {"dn", BytesToUtf8(config.dn)},
            {"silent", config.faults.silent},
            {"delay_ms", config.faults.delay_ms}};
}

json HostJson(const HostConfig& host) { return {{"ip", host.ip}, {"mac", host.mac}}; }

void PutPayload(json& entry, std::string_view payload)
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
    signal_fd_ = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signal_fd_ < 0)
        throw std::runtime_error("signalfd: " + ErrnoText(errno));
    if (!settings_.log_path.empty())
        log_ = EventLog(settings_.log_path);
    if (settings_.play_devices) {
        socket_ = std::make_unique<UdpSocket>(settings_.port);
        play_ = std::make_unique<DevicePlay>(settings_.devices, settings_.seed);
        // Without ARP the devices still play the protocol; only neighbours'
        // probes and unicasts to them go unanswered, so this is no failure.
        try {
            arp_ = std::make_unique<ArpSocket>();
        } catch (const SocketError& error) {
            arp_error_ = error.what();
            std::fprintf(stderr, "muxsim: ARP is not answered: %s\n", arp_error_.c_str());
        }
    }
    if (settings_.flood)
        flood_ = std::make_unique<Flood>(*settings_.flood, Clock::now());
}

Simulator::~Simulator()
{
    if (signal_fd_ >= 0)
        close(signal_fd_);
}

double Simulator::Elapsed() const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_).count() / 1000.0;
}

void Simulator::AnnounceReady()
{
    json devices = json::array();
    if (play_) {
        for (const DeviceState& device : play_->Devices())
            devices.push_back(DeviceJson(device));
    }
    json hosts = json::array();
    for (const HostConfig& host : settings_.hosts)
        hosts.push_back(HostJson(host));
    log_.Write({{"t", Elapsed()},
                {"event", "start"},
                {"port", settings_.port},
                {"devices", devices},
                {"hosts", hosts},
                {"transparent", socket_ && socket_->Transparent()},
                {"arp", arp_ ? json(true) : json(arp_error_)},
                {"pid", getpid()}});
    if (!settings_.ready_file.empty())
        WriteFileAtomically(settings_.ready_file, "ready\n");
    std::printf("ready\n");
    std::fflush(stdout);
}

int Simulator::PollTimeout() const
{
    std::optional<Clock::time_point> next = delayed_.NextDue();
    if (flood_) {
        if (const auto flood_next = flood_->NextDue(Clock::now()))
            next = next ? std::min(*next, *flood_next) : *flood_next;
        else if (!flood_reported_)
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
        pollfd fds[4] = {{signal_fd_, POLLIN, 0},
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
                    ++receive_errors_;
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
                    ++receive_errors_;
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
        if (flood_) {
            if (fds[2].revents & POLLIN)
                flood_->Drain();
            flood_->SendDue(Clock::now());
            if (!flood_reported_ && flood_->Finished(Clock::now())) {
                ReportFlood();
                if (!play_)
                    break;
            }
        }
    }
    if (flood_ && !flood_reported_)
        ReportFlood();
    log_.Write({{"t", Elapsed()},
                {"event", "stop"},
                {"received", received_},
                {"replies_sent", replies_sent_},
                {"send_errors", send_errors_},
                {"receive_errors", receive_errors_},
                {"replies_dropped", delayed_.Size()}});
    if (play_) {
        std::printf("muxsim: received %llu datagrams, sent %llu replies, %llu send errors, %zu delayed replies "
                    "dropped\n",
                    static_cast<unsigned long long>(received_), static_cast<unsigned long long>(replies_sent_),
                    static_cast<unsigned long long>(send_errors_), delayed_.Size());
    }
    std::fflush(stdout);
    return 0;
}

void Simulator::ReportFlood()
{
    flood_reported_ = true;
    json summary = flood_->Summary(Clock::now());
    std::printf("flood: %s\n", summary.dump().c_str());
    std::fflush(stdout);
    json line = {{"t", Elapsed()}};
    line.update(summary);
    log_.Write(line);
}

void Simulator::HandleDatagram(const Datagram& datagram)
{
    ++received_;
    const Outcome outcome = play_->Take(datagram.payload, datagram.destination);
    const auto& devices = play_->Devices();

    json entry = {{"t", Elapsed()},
                  {"event", "received"},
                  {"from", FormatEndpoint(datagram.sender)},
                  {"to", datagram.destination ? json(FormatIPv4(*datagram.destination)) : json(nullptr)}};
    PutPayload(entry, datagram.payload);
    entry["command"] = CommandName(outcome.command);
    json takers = json::array();
    for (std::size_t index : outcome.takers)
        takers.push_back(BytesToUtf8(devices[index].config.mac));
    entry["device"] = takers.size() == 1 ? takers[0] : json(nullptr);
    entry["devices"] = takers;

    json replies = json::array();
    for (const PlannedReply& reply : outcome.replies) {
        const unsigned from = ParseIPv4(reply.from).value_or(0);
        if (reply.delay_ms > 0) {
            json planned = {{"device", BytesToUtf8(devices[reply.device].config.mac)},
                            {"from", reply.from},
                            {"to", FormatEndpoint(datagram.sender)},
                            {"delay_ms", reply.delay_ms}};
            PutPayload(planned, reply.payload);
            replies.push_back(std::move(planned));
            delayed_.Push({Clock::now() + std::chrono::milliseconds(reply.delay_ms), 0, reply.device, from,
                           datagram.sender, reply.payload});
            continue;
        }
        json sent = SendReply(reply.device, from, datagram.sender, reply.payload);
        sent["delay_ms"] = 0;
        replies.push_back(std::move(sent));
    }
    entry["replies"] = std::move(replies);
    log_.Write(entry);

    for (const StateChange& change : outcome.changes) {
        json line = {{"t", Elapsed()},
                     {"event", "state"},
                     {"device", BytesToUtf8(devices[change.device].config.mac)},
                     {"field", change.field}};
        if (change.field == "selected" || change.field == "logged_in") {
            line["old"] = change.old_value == "true";
            line["new"] = change.new_value == "true";
        } else {
            line["old"] = change.old_value;
            line["new"] = change.new_value;
        }
        log_.Write(line);
    }
}

void Simulator::HandleArp(const ArpFrame& frame)
{
    const auto request = ParseArpRequest(frame.packet);
    if (!request)
        return;
    json answers = json::array();
    auto answer = [&](const std::string& mac_text, json holder) {
        const EthernetAddress mac = EthernetAddressOf(mac_text);
        holder["mac"] = FormatEthernetAddress(mac);
        if (const int error = arp_->Send(frame.interface_index, request->sender_hardware, ArpReply(*request, mac));
            error != 0) {
            ++send_errors_;
            holder["error"] = "sendto: " + ErrnoText(error);
        }
        answers.push_back(std::move(holder));
    };
    for (const DeviceState& device : play_->Devices()) {
        if (ParseIPv4(device.config.ip) == request->target_address)
            answer(device.config.mac, {{"device", BytesToUtf8(device.config.mac)}});
    }
    for (const HostConfig& host : settings_.hosts) {
        if (ParseIPv4(host.ip) == request->target_address)
            answer(host.mac, {{"host", host.ip}});
    }
    log_.Write({{"t", Elapsed()},
                {"event", "arp"},
                {"address", FormatIPv4(request->target_address)},
                {"from", FormatEthernetAddress(request->sender_hardware)},
                {"sender", FormatIPv4(request->sender_address)},
                {"answers", std::move(answers)}});
}

json Simulator::SendReply(std::size_t device, unsigned from, const sockaddr_in& to, const std::string& payload)
{
    json sent = {{"device", BytesToUtf8(play_->Devices()[device].config.mac)},
                 {"from", FormatIPv4(from)},
                 {"to", FormatEndpoint(to)}};
    PutPayload(sent, payload);
    if (const int error = socket_->SendFrom(from, to, payload); error != 0) {
        ++send_errors_;
        sent["error"] = "sendmsg: " + ErrnoText(error);
    } else {
        ++replies_sent_;
    }
    return sent;
}

void Simulator::SendDueReplies()
{
    while (auto reply = delayed_.PopDue(Clock::now())) {
        json line = SendReply(reply->device, reply->from, reply->to, reply->payload);
        line["t"] = Elapsed();
        line["event"] = "sent";
        log_.Write(line);
    }
}

} // namespace muxsim
