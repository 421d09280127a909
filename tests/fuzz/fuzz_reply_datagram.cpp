// SPDX-License-Identifier: MIT
// Reply datagrams of any bytes and any length (0 to 65507) into the request
// engine and the device table, in every state a datagram can meet:
//   - no request pending, as at program start (nothing may change);
//   - the discovery collection window open, the table empty, part-full or
//     full (255 devices), each datagram recorded or not; sometimes with
//     datagrams that waited unread from before the cycle, which
//     StartDiscovery must take before it sends "X";
//   - a request pending (SendCommand waiting for its acknowledgement), and
//     the idle state it leaves behind;
//   - the dispatcher called directly with any kind and any sender text.
//
// Path. Datagrams of the first three states travel the real way: a plain
// socket bound to a 127.x.y.z address from the input sends them over the
// loopback to the real command socket (a TUDPSocket bound to port 1153 with
// a 4096-byte packet size, as the main window has it), whose readiness
// notification reaches the real data-available handler on the Qt event
// loop, which reads the datagram and dispatches it. That costs a few tens of
// microseconds per datagram, cheap enough for every iteration. The direct
// state calls DispatchReply/RecordDevice itself, to reach what the socket
// cannot carry: sender texts that are no address, "TIMEOUT", kinds other
// than the current one (kind 3 is only ever pending after a selection and a
// login with their 500 ms pause, too slow for a fuzzer; the soak covers it).
//
// Invariants, checked against a model of the documented rules after every
// datagram: the table never holds one MAC in two slots nor more than 255
// devices; recorded devices fill slots 1..n in arrival order, each with the
// MAC, port and E flag its datagram carried and the sender's address;
// ReplyStatus and LastReply are what the rules make of the datagram; every
// dispatched datagram stops the reply timer; a datagram over 4096 bytes
// reports error 10040 through OnError and is dropped: no reply, no change;
// a pending request always ends: a datagram that settles nothing leaves it
// pending for the next one, and left alone it ends with 4 by its 2000 ms
// deadline (tried for real at most every 30 s of fuzzing, since it costs
// 2 s; in between a later "A" ends it).
//
// Sends: only inside a private network namespace with nothing but the
// loopback (scripts/fuzz), where the engine's broadcasts go nowhere.
#include "fuzz_check.h"
#include "fuzz_process.h"

#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"
#include "protocol/device_protocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <fuzzer/FuzzedDataProvider.h>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace protocol;

namespace {

constexpr std::size_t kPacketSize = 4096;       // the command socket's MaxPacketSize
constexpr std::size_t kLargestDatagram = 65507; // IPv4 UDP payload limit
constexpr uint16_t kCommandPort = 1153;

// What the run reached, printed when it ends.
struct Reached {
    uint64_t realDatagrams = 0, truncated = 0, directDispatches = 0, recorded = 0, refusedFull = 0, settledPending = 0,
             endedByLaterReply = 0, endedByDeadline = 0, staleTaken = 0;
    ~Reached()
    {
        std::fprintf(stderr,
                     "fuzz_reply_datagram reached: %llu datagrams through the socket (%llu over 4096 bytes), "
                     "%llu waiting from before a cycle, %llu direct dispatches, %llu devices recorded, %llu new "
                     "devices refused by a full table, pending requests settled by a fuzzed reply %llu, by a later "
                     "reply %llu, by the 2000 ms deadline %llu\n",
                     (unsigned long long)realDatagrams, (unsigned long long)truncated, (unsigned long long)staleTaken,
                     (unsigned long long)directDispatches, (unsigned long long)recorded,
                     (unsigned long long)refusedFull, (unsigned long long)settledPending,
                     (unsigned long long)endedByLaterReply, (unsigned long long)endedByDeadline);
    }
};
Reached reached;

// ---- the documented rules, restated ----------------------------------------

struct Record {
    std::string mac, port, address;
    bool flagE = false;
};

struct ReplyFields {
    std::string mac, port, flags;
};

// "A" MAC "/" port "/" flags ["/" ignored]: from the second character, each
// field up to the next "/".
ReplyFields SplitFields(const std::string& text)
{
    ReplyFields fields;
    std::string* into[] = {&fields.mac, &fields.port, &fields.flags};
    int field = 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '/') {
            if (++field == 3)
                break;
            continue;
        }
        into[field]->push_back(text[i]);
    }
    return fields;
}

