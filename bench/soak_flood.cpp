// SPDX-License-Identifier: MIT
// Flood soak: repeated real discovery cycles (DeviceSession::Discover over
// the command socket bound to port 1153) while `muxsim --flood` sends random
// datagrams from hundreds of source addresses to 192.168.1.1:1153, and a
// second muxsim plays a few well-behaved multiplexers. Prints one table.
//
// Runs only inside the private LAN: scripts/soak (or scripts/netlab).
//   soak_flood [--duration S] [--rate N] [--sources N] [--seed N]
//
// The engine runs in a child process, so a crash is seen and counted, and
// its memory figures are its own. Socket errors are counted as they come (a
// datagram over 4096 bytes gives 10040, which the transport drops by
// design); a failure that ends the session is counted and the next cycle
// starts on a new one.
//
// Per cycle the child reports, from what Discover returns:
//  - recorded: the devices found in the collection window (listed, or
//    unread), and whether every well-behaved device is among them with its
//    own address;
//  - listed: whether each well-behaved device also survived its per-device
//    read. Under a flood a read can fail on flood garbage taken as the reply
//    (by design); that is shown, not counted as a miss;
//  - the protocol floor, from what the engine sent (seen by a transport that
//    watches its own sends): the 2000 ms window, then per command the time
//    up to the next one, at most 2000 ms (the reply deadline) plus 500 ms
//    after a selection that was followed by its login (the selection
//    pause). A try whose next command came 1900 ms or more after it ended by
//    its deadline. A cycle longer than its floor plus 1 s is a hang. The
//    floor 2000 + N x 500 ms for N recorded devices is shown too.
#include "command_line.h"
#include "engine_rig.h"
#include "lan_program.h"
#include "net/socket_layer.h"
#include "protocol/protocol_constants.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

struct WellBehaved {
    std::string Ip, Mac, Mask;
};

const std::vector<WellBehaved> kDevices = {
    {"192.168.1.10", "00-20-4A-10-00-01", "255.255.255.0"},
    {"192.168.1.20", "00-20-4A-10-00-02", "255.255.255.0"},
    {"10.0.0.7", "00-20-4A-10-00-03", "255.0.0.0"},
};

struct Options {
    double DurationS = 60;
    int Rate = 1000;
    int Sources = 300;
    int Seed = 1;
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double CpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// VmRSS and VmHWM of this process, in KiB.
std::pair<long, long> Memory()
{
    std::ifstream status("/proc/self/status");
    long rss = 0, hwm = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            rss = std::atol(line.c_str() + 6);
        else if (line.rfind("VmHWM:", 0) == 0)
            hwm = std::atol(line.c_str() + 6);
    }
    return {rss, hwm};
}

// The kernel's UDP counters of this network namespace (the workstation: the
// command socket is the only UDP receiver in it).
std::map<std::string, long long> UdpCounters()
{
    std::ifstream snmp("/proc/net/snmp");
    std::vector<std::string> lines;
    for (std::string line; std::getline(snmp, line);) {
        if (line.rfind("Udp:", 0) == 0)
            lines.push_back(line);
    }
    std::map<std::string, long long> counters;
    if (lines.size() < 2)
        return counters;
    std::istringstream names(lines[0].substr(4)), values(lines[1].substr(4));
    std::string name;
    long long value;
    while (names >> name && values >> value)
        counters[name] = value;
    return counters;
}

// ---- the engine (child process) ----------------------------------------------

// The command socket, watched: every command the engine sends and every
// datagram it is handed, with their times.
class WatchedTransport : public protocol::SocketTransport {
public:
    struct SentCommand {
        Clock::time_point At;
        std::string Command;
    };
    std::vector<SentCommand> Sent;
    long long Delivered = 0;

    void SetReceiver(Receiver receiver) override
    {
        protocol::SocketTransport::SetReceiver(receiver
                                                   ? Receiver([this, receiver](const protocol::Datagram& datagram) {
                                                         ++Delivered;
                                                         receiver(datagram);
                                                     })
                                                   : Receiver());
    }
    protocol::SendResult Broadcast(const protocol::Route& route, const std::string& command, PortForm form) override
    {
        Sent.push_back({Clock::now(), command});
        return protocol::SocketTransport::Broadcast(route, command, form);
    }
};

struct Floor {
    double Ms = 0;
    long long Pauses = 0;
    long long Deadlines = 0;
};

