// SPDX-License-Identifier: MIT
// Datagrams of any bytes, any sender text and any interface index into the
// device engine, on a transport with a clock of its own (deadlines cost
// nothing, nothing is sent on any network). The input picks a small fleet of
// simulated devices (sometimes a crowd of 250 and more), their faults, the
// interfaces, and a run of operations: full or quick discoveries, changes,
// closings, an Abandon, a socket that fails at some send. Fuzzed datagrams
// meet every state: waiting before a cycle or between operations, and
// arriving after any command (the collection window, a per-device read, a
// change's steps) at any delay.
//
// After every operation, checked against a restatement of the rules:
// discovery records the first reply of each MAC that arrived in the
// collection window, up to 255; the rows never hold one MAC twice, each row
// carries the MAC, port, E flag, sender and interface of that reply; the
// rows are the recorded devices that were read (all of them, for a quick
// discovery), each run between unlisted ones in descending key order; every
// recorded device is listed or reported unread; every operation ends within
// 2000 ms per command it sent, plus the pauses; a failed socket is reported
// once and ends all work: nothing is sent after it or after an Abandon.
#include "fake_transport.h"
#include "fuzz_check.h"

#include "protocol/device_session.h"
#include "protocol/protocol_constants.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <arpa/inet.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

using namespace protocol;

namespace {

using Ms = FakeTransport::Ms;

// ---- the rules, restated ----------------------------------------------------

// The harness's own bookkeeping lives in one pool for the whole process, so
// that the checks cost next to no allocator work per input.
std::pmr::memory_resource* CheckMemory()
{
    static std::pmr::unsynchronized_pool_resource pool;
    return &pool;
}

struct Recorded {
    std::string Mac, Port, Address, Interface;
    bool FlagE = false;
};

// Sort key: the address's octets o1.o2.o3.o4 as the signed value o4 o3 o2 o1;
// a text inet_addr cannot read counts as 255.255.255.255.
int32_t Key(const std::string& address)
{
    const uint32_t value = ntohl(inet_addr(address.c_str())); // o1 is the top byte
    const uint32_t swapped =
        (value & 0xFF) << 24 | (value >> 8 & 0xFF) << 16 | (value >> 16 & 0xFF) << 8 | (value >> 24);
    return static_cast<int32_t>(swapped);
}

// What one collection window recorded, from the datagrams it was handed.
struct Model {
    bool Restricted = false, Routed = false;
    std::pmr::vector<Recorded> Order{CheckMemory()};                                // in the order recorded
    std::pmr::unordered_map<std::string_view, std::size_t> Position{CheckMemory()}; // MAC -> its place in order

    Model() { Order.reserve(kDeviceSlots); } // the views in position stay valid

    // "A" MAC "/" port "/" flags ["/" ...], each field up to the next "/".
    void Take(const Datagram& d)
    {
        if (d.Text.empty() || d.Text[0] != 'A' || (Restricted && d.Interface != 3))
            return;
        std::string_view fields[3];
        std::string_view rest = std::string_view(d.Text).substr(1);
        for (std::string_view& field : fields) {
            const std::size_t slash = rest.find('/');
            field = rest.substr(0, slash);
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        }
        if (fields[0].empty() || Position.count(fields[0]) || Order.size() == kDeviceSlots)
            return;
        const bool flagE = fields[2].size() >= 3 && fields[2][2] == 'E';
        Order.push_back(
            {std::string(fields[0]), std::string(fields[1]), d.Sender, Routed && d.Interface == 3 ? "eth" : "", flagE});
        Position.emplace(Order.back().Mac, Order.size() - 1);
    }
};

// The fake transport, also feeding the datagrams it hands over in a
// discovery's collection window (after its "X", before any other command)
// to the model of that window.
class WatchedTransport : public FakeTransport {
public:
    Model* Window = nullptr;
    std::size_t WindowSends = 0; // commands sent when the window is open