struct EngineModel {
    uint8_t status = kStatusOk;
    std::string lastReply;
    std::vector<Record> table;
    bool timerStopped = false; // the last dispatch stopped the reply timer

    void Record(const std::string& text, const std::string& sender)
    {
        if (text.empty() || text[0] != 'A') {
            status = kStatusNoReply;
            return;
        }
        ReplyFields fields = SplitFields(text);
        // A reply without a MAC names no device; a known MAC is not new; a
        // full table keeps what it has. None of them settles the status.
        if (fields.mac.empty())
            return;
        for (const auto& record : table) {
            if (record.mac == fields.mac)
                return;
        }
        if (table.size() == DeviceTable::kSlots) {
            ++reached.refusedFull;
            return;
        }
        ++reached.recorded;
        const bool flagE = fields.flags.size() >= 3 && fields.flags[2] == 'E';
        table.push_back({fields.mac, fields.port, sender, flagE});
        status = kStatusOk;
    }

    void Dispatch(const std::string& text, const std::string& sender, uint8_t kind)
    {
        timerStopped = false;
        if (text.empty() && sender.empty())
            return;
        timerStopped = true;
        if (sender == "TIMEOUT") {
            status = kStatusNoReply;
            return;
        }
        if (kind == kReplyDiscovery) {
            Record(text, sender);
            return;
        }
        if (kind != kReplyAcknowledgement && kind != kReplyValue)
            return;
        const char letter = text.empty() ? '\0' : text[0];
        switch (letter) {
        case 'A': status = 0; break;
        case 'C': status = 1; break;
        case 'F': status = 2; break;
        case 'D': status = 3; break;
        default: return; // settles nothing
        }
        if (kind == kReplyValue && letter == 'A')
            lastReply = text;
    }

    void StartDiscovery()
    {
        table.clear();
        status = kStatusPending;
    }
};

// ---- what the main window gives the protocol ----------------------------

class RecordingList : public DeviceListView {
public:
    void Clear() override { rows = 0; }
    void SetEnabled(bool value) override { enabled = value; }
    void AddRow(const DeviceRow&) override { ++rows; }
    void Repaint() override {}
    int rows = 0;
    bool enabled = true;
};

class RecordingMessages : public OperatorMessages {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// ---- the rig: one command socket for the whole run ------------------------

struct Rig {
    net::TUDPSocket socket;
    std::vector<int32_t> socketErrors; // OnError codes since the last check
    DeviceProtocol* protocol = nullptr;
    std::function<void()> afterDispatch;
    uint64_t delivered = 0;
    QTimer wakeUp; // bounds each blocking pass of the loop while waiting

    Rig()
    {
        socket.OnError = [this](net::ASocket& s) { socketErrors.push_back(s.ErrorCode()); };
        wakeUp.setInterval(50);
    }

    // Takes over the command socket from a protocol that has just configured
    // it: bound to the command port at once, and its datagrams counted.
    void Attach(DeviceProtocol& engine)
    {
        protocol = &engine;
        socket.SetLocalPort(kCommandLocalPort);
        socket.SetBound(true);
        socket.OnDataAvailable = [this](net::AUDPSocket&) {
            // A notification can come with nothing waiting (the datagram was
            // taken already); only one that had a datagram to read counts.
            if (!Waiting())
                return;
            if (protocol) {
                protocol->GniazdoTransmisjiRozkazowDoModuluDataAvailable();
            } else {
                std::string stray;
                sockaddr_in from{};
                socket.ReadPacket(stray, from);
            }
            ++delivered;
            if (afterDispatch)
                afterDispatch();
        };
    }

    // Whether a datagram waits in the command socket's queue.
    bool Waiting() const
    {
        char byte;
        return ::recv(socket.SocketHandle(), &byte, 1, MSG_PEEK | MSG_DONTWAIT) >= 0;
    }
};

Rig& TheRig()
{
    static Rig* rig = new Rig; // lives until the process ends
    return *rig;
}

std::string DottedHostOrder(uint32_t address)
{
    char text[INET_ADDRSTRLEN];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF, (address >> 8) & 0xFF,
                  address & 0xFF);
    return text;
}

