// SPDX-License-Identifier: MIT
// A transport with a clock of its own, for fast and deterministic engine
// tests and the fuzz target: waits jump the clock to the next datagram or to
// the deadline, and a small fleet answers broadcasts as multiplexers do.
#pragma once
#include "protocol/protocol_constants.h"
#include "protocol/transport.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class FakeTransport : public protocol::Transport {
public:
    using TimePoint = protocol::TimePoint;
    using Ms = protocol::Milliseconds;

    struct SentCommand {
        Ms At; // since the transport was made
        protocol::Route Route;
        std::string Command;
    };

    // Called for every broadcast that left; schedules the devices' answers.
    std::function<void(FakeTransport&, const std::string& command)> OnBroadcast;

    void Schedule(Ms after, protocol::Datagram datagram)
    {
        datagrams_.push_back(std::move(datagram));
        due_.push_back({now_ + after, datagrams_.size() - 1});
        std::push_heap(due_.begin(), due_.end(), Later);
    }
    // A datagram that waits in the receive queue already.
    void Queue(protocol::Datagram datagram) { waiting_.push_back(std::move(datagram)); }
    Ms Elapsed() const { return std::chrono::duration_cast<Ms>(now_ - start_); }
    std::vector<std::string> Commands() const
    {
        std::vector<std::string> out;
        for (const SentCommand& sent : Sent)
            out.push_back(sent.Command);
        return out;
    }

    std::vector<SentCommand> Sent;
    DiscoveryRoutes Routes;
    std::set<std::string> GoneInterfaces; // broadcasts through these find them gone
    int FailSendsAfter = -1;              // the socket fails at this send (0-based)
    std::map<uint32_t, std::string> Names;

    void SetReceiver(Receiver receiver) override { receiver_ = std::move(receiver); }
    void SetFailureHandler(FailureHandler handler) override { failure_ = std::move(handler); }
    void UseDiscoveryPort() override {}
    protocol::SendResult Broadcast(const protocol::Route& route, const std::string& command, PortForm) override
    {
        if (GoneInterfaces.count(route.Name) != 0)
            return protocol::SendResult::InterfaceGone;
        if (FailSendsAfter >= 0 && int(Sent.size()) >= FailSendsAfter) {
            if (failure_)
                failure_(10013, "Send failed: Socket permission denied");
            return protocol::SendResult::Failed;
        }
        Sent.push_back({Elapsed(), route, command});
        if (OnBroadcast)
            OnBroadcast(*this, command);
        return protocol::SendResult::Sent;
    }
    DiscoveryRoutes RoutesForDiscovery() override { return Routes; }
    std::string InterfaceName(uint32_t index) override { return Names.count(index) ? Names[index] : ""; }
    TimePoint Now() const override { return now_; }
    bool RunUntil(TimePoint deadline, const std::function<bool()>& done) override
    {
        DeliverWaiting();
        while (!done()) {
            if (wokenUp_) {
                wokenUp_ = false;
                continue;
            }
            if (due_.empty() || due_.front().At > deadline) {
                now_ = std::max(now_, deadline);
                return done();
            }
            std::pop_heap(due_.begin(), due_.end(), Later);
            const Due next = due_.back();
            due_.pop_back();
            now_ = std::max(now_, next.At);
            const protocol::Datagram datagram = std::move(datagrams_[next.Index]);
            if (due_.empty())
                datagrams_.clear();
            if (receiver_)
                receiver_(datagram);
        }
        return true;
    }
    void DeliverWaiting() override
    {
        std::vector<protocol::Datagram> waiting;
        waiting.swap(waiting_);
        for (const protocol::Datagram& datagram : waiting)
            if (receiver_)
                receiver_(datagram);
    }
    void WakeUp() override { wokenUp_ = true; }

private:
    // The datagrams to come, in the order scheduled since none was left, and
    // a heap of when each is due: the earliest first, those due at the same
    // moment in the order they were scheduled.
    struct Due {
        TimePoint At;
        std::size_t Index; // into datagrams_
    };
    static bool Later(const Due& a, const Due& b) { return a.At != b.At ? a.At > b.At : a.Index > b.Index; }

    TimePoint start_{};
    TimePoint now_{};
    std::vector<protocol::Datagram> datagrams_;
    std::vector<Due> due_;
    std::vector<protocol::Datagram> waiting_;
    Receiver receiver_;
    FailureHandler failure_;
    bool wokenUp_ = false;
};