    void SetReceiver(Receiver receiver) override
    {
        FakeTransport::SetReceiver(receiver ? Receiver([this, receiver](const Datagram& datagram) {
            if (Window != nullptr && Sent.size() == WindowSends)
                Window->Take(datagram);
            receiver(datagram);
        })
                                            : Receiver());
    }
};

// ---- the run ----------------------------------------------------------------

// The discovery reply of crowd member n, short enough for no text of it to
// need the allocator. Their addresses descend in blocks of eight, each block
// ascending, below every other key: a full table that the listing's sort puts
// right in a few passes (the engine's tests take the sort's worst order).
const Datagram& CrowdReply(int n)
{
    static const std::vector<Datagram> replies = [] {
        std::vector<Datagram> all;
        for (int n = 0; n < 260; ++n)
            all.push_back(
                {"Ac" + std::to_string(n) + "/1001/000", "10.1." + std::to_string((255 - n % 256) ^ 7) + ".128", 0});
        return all;
    }();
    return replies.at(std::size_t(n));
}

struct Run {
    WatchedTransport Transport;
    FakeFleet Fleet{Transport};
    DeviceSession Session{Transport};
    std::function<void(FakeTransport&, const std::string&)> Answer = Transport.OnBroadcast;
    std::multimap<std::size_t, std::pair<Ms, Datagram>> Arrivals; // by the send they follow
    int AbandonAtSend = -1;
    int Crowd = 0; // devices that answer only "X", enough to fill the table
    int Failures = 0;
    std::vector<DeviceRow> Rows;
    bool Restricted = false, Routed = false;
    std::size_t StoppedAt = SIZE_MAX; // commands sent when the work ended