// One datagram to the command port from a socket of its own bound to the
// given loopback address.
void SendFrom(uint32_t senderHostOrder, const std::string& payload)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    FUZZ_CHECK(fd >= 0, "no sending socket");
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(senderHostOrder);
    FUZZ_CHECK(::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0,
               "cannot bind the sender to " + DottedHostOrder(senderHostOrder));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kCommandPort);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const ssize_t sent = ::sendto(fd, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ::close(fd);
    FUZZ_CHECK(sent == static_cast<ssize_t>(payload.size()), "the loopback refused a datagram");
}

// Runs the event loop until the data-available handler has run `count` more times.
void AwaitDeliveries(uint64_t count)
{
    Rig& rig = TheRig();
    const uint64_t target = rig.delivered + count;
    QElapsedTimer waited;
    waited.start();
    rig.wakeUp.start();
    while (rig.delivered < target) {
        FUZZ_CHECK(waited.elapsed() < 5000,
                   "a datagram on the loopback did not reach the data-available handler in 5 s");
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    rig.wakeUp.stop();
}

// ---- one iteration ---------------------------------------------------------

struct Datagram {
    std::string payload;
    uint32_t sender = INADDR_LOOPBACK; // host order, a 127/8 address
    // For direct dispatch only:
    std::string senderText;
    uint8_t kind = 0;
};

Datagram NextDatagram(FuzzedDataProvider& in)
{
    Datagram d;
    const uint8_t shape = in.ConsumeIntegral<uint8_t>();
    d.sender = (127u << 24) | (in.ConsumeIntegral<uint16_t>() << 8) | (1u + in.ConsumeIntegral<uint8_t>() % 254u);
    switch (shape % 4) {
    case 0: d.senderText = DottedHostOrder(d.sender); break;
    case 1: d.senderText = in.ConsumeRandomLengthString(40); break;
    case 2: d.senderText = "TIMEOUT"; break;
    default: d.senderText.clear(); break;
    }
    const uint8_t kind = in.ConsumeIntegral<uint8_t>();
    d.kind = kind < 240 ? kind % 4 : kind;
    d.payload = in.ConsumeRandomLengthString(600);
    // Stretch some to a length anywhere up to the largest datagram.
    if (shape & 0x80) {
        const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, kLargestDatagram);
        const std::string pattern = d.payload.empty() ? std::string(1, static_cast<char>(shape)) : d.payload;
        d.payload.clear();
        while (d.payload.size() < length)
            d.payload += pattern;
        d.payload.resize(length);
    }
    return d;
}

void CheckTable(const DeviceProtocol& protocol, const EngineModel& model, const std::string& after)
{
    const DeviceTable& table = protocol.Devices();
    std::set<std::string> macs;
    int recorded = 0;
    for (int number = 1; number <= DeviceTable::kSlots; ++number) {
        const NumerIP& slot = table[number];
        if (slot.Mac.empty())
            continue;
        ++recorded;
        FUZZ_CHECK(macs.insert(slot.Mac).second, "two slots hold the MAC \"" + Escaped(slot.Mac) + "\" " + after);
    }
    FUZZ_CHECK(recorded <= DeviceTable::kSlots, "more records than slots");
    FUZZ_CHECK(recorded == static_cast<int>(model.table.size()),
               "the table holds " + std::to_string(recorded) + " devices, expected " +
                   std::to_string(model.table.size()) + " " + after);
    for (std::size_t i = 0; i < model.table.size(); ++i) {
        const NumerIP& slot = table[static_cast<int>(i) + 1];
        const Record& record = model.table[i];
        const std::string which = "slot " + std::to_string(i + 1) + " " + after;
        FUZZ_CHECK(slot.Mac == record.mac,
                   "MAC \"" + Escaped(slot.Mac) + "\", expected \"" + Escaped(record.mac) + "\" in " + which);
        FUZZ_CHECK(slot.Port == record.port,
                   "port \"" + Escaped(slot.Port) + "\", expected \"" + Escaped(record.port) + "\" in " + which);
        FUZZ_CHECK(slot.FlagE == record.flagE, "E flag in " + which);
        FUZZ_CHECK(slot.Address == record.address,
                   "address \"" + Escaped(slot.Address) + "\", expected \"" + Escaped(record.address) + "\" in " +
                       which);
    }
}