// What the protocol's waits explain of a cycle that sent `sent` and ended at `end`.
Floor FloorOf(const std::vector<WatchedTransport::SentCommand>& sent, Clock::time_point end)
{
    Floor floor;
    const std::string login = std::string(protocol::kLoginCommand) + protocol::kDevicePassword;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const bool last = i + 1 == sent.size();
        const double gap = Ms((last ? end : sent[i + 1].At) - sent[i].At);
        const bool paused = !last && sent[i].Command[0] == 'W' && sent[i + 1].Command == login;
        floor.Pauses += paused ? 1 : 0;
        floor.Deadlines += !paused && gap >= 1900 ? 1 : 0;
        floor.Ms += std::min(gap, double(protocol::kReplyTimeoutMs) + (paused ? protocol::kSelectionPauseMs : 0));
    }
    return floor;
}

int RunEngine(double durationS)
{
    std::map<int, long long> socketErrors;
    long long failures = 0, unhandled = 0;
    std::string lastFailure;
    net::SocketLayer::Instance().OnUnhandledException = [&](const std::exception& e) {
        ++unhandled;
        lastFailure = e.what();
    };

    // A failure ends a session for good; the next cycle gets a new one.
    std::unique_ptr<EngineRig<WatchedTransport>> rig;
    long long deliveredBefore = 0;
    auto newRig = [&] {
        if (rig)
            deliveredBefore += rig->Transport.Delivered;
        rig.reset();
        rig = std::make_unique<EngineRig<WatchedTransport>>();
        net::TUDPSocket& socket = rig->Transport.CommandSocket();
        socket.OnError = [&, transportsOwn = socket.OnError](net::ASocket& s) {
            ++socketErrors[s.ErrorCode()];
            transportsOwn(s);
        };
        rig->Session.SetFailureHandler([&](int32_t code, const std::string& description) {
            ++failures;
            lastFailure = std::to_string(code) + " " + description;
        });
    };
    newRig();
    auto reads = [&] { return deliveredBefore + rig->Transport.Delivered; };

    const auto udpBefore = UdpCounters();
    const Clock::time_point start = Clock::now();
    const double cpuStart = CpuMs();
    for (int cycle = 1; Ms(Clock::now() - start) < durationS * 1000; ++cycle) {
        if (rig->Session.Abandoned())
            newRig();
        const Clock::time_point cycleStart = Clock::now();
        const long long readsBefore = reads();
        const auto errorsBefore = socketErrors;
        const long long failuresBefore = failures;
        rig->Transport.Sent.clear();

        const protocol::DiscoveryResult result = rig->Session.Discover();
        const Clock::time_point cycleEnd = Clock::now();
        const Floor floor = FloorOf(rig->Transport.Sent, cycleEnd);

        // The found set: every device recorded in the window was either
        // listed or reported unread.
        std::set<std::string> found, listed;
        for (const protocol::DeviceRow& row : result.Rows) {
            found.insert(row.Mac + "@" + row.Address);
            listed.insert(row.Mac);
        }
        int recorded = int(result.Rows.size());
        for (const protocol::UnreadDevice& device : result.Unread) {
            found.insert(device.Mac + "@" + device.Address);
            recorded += device.Listed ? 0 : 1;
        }
        int foundWell = 0, listedWell = 0;
        for (const WellBehaved& device : kDevices) {
            foundWell += found.count(device.Mac + "@" + device.Ip) ? 1 : 0;
            listedWell += listed.count(device.Mac) ? 1 : 0;
        }
        long long errors10040 = socketErrors[10040] - (errorsBefore.count(10040) ? errorsBefore.at(10040) : 0);
        long long otherErrors = 0;
        for (const auto& [code, count] : socketErrors) {
            if (code != 10040)
                otherErrors += count - (errorsBefore.count(code) ? errorsBefore.at(code) : 0);
        }
        const auto [rss, hwm] = Memory();
        json line = {{"cycle", cycle},
                     {"ms", Ms(cycleEnd - cycleStart)},
                     {"recorded", recorded},
                     {"pauses", floor.Pauses},
                     {"deadlines", floor.Deadlines},
                     {"floor_ms", floor.Ms},
                     {"floor_n_ms", 2000.0 + 500.0 * recorded},
                     {"found_well", foundWell},
                     {"listed_well", listedWell},
                     {"listed", result.Rows.size()},
                     {"reads", reads() - readsBefore},
                     {"errors_10040", errors10040},
                     {"errors_other", otherErrors},
                     {"raised", failures - failuresBefore},
                     {"rss_kib", rss},
                     {"hwm_kib", hwm},
                     {"cpu_ms", CpuMs() - cpuStart},
                     {"wall_ms", Ms(cycleEnd - start)}};
        std::printf("%s\n", line.dump().c_str());
        std::fflush(stdout);
    }
    rig->Transport.Terminate();

    const auto udpAfter = UdpCounters();
    json done = {{"done", true}, {"reads", reads()}, {"unhandled", unhandled}, {"last_error", lastFailure}};
    for (const char* counter : {"InDatagrams", "RcvbufErrors", "InErrors", "OutDatagrams"}) {
        const long long before = udpBefore.count(counter) ? udpBefore.at(counter) : 0;
        const long long after = udpAfter.count(counter) ? udpAfter.at(counter) : 0;
        done[std::string("udp_") + counter] = after - before;
    }
    json codes = json::object();
    for (const auto& [code, count] : socketErrors)
        codes[std::to_string(code)] = count;
    done["socket_errors"] = codes;
    std::printf("%s\n", done.dump().c_str());
    std::fflush(stdout);
    return 0;
}