    Run()
    {
        Session.SetFailureHandler([this](int32_t, const std::string&) { ++Failures; });
        Transport.OnBroadcast = [this](FakeTransport& t, const std::string& command) {
            Answer(t, command);
            for (int n = 0; command == "X" && n < Crowd; ++n)
                t.Schedule(Ms(2), CrowdReply(n));
            const std::size_t index = Transport.Sent.size() - 1;
            for (auto [at, end] = Arrivals.equal_range(index); at != end; ++at)
                t.Schedule(at->second.first, at->second.second);
            if (int(index) == AbandonAtSend)
                Session.Abandon();
        };
    }
};

Datagram NextDatagram(FuzzedDataProvider& in, const Run& run)
{
    Datagram d;
    const uint8_t shape = in.ConsumeIntegral<uint8_t>();
    const auto& devices = run.Fleet.Devices;
    switch (shape % 4) {
    case 0: d.Sender = devices.empty() ? "" : devices[in.ConsumeIntegral<uint8_t>() % devices.size()].Address; break;
    case 1: d.Sender = in.ConsumeRandomLengthString(20); break;
    case 2: d.Sender = "10.0.0." + std::to_string(in.ConsumeIntegral<uint8_t>()); break;
    default: d.Sender = "255.255.255.255"; break;
    }
    // A datagram always has a sender: no socket delivers an empty one.
    if (d.Sender.empty())
        d.Sender = "?";
    d.Interface = shape & 0x10 ? 3 : in.ConsumeIntegral<uint8_t>() % 8;
    d.Text = in.ConsumeRandomLengthString(80);
    return d;
}

FakeDevice NextDevice(FuzzedDataProvider& in, int number)
{
    static const char* const kReplies[] = {"", "A", "C", "D", "F", "Ax"};
    FakeDevice device;
    device.Mac = "MAC-" + std::to_string(number);
    device.Address = "192.168." + std::to_string(number / 200) + "." + std::to_string(number % 200 + 1);
    device.Flags = in.ConsumeBool() ? "00E" : "000";
    const uint8_t faults = in.ConsumeIntegral<uint8_t>();
    for (const char* command : {"W", "L", "GNM", "A"})
        if (faults & (1u << (command[0] % 8)))
            device.Replies[command] = kReplies[in.ConsumeIntegral<uint8_t>() % 6];
    return device;
}

void CheckDiscovery(Run& run, const Model& model, const DiscoveryResult& found, DiscoveryDepth depth)
{
    if (run.Session.Abandoned()) {
        FUZZ_CHECK(!found.Finished && found.Rows.empty(), "an ended session listed devices");
        return;
    }
    FUZZ_CHECK(found.Finished, "an unfinished discovery without an Abandon");
    FUZZ_CHECK(found.Rows.size() <= kDeviceSlots, "more than 255 rows");
    std::pmr::vector<bool> listed(model.Order.size(), false, CheckMemory());
    std::pmr::vector<std::size_t> rowPositions(CheckMemory());
    for (const DeviceRow& row : found.Rows) {
        const auto recorded = model.Position.find(row.Mac);
        FUZZ_CHECK(recorded != model.Position.end(), "\"" + Escaped(row.Mac) + "\" listed but never recorded");
        FUZZ_CHECK(!listed[recorded->second], "the MAC \"" + Escaped(row.Mac) + "\" is listed twice");
        listed[recorded->second] = true;
        rowPositions.push_back(recorded->second);
        const Recorded& r = model.Order[recorded->second];
        FUZZ_CHECK(row.Port == r.Port && row.FlagE == r.FlagE && row.Address == r.Address &&
                       row.Interface == r.Interface,
                   "the row of \"" + Escaped(row.Mac) + "\" is not its first discovery reply");
        FUZZ_CHECK((row.Image == DeviceRow::kImageLetterE) == (row.FlagE && row.MacAlsoAt.empty()), "the E mark");
    }
    std::size_t unlisted = 0;
    for (const UnreadDevice& device : found.Unread) {
        const auto recorded = model.Position.find(device.Mac);
        FUZZ_CHECK(recorded != model.Position.end() && device.Listed == listed[recorded->second],
                   "unread \"" + Escaped(device.Mac) + "\"");
        unlisted += device.Listed ? 0 : 1;
    }
    const std::size_t expected = depth == DiscoveryDepth::Quick ? found.Rows.size() : found.Rows.size() + unlisted;
    FUZZ_CHECK(expected == model.Order.size(),
               "recorded " + std::to_string(model.Order.size()) + ", listed " + std::to_string(found.Rows.size()) +
                   ", unread " + std::to_string(unlisted));
    // Runs of listed devices in the order recorded, each sorted on its own.
    std::size_t row = 0;
    for (std::size_t first = 0; first < model.Order.size();) {
        std::size_t end = first;
        while (end < model.Order.size() && listed[end])
            ++end;
        for (std::size_t n = row; n < row + (end - first); ++n) {
            FUZZ_CHECK(rowPositions[n] >= first && rowPositions[n] < end, "row " + std::to_string(n) + " left its run");
            FUZZ_CHECK(n == row || Key(found.Rows[n - 1].Address) >= Key(found.Rows[n].Address),
                       "rows " + std::to_string(n - 1) + " and " + std::to_string(n) + " out of key order");
        }
        row += end - first;
        first = end + 1;
    }
}

void Operate(Run& run, FuzzedDataProvider& in)
{
    FakeTransport& t = run.Transport;
    const std::size_t sentBefore = t.Sent.size();
    const Ms start = t.Elapsed();
    // Datagrams that wait before the operation, and those that come after
    // one of its first commands.
    for (int n = in.ConsumeIntegralInRange(0, 2); n > 0; --n)
        t.Queue(NextDatagram(in, run));
    for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n) {
        const std::size_t after = sentBefore + in.ConsumeIntegralInRange(0, 12);
        const Ms delay(in.ConsumeIntegralInRange(0, 2600));
        run.Arrivals.emplace(after, std::make_pair(delay, NextDatagram(in, run)));
    }
    Ms allowed(0);
    switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0:
    case 1:
    case 2: {
        const DiscoveryDepth depth = in.ConsumeBool() ? DiscoveryDepth::Full : DiscoveryDepth::Quick;
        Model window;
        window.Restricted = run.Restricted;
        window.Routed = run.Routed;
        run.Transport.Window = &window;
        run.Transport.WindowSends = sentBefore + 1;
        DiscoveryResult found = run.Session.Discover(depth);
        run.Transport.Window = nullptr;
        CheckDiscovery(run, window, found, depth);
        run.Rows = std::move(found.Rows);
        allowed = Ms(kCollectionWindowMs);
        break;
    }
    case 3:
    case 4: {
        DeviceRow device;
        if (!run.Rows.empty() && in.ConsumeBool()) {
            device = run.Rows[in.ConsumeIntegral<uint8_t>() % run.Rows.size()];
        } else if (!run.Fleet.Devices.empty()) {
            const FakeDevice& chosen = run.Fleet.Devices[in.ConsumeIntegral<uint8_t>() % run.Fleet.Devices.size()];
            device.Address = chosen.Address;
            device.Mac = chosen.Mac;
        }
        const std::string address = in.ConsumeBool() ? device.Address : "172.16.0." + std::to_string(run.Rows.size());
        const ChangeOutcome outcome = run.Session.Change(device, address, in.ConsumeBool() ? "" : "255.255.0.0");
        FUZZ_CHECK(outcome.Ok() == (outcome.FailedStep == ChangeOutcome::Step::None), "a change's outcome");
        FUZZ_CHECK(!outcome.MaskTaken || outcome.AddressTaken, "a mask taken without the address");
        break;
    }
    default:
        run.Session.Close();
        allowed = Ms(1);
        break;
    }
    std::size_t selections = 0;
    for (std::size_t n = sentBefore; n < t.Sent.size(); ++n)
        selections += t.Sent[n].Command[0] == 'W' ? 1 : 0;
    allowed += Ms(kReplyTimeoutMs) * long(t.Sent.size() - sentBefore) + Ms(kSelectionPauseMs) * long(selections);
    FUZZ_CHECK(t.Elapsed() - start <= allowed,
               "an operation took " + std::to_string((t.Elapsed() - start).count()) + " ms, at most " +
                   std::to_string(allowed.count()) + " allowed");
    if (run.Session.Abandoned() && run.StoppedAt == SIZE_MAX)
        run.StoppedAt = t.Sent.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    Run run;
    for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n)
        run.Fleet.Devices.push_back(NextDevice(in, n));
    run.Crowd = in.ConsumeIntegralInRange(0, 15) == 0 ? in.ConsumeIntegralInRange(245, 260) : 0;
    // No interface given (the routing table chooses), or one, perhaps the only one replies count through.
    if (in.ConsumeBool()) {
        run.Routed = true;
        run.Restricted = in.ConsumeBool();
        run.Transport.Routes = {{{3, "eth", "192.168.0.254"}}, run.Restricted};
    }
    run.Transport.Names = {{3, "eth"}};
    if (in.ConsumeIntegralInRange(0, 3) == 0)
        run.Transport.FailSendsAfter = in.ConsumeIntegralInRange(0, 12);
    if (in.ConsumeIntegralInRange(0, 5) == 0)
        run.AbandonAtSend = in.ConsumeIntegralInRange(0, 12);

    for (int n = in.ConsumeIntegralInRange(1, 4); n > 0 && in.remaining_bytes() > 0; --n)
        Operate(run, in);

    const std::size_t sent = run.Transport.Sent.size();
    FUZZ_CHECK(run.Failures <= 1, "a failure reported " + std::to_string(run.Failures) + " times");
    if (run.Failures == 1)
        FUZZ_CHECK(run.Session.Abandoned() && sent == std::size_t(run.Transport.FailSendsAfter),
                   "commands sent after the socket failed");
    else if (run.AbandonAtSend >= 0 && sent > std::size_t(run.AbandonAtSend))
        FUZZ_CHECK(run.Session.Abandoned() && sent == std::size_t(run.AbandonAtSend) + 1,
                   "commands sent after an Abandon");
    if (run.Session.Abandoned())
        FUZZ_CHECK(sent == run.StoppedAt, "commands sent after the work ended");
    return 0;
}