void CheckState(const DeviceProtocol& protocol, const QTimer& timer, const EngineModel& model, const std::string& after)
{
    FUZZ_CHECK(protocol.ReplyStatus() == model.status,
               "ReplyStatus " + std::to_string(protocol.ReplyStatus()) + ", expected " + std::to_string(model.status) +
                   " " + after);
    FUZZ_CHECK(protocol.LastReply() == model.lastReply, "LastReply " + after);
    if (model.timerStopped)
        FUZZ_CHECK(!timer.isActive(), "the reply timer still runs " + after);
    CheckTable(protocol, model, after);
}

std::string Describe(const Datagram& d, const std::string& how)
{
    return "after " + how + " datagram \"" + Escaped(d.payload, 60) + "\"";
}

// Through the loopback into the real command socket; the model sees what a
// 4096-byte read makes of it (an oversized datagram is dropped).
void DeliverReal(DeviceProtocol& protocol, QTimer& timer, EngineModel& model, const Datagram& d)
{
    Rig& rig = TheRig();
    rig.socketErrors.clear();
    const uint8_t kind = protocol.ExpectedReply();
    SendFrom(d.sender, d.payload);
    AwaitDeliveries(1);
    const bool truncated = d.payload.size() > kPacketSize;
    FUZZ_CHECK(rig.socketErrors == (truncated ? std::vector<int32_t>{net::WSAEMSGSIZE} : std::vector<int32_t>{}),
               "socket errors while reading a " + std::to_string(d.payload.size()) + "-byte datagram");
    ++reached.realDatagrams;
    reached.truncated += truncated;
    if (truncated)
        model.timerStopped = false; // dropped: no reply, nothing changes
    else
        model.Dispatch(d.payload, DottedHostOrder(d.sender), kind);
    CheckState(protocol, timer, model, Describe(d, "a real"));
}

void DeliverDirect(DeviceProtocol& protocol, QTimer& timer, EngineModel& model, const Datagram& d)
{
    ++reached.directDispatches;
    protocol.DispatchReply(d.payload, d.senderText, d.kind);
    model.Dispatch(d.payload, d.senderText, d.kind);
    CheckState(protocol, timer, model, Describe(d, "a kind " + std::to_string(d.kind) + " direct"));
}

// Fills the first `count` slots as devices answering in the window would.
void Prefill(DeviceProtocol& protocol, EngineModel& model, int count)
{
    for (int i = 0; i < count; ++i) {
        char mac[32];
        std::snprintf(mac, sizeof mac, "00-20-4A-00-%02X-%02X", i / 256, i % 256);
        const std::string text = std::string("A") + mac + "/1001/00" + (i % 7 == 0 ? "E" : "0");
        const std::string sender = "10.0." + std::to_string(i / 200) + "." + std::to_string(10 + i % 200);
        protocol.RecordDevice(text, sender);
        model.Record(text, sender);
    }
    reached.recorded -= static_cast<uint64_t>(count); // only fuzzed devices count
}

int PrefillCount(FuzzedDataProvider& in)
{
    const uint8_t choice = in.ConsumeIntegral<uint8_t>();
    if (choice < 32)
        return DeviceTable::kSlots; // full
    if (choice < 64)
        return DeviceTable::kSlots - 1;
    return choice % 24;
}

struct Iteration {
    net::TUDPSocket& socket = TheRig().socket;
    QTimer timeout;
    RecordingList list;
    RecordingMessages messages;
    DeviceProtocol protocol{socket, timeout, list, messages};
    EngineModel model;

    Iteration() { TheRig().Attach(protocol); }
    ~Iteration()
    {
        TheRig().protocol = nullptr;
        TheRig().afterDispatch = nullptr;
    }
};