// ---- the soak (parent process) -------------------------------------------------

json FloodSummary(const std::string& output)
{
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("flood: ", 0) == 0)
            return json::parse(line.substr(7), nullptr, false);
    }
    return json();
}

int RunSoak(const Options& options, const QString& self)
{
    QTemporaryDir directory;
    if (!directory.isValid())
        throw std::runtime_error("no temporary directory");
    json devices = json::array();
    for (const WellBehaved& d : kDevices)
        devices.push_back({{"ip", d.Ip}, {"mac", d.Mac}, {"mask", d.Mask}});
    const QString config = directory.filePath("devices.json");
    std::ofstream(config.toStdString()) << json{{"devices", devices}}.dump(2) << "\n";

    bench::LanProgram fleet({bench::MuxSimProgram(), "--config", config}, "the well-behaved devices");
    bench::LanProgram flood({bench::MuxSimProgram(), "--flood", "--target", "192.168.1.1:1153", "--rate",
                             QString::number(options.Rate), "--duration", QString::number(options.DurationS + 900),
                             "--sources", QString::number(options.Sources), "--seed", QString::number(options.Seed)},
                            "the flood");

    QProcess engine;
    engine.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    engine.start(self, {"--engine", QString::number(options.DurationS)});
    const Clock::time_point start = Clock::now();
    std::vector<json> cycles;
    json done;
    // Cycles are read as they come, so a long soak shows its progress.
    std::string pending;
    auto takeLines = [&] {
        pending += engine.readAllStandardOutput().toStdString();
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            json line = json::parse(pending.substr(0, end), nullptr, false);
            if (line.is_discarded())
                continue;
            if (line.contains("done")) {
                done = line;
                continue;
            }
            std::fprintf(stderr, "cycle %d: %.0f ms, %d recorded, %d/%zu well-behaved found, %d listed\n",
                         line["cycle"].get<int>(), line["ms"].get<double>(), line["recorded"].get<int>(),
                         line["found_well"].get<int>(), kDevices.size(), line["listed_well"].get<int>());
            cycles.push_back(line);
        }
    };
    while (!engine.waitForFinished(1000))
        takeLines();
    takeLines();
    const double wallS = Ms(Clock::now() - start) / 1000;
    const bool crashed = engine.exitStatus() != QProcess::NormalExit || done.is_null();

    const json floodCounts = FloodSummary(flood.Stop());
    fleet.Stop();

    int hangs = 0, hangsByN = 0, missed = 0, readFailed = 0;
    double longestOver = -1e9;
    for (const json& c : cycles) {
        const double ms = c["ms"].get<double>();
        hangs += ms > c["floor_ms"].get<double>() + 1000 ? 1 : 0;
        hangsByN += ms > c["floor_n_ms"].get<double>() + 1000 ? 1 : 0;
        longestOver = std::max(longestOver, ms - c["floor_ms"].get<double>());
        missed += c["found_well"].get<int>() < static_cast<int>(kDevices.size()) ? 1 : 0;
        readFailed += c["listed_well"].get<int>() < static_cast<int>(kDevices.size()) ? 1 : 0;
    }
    auto field = [](const json& j, const char* key) -> std::string {
        return j.is_object() && j.contains(key) ? j[key].dump() : std::string("?");
    };
    auto mib = [](const json& c, const char* key) { return c[key].get<long>() / 1024.0; };

    std::printf("Flood: %d datagrams/s from %d source addresses for %.0f s; %zu well-behaved devices\n\n", options.Rate,
                options.Sources, wallS, kDevices.size());
    std::printf("| Figure | Value |\n|---|---|\n");
    std::printf("| Discovery cycles run | %zu |\n", cycles.size());
    std::printf("| Datagrams sent by the flood | %s |\n", field(floodCounts, "sent").c_str());
    std::printf("| Datagrams received by the workstation (kernel) | %s |\n", field(done, "udp_InDatagrams").c_str());
    std::printf("| Dropped by the kernel, receive buffer full | %s |\n", field(done, "udp_RcvbufErrors").c_str());
    std::printf("| Datagrams handed to the engine (the rest: unread at the end) | %s |\n",
                field(done, "reads").c_str());
    std::printf("| Socket errors (code: count) | %s |\n", field(done, "socket_errors").c_str());
    std::printf(
        "| Failures that ended a session / unhandled errors | %d / %s |\n",
        [&] {
            int n = 0;
            for (const json& c : cycles)
                n += c["raised"].get<int>();
            return n;
        }(),
        field(done, "unhandled").c_str());
    std::printf("| Crashes | %d |\n", crashed ? 1 : 0);
    std::printf("| Hangs (cycle > its floor from the commands sent + 1 s) | %d |\n", hangs);
    std::printf("| Cycles over 2000 + N x 500 ms + 1 s (N recorded) | %d |\n", hangsByN);
    if (!cycles.empty()) {
        std::printf("| Longest cycle over its floor | %.0f ms |\n", longestOver);
        const json& first = cycles.front();
        const json& last = cycles.back();
        std::printf("| Peak RSS | %.1f MiB |\n", mib(last, "hwm_kib"));
        std::printf("| RSS after the first / last cycle | %.1f / %.1f MiB (%+.1f) |\n", mib(first, "rss_kib"),
                    mib(last, "rss_kib"), mib(last, "rss_kib") - mib(first, "rss_kib"));
        std::printf("| CPU share of the engine | %.1f %% |\n",
                    100.0 * last["cpu_ms"].get<double>() / last["wall_ms"].get<double>());
        std::printf("| Every well-behaved device recorded in every cycle | %s (%d of %zu cycles missed one) |\n",
                    missed == 0 ? "yes" : "NO", missed, cycles.size());
        std::printf("| Cycles where a well-behaved device's read failed (flood reply taken) | %d of %zu |\n",
                    readFailed, cycles.size());
    }
    std::printf(
        "\n| Cycle | Wall (ms) | Recorded | Pauses | Deadlines | Floor (ms) | 2000+Nx500 | Reads | Found | Listed | RSS (MiB) |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const json& c : cycles) {
        std::printf("| %d | %.0f | %d | %lld | %lld | %.0f | %.0f | %lld | %d/%zu | %d/%zu | %.1f |\n",
                    c["cycle"].get<int>(), c["ms"].get<double>(), c["recorded"].get<int>(),
                    c["pauses"].get<long long>(), c["deadlines"].get<long long>(), c["floor_ms"].get<double>(),
                    c["floor_n_ms"].get<double>(), c["reads"].get<long long>(), c["found_well"].get<int>(),
                    kDevices.size(), c["listed_well"].get<int>(), kDevices.size(), mib(c, "rss_kib"));
    }
    std::fflush(stdout);
    return crashed || hangs > 0 || missed > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("soak_flood"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Discovery cycles of the real engine while muxsim floods the command port; run inside scripts/netlab."));
    parser.addHelpOption();
    const Options defaults;
    // An option with a value, its default shown in --help.
    auto valueOption = [](const char* name, const char* valueName, const char* text, double value) {
        const QString defaultText = QString::number(value);
        return QCommandLineOption(QString::fromLatin1(name),
                                  QStringLiteral("%1 (default %2).").arg(QString::fromLatin1(text), defaultText),
                                  QString::fromLatin1(valueName), defaultText);
    };
    const QCommandLineOption duration =
        valueOption("duration", "S", "Length of the soak in seconds", defaults.DurationS);
    const QCommandLineOption rate = valueOption("rate", "N", "Flood datagrams per second", defaults.Rate);
    const QCommandLineOption sources = valueOption("sources", "N", "Source addresses of the flood", defaults.Sources);
    const QCommandLineOption seed = valueOption("seed", "N", "Seed of the flood's sequence", defaults.Seed);
    // The parent starts itself with --engine S as the child that runs the engine.
    QCommandLineOption engine(QStringLiteral("engine"), QStringLiteral("Run the engine for S seconds."),
                              QStringLiteral("S"));
    engine.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({duration, rate, sources, seed, engine});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        bench::UsageError(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));

    net::SocketLayer socketLayer;
    try {
        if (parser.isSet(engine))
            return RunEngine(bench::NumberValue(parser, engine, 0.0, 1e6));
        Options options;
        options.DurationS = bench::NumberValue(parser, duration, 1.0, 1e6);
        options.Rate = bench::NumberValue(parser, rate, 1, 1000000);
        options.Sources = bench::NumberValue(parser, sources, 1, 100000);
        options.Seed = bench::NumberValue(parser, seed, 0, std::numeric_limits<int>::max());
        return RunSoak(options, QCoreApplication::applicationFilePath());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soak_flood: %s\n", e.what());
        return 2;
    }
}