// Multiplexers as the engine meets them: "X" is answered by all, "W"+MAC
// selects one, and the selected one answers the rest. A reply of "" is
// silence. Every answer comes 1 ms after its command.
struct FakeDevice {
    std::string Mac;
    std::string Address;
    std::string Port = "1001";
    std::string Flags = "000";
    std::string Mask = "255.255.255.0";
    std::string Dn = "0";
    std::map<std::string, std::string> Replies; // by command name: "W", "L", "GNM", "GDN", "SNM", "A"
    // Restarts after the "E" that closes a change: silent for this long.
    FakeTransport::Ms RestartAfterChange{0};
    FakeTransport::Ms SilentUntil{0};
    FakeTransport::Ms DiscoveryDelay{1}; // its answer to "X" comes this long after it
    bool Changed = false;
    std::string ReplyTo(const std::string& name, const std::string& usual) const
    {
        const auto found = Replies.find(name);
        return found == Replies.end() ? usual : found->second;
    }
};

class FakeFleet {
public:
    explicit FakeFleet(FakeTransport& transport, std::vector<FakeDevice> devices = {}) : Devices(std::move(devices))
    {
        transport.OnBroadcast = [this](FakeTransport& t, const std::string& command) { Answer(t, command); };
    }

    std::vector<FakeDevice> Devices;

private:
    void Reply(FakeTransport& t, const FakeDevice& device, const std::string& text,
               FakeTransport::Ms after = FakeTransport::Ms(1))
    {
        if (!text.empty() && t.Elapsed() >= device.SilentUntil)
            t.Schedule(after, {text, device.Address, 0});
    }
    FakeDevice* ByMac(const std::string& mac)
    {
        for (FakeDevice& device : Devices)
            if (device.Mac == mac)
                return &device;
        return nullptr;
    }
    void Answer(FakeTransport& t, const std::string& command)
    {
        const std::string password = protocol::kDevicePassword;
        if (command == "X") {
            for (const FakeDevice& device : Devices)
                Reply(t, device, "A" + device.Mac + "/" + device.Port + "/" + device.Flags, device.DiscoveryDelay);
        } else if (command[0] == 'W') {
            selected_ = ByMac(command.substr(1));
            for (const FakeDevice& device : Devices) // twins answer too
                if (device.Mac == command.substr(1))
                    Reply(t, device, device.ReplyTo("W", "A"));
        } else if (command == "E") {
            for (FakeDevice& device : Devices)
                if (device.Changed) {
                    device.Changed = false;
                    device.SilentUntil = t.Elapsed() + device.RestartAfterChange;
                }
            selected_ = nullptr;
        } else if (command[0] == 'A') {
            const auto slash = command.find('/');
            for (FakeDevice& device : Devices) {
                if (device.Mac != command.substr(1, slash - 1))
                    continue;
                const std::string reply = device.ReplyTo("A", "A");
                if (reply.empty() || reply[0] == 'A') {
                    device.Address = command.substr(slash + 1 + password.size() + 1);
                    device.Changed = true;
                }
                Reply(t, device, reply);
            }
        } else if (selected_ != nullptr) {
            FakeDevice& device = *selected_;
            if (command == "L" + password)
                Reply(t, device, device.ReplyTo("L", "A"));
            else if (command == "GNM")
                Reply(t, device, device.ReplyTo("GNM", "A" + device.Mask));
            else if (command == "GDN")
                Reply(t, device, device.ReplyTo("GDN", "A" + device.Dn));
            else if (command.rfind("SNM", 0) == 0) {
                const std::string reply = device.ReplyTo("SNM", "A");
                if (reply == "A") {
                    device.Mask = command.substr(3);
                    device.Changed = true;
                }
                Reply(t, device, reply);
            }
        }
    }

    FakeDevice* selected_ = nullptr;
};