// No request has ever been made: a datagram is read and changes nothing.
void Idle(FuzzedDataProvider& in)
{
    Iteration it;
    const int count = in.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < count && in.remaining_bytes() > 0; ++i)
        DeliverReal(it.protocol, it.timeout, it.model, NextDatagram(in));
    FUZZ_CHECK(it.protocol.ExpectedReply() == kReplyNone, "the kind changed without a request");
}

void CollectionWindow(FuzzedDataProvider& in)
{
    Iteration it;
    Rig& rig = TheRig();
    // Datagrams that arrived before the cycle and wait unread: StartDiscovery
    // takes them, as the kind of the last request (none here), before "X".
    // Three of the largest still fit the socket's default receive queue.
    const int stale = in.ConsumeIntegralInRange(0, 3) == 0 ? in.ConsumeIntegralInRange(1, 3) : 0;
    std::size_t oversized = 0;
    for (int i = 0; i < stale && in.remaining_bytes() > 0; ++i) {
        const Datagram d = NextDatagram(in);
        oversized += d.payload.size() > kPacketSize;
        SendFrom(d.sender, d.payload);
        ++reached.staleTaken;
    }
    rig.socketErrors.clear();
    const uint64_t deliveredBefore = rig.delivered;
    it.protocol.StartDiscovery();
    it.model.StartDiscovery();
    FUZZ_CHECK(!rig.Waiting(), "StartDiscovery left datagrams from before the cycle in the socket");
    FUZZ_CHECK(rig.delivered == deliveredBefore, "the waiting datagrams were taken by StartDiscovery itself");
    FUZZ_CHECK(rig.socketErrors == std::vector<int32_t>(oversized, net::WSAEMSGSIZE),
               "each waiting datagram over 4096 bytes reported 10040");
    FUZZ_CHECK(it.timeout.isActive() && it.protocol.ExpectedReply() == kReplyDiscovery && !it.list.enabled,
               "the collection window is open");
    CheckState(it.protocol, it.timeout, it.model, "after StartDiscovery");
    Prefill(it.protocol, it.model, PrefillCount(in));
    CheckState(it.protocol, it.timeout, it.model, "after the table was filled");
    const int count = in.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < count && in.remaining_bytes() > 0; ++i) {
        const bool direct = in.ConsumeIntegralInRange(0, 3) == 0;
        Datagram d = NextDatagram(in);
        if (direct) {
            d.kind = kReplyDiscovery;
            DeliverDirect(it.protocol, it.timeout, it.model, d);
        } else {
            DeliverReal(it.protocol, it.timeout, it.model, d);
        }
        FUZZ_CHECK(!it.list.enabled, "the list stays disabled while replies are recorded");
    }
}

// SendCommand waits for its acknowledgement while the datagrams arrive one
// after another; those it did not need arrive after it returned.
void PendingRequest(FuzzedDataProvider& in)
{
    static QElapsedTimer sinceLongCheck;
    Iteration it;
    Rig& rig = TheRig();
    static const char* const commands[] = {"W00-20-4A-00-00-01", "LQOVUT", "SNM255.255.255.0", "E"};
    const std::string command = commands[in.ConsumeIntegralInRange(0, 3)];
    std::vector<Datagram> datagrams;
    const int count = in.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < count && in.remaining_bytes() > 0; ++i)
        datagrams.push_back(NextDatagram(in));
    if (datagrams.empty())
        return;

    std::size_t next = 0;
    bool terminatorSent = false;
    bool leftToTimeOut = false;
    auto sendNext = [&] {
        rig.socketErrors.clear();
        SendFrom(datagrams[next].sender, datagrams[next].payload);
        ++next;
    };
    rig.afterDispatch = [&] {
        if (terminatorSent) {
            it.model.Dispatch("A", "127.0.0.1", kReplyAcknowledgement);
        } else {
            const Datagram& d = datagrams[next - 1];
            const bool truncated = d.payload.size() > kPacketSize;
            ++reached.realDatagrams;
            reached.truncated += truncated;
            FUZZ_CHECK(rig.socketErrors ==
                           (truncated ? std::vector<int32_t>{net::WSAEMSGSIZE} : std::vector<int32_t>{}),
                       "socket errors while reading a " + std::to_string(d.payload.size()) + "-byte reply");
            if (truncated)
                it.model.timerStopped = false; // dropped: no reply, nothing changes
            else
                it.model.Dispatch(d.payload, DottedHostOrder(d.sender), kReplyAcknowledgement);
            CheckState(it.protocol, it.timeout, it.model, Describe(d, "a pending request's"));
        }
        if (it.protocol.ReplyStatus() != kStatusPending)
            return;
        if (next < datagrams.size()) {
            sendNext();
        } else if (!terminatorSent && !leftToTimeOut) {
            if (!sinceLongCheck.isValid() || sinceLongCheck.elapsed() > 30000) {
                leftToTimeOut = true; // this one ends by its deadline
                sinceLongCheck.start();
            } else {
                terminatorSent = true;
                SendFrom(INADDR_LOOPBACK, "A");
            }
        }
    };

    sendNext();
    it.model.status = kStatusPending;
    QElapsedTimer took;
    took.start();
    const int result = it.protocol.SendCommand(command, 1);
    const qint64 elapsed = took.elapsed();
    rig.afterDispatch = nullptr;

    if (leftToTimeOut) {
        it.model.status = kStatusNoReply;
        FUZZ_CHECK(elapsed >= 1900 && elapsed <= 3000,
                   "a try that got no reply ended after " + std::to_string(elapsed) + " ms, not about 2000 ms");
    }
    FUZZ_CHECK(result == it.model.status && result != kStatusPending,
               "SendCommand returned " + std::to_string(result) + ", expected " + std::to_string(it.model.status));
    FUZZ_CHECK(it.protocol.ExpectedReply() == kReplyAcknowledgement, "the kind of the request");
    FUZZ_CHECK(!it.timeout.isActive(), "the reply timer stopped with the request");
    if (!leftToTimeOut)
        FUZZ_CHECK(elapsed < 2000, "a request answered at once took " + std::to_string(elapsed) + " ms");
    ++(leftToTimeOut ? reached.endedByDeadline : terminatorSent ? reached.endedByLaterReply : reached.settledPending);

    // What the request did not need now meets the idle engine, still read
    // as acknowledgements; none of it makes a request pending again.
    for (; next < datagrams.size(); ++next) {
        DeliverReal(it.protocol, it.timeout, it.model, datagrams[next]);
        FUZZ_CHECK(it.protocol.ReplyStatus() != kStatusPending, "an idle engine became pending");
    }
}

// Any kind, any sender text, straight into the dispatcher; now and then the
// reply timer's own handler.
void DirectDispatch(FuzzedDataProvider& in)
{
    Iteration it;
    if (in.ConsumeBool()) {
        it.protocol.StartDiscovery();
        it.model.StartDiscovery();
        Prefill(it.protocol, it.model, PrefillCount(in));
    }
    const int count = in.ConsumeIntegralInRange(1, 6);
    for (int i = 0; i < count && in.remaining_bytes() > 0; ++i) {
        if (in.ConsumeIntegralInRange(0, 7) == 0) {
            it.protocol.TimeoutTimer();
            it.model.Dispatch("", "TIMEOUT", it.protocol.ExpectedReply());
            CheckState(it.protocol, it.timeout, it.model, "after the reply timer fired");
            continue;
        }
        DeliverDirect(it.protocol, it.timeout, it.model, NextDatagram(in));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::RequirePrivateNetwork();
    fuzz::StartQtApplication(false);
    return 0;
}

// The command socket is bound at the first input, not at start-up: with
// -merge or -fork the parent process runs no inputs and must leave port 1153
// to the child that does.
static void BindOnce()
{
    static bool bound = false;
    if (bound)
        return;
    bound = true;
    try {
        Rig& rig = TheRig();
        rig.socket.BroadcastPacket(kDevicePort, "X");
        rig.socketErrors.clear();
    } catch (const std::exception& e) {
        std::fprintf(stderr,
                     "The command socket cannot bind port 1153 or broadcast here (scripts/fuzz gives "
                     "the namespace a \"default dev lo\" route): %s\n",
                     e.what());
        std::exit(3);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BindOnce();
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: Idle(in); break;
    case 1: CollectionWindow(in); break;
    case 2: PendingRequest(in); break;
    default: DirectDispatch(in); break;
    }
    return 0;
}
