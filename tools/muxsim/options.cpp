// SPDX-License-Identifier: MIT
#include "options.h"

#include <charconv>
#include <cmath>
#include <getopt.h>
#include <string_view>

namespace muxsim {
namespace {

enum OptionId {
    kConfig = 1000,
    kDevice,
    kHost,
    kLog,
    kReadyFile,
    kPort,
    kSeed,
    kFlood,
    kTarget,
    kRate,
    kDuration,
    kCount,
    kSources,
    kFloodPort,
    kHelp,
};

template <typename Number> Number ParseNumber(std::string_view text, const char* option, Number low, Number high)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || !(value >= low) || !(value <= high))
        throw UsageError(std::string("--") + option + " needs a number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not \"" + std::string(text) + "\"");
    return value;
}

} // namespace

Options ParseCommandLine(int argc, char** argv)
{
    static const option longOptions[] = {
        {"config", required_argument, nullptr, kConfig},
        {"device", required_argument, nullptr, kDevice},
        {"host", required_argument, nullptr, kHost},
        {"log", required_argument, nullptr, kLog},
        {"ready-file", required_argument, nullptr, kReadyFile},
        {"port", required_argument, nullptr, kPort},
        {"seed", required_argument, nullptr, kSeed},
        {"flood", no_argument, nullptr, kFlood},
        {"target", required_argument, nullptr, kTarget},
        {"rate", required_argument, nullptr, kRate},
        {"duration", required_argument, nullptr, kDuration},
        {"count", required_argument, nullptr, kCount},
        {"sources", required_argument, nullptr, kSources},
        {"flood-port", required_argument, nullptr, kFloodPort},
        {"help", no_argument, nullptr, kHelp},
        {nullptr, 0, nullptr, 0},
    };
    Options options;
    FloodOptions flood;
    bool floodWanted = false;
    bool floodOptionSeen = false;
    optind = 0;
    opterr = 0;
    for (;;) {
        const int previous = optind;
        const int id = getopt_long(argc, argv, "h", longOptions, nullptr);
        if (id == -1)
            break;
        const std::string_view value = optarg ? optarg : "";
        switch (id) {
        case kConfig: options.ConfigPath = optarg; break;
        case kDevice: options.DeviceShorthands.emplace_back(optarg); break;
        case kHost: options.HostShorthands.emplace_back(optarg); break;
        case kLog: options.LogPath = optarg; break;
        case kReadyFile: options.ReadyFile = optarg; break;
        case kPort: options.Port = ParseNumber<unsigned short>(value, "port", 1, 65535); break;
        case kSeed: options.Seed = ParseNumber<std::uint64_t>(value, "seed", 0, UINT64_MAX); break;
        case kFlood: floodWanted = true; break;
        case kTarget:
            flood.Target = optarg;
            floodOptionSeen = true;
            break;
        case kRate:
            flood.Rate = ParseNumber<double>(value, "rate", 0.1, 1e6);
            floodOptionSeen = true;
            break;
        case kDuration:
            flood.DurationS = ParseNumber<double>(value, "duration", 0.001, 3600);
            floodOptionSeen = true;
            break;
        case kCount:
            flood.Count = ParseNumber<std::uint64_t>(value, "count", 0, UINT64_MAX);
            floodOptionSeen = true;
            break;
        case kSources:
            flood.Sources = ParseNumber<unsigned>(value, "sources", 1, 100000);
            floodOptionSeen = true;
            break;
        case kFloodPort:
            flood.Port = ParseNumber<unsigned short>(value, "flood-port", 0, 65535);
            floodOptionSeen = true;
            break;
        case 'h':
        case kHelp: options.Help = true; break;
        default: {
            const char* word = previous < argc ? argv[previous] : "?";
            throw UsageError(std::string("unknown option or missing value: ") + word);
        }
        }
    }
    if (optind < argc)
        throw UsageError(std::string("unexpected argument: ") + argv[optind]);
    if (floodOptionSeen && !floodWanted)
        throw UsageError("--target, --rate, --duration, --count, --sources and --flood-port belong to --flood");
    if (floodWanted)
        options.Flood = flood;
    return options;
}

const char* HelpText()
{
    return R"(muxsim - plays LAN multiplexers on the simulated LAN, for tests and demos

Usage:
  muxsim --config FILE [--device SPEC]... [--host IP,MAC]... [--log FILE]
         [--ready-file FILE]
  muxsim --flood [--target IP:PORT] [--rate N] [--duration S] [--count N]
         [--sources N] [--flood-port P] [device options]

Run it ONLY inside the private LAN (scripts/netlab: $MUXLAN_EXEC muxsim ...);
it refuses to start in the host's network namespace.

Devices:
  One process plays any number of multiplexers. It binds UDP 0.0.0.0:65535,
  hears the workstation's broadcasts and answers each datagram's sender from
  the answering device's own IP address (IP_PKTINFO). Each device keeps state:
    "X"                 every device answers "A"+MAC+"/"+port+"/"+flags
    "W"+MAC             that device is selected and answers "A"; every other
                        device drops its session (a W naming no device leaves
                        none selected and is answered by no one)
    "L"+password        selected device: "A" and logged in, or "D"
    "GNM", "GDN"        selected device: "A"+mask / "A"+dn once logged in, else "D"
    "SNM"+mask          selected device: sets the mask, "A" ("D" before login,
                        "C" for a mask that is not dotted decimal)
    "A"+MAC+"/"+password+"/"+address
                        that device (selected or not) answers "A" from its old
                        address and takes the new one ("D" wrong password,
                        "C" malformed)
    "E"                 selected device answers "A" and ends the session; if
                        the session changed its address or mask, a device
                        with restart_seconds then restarts (hears nothing)
    anything else       the selected device answers "C"; an empty datagram
                        is answered by no one
  A datagram sent to one address (not broadcast) is heard only by the devices
  with that address or subnet broadcast address. MACs are matched exactly as
  the device sends its own: W0.14.198.74.16.1 does not take 00:0E:C6:4A:10:01.

ARP:
  Every device and plain host answers ARP requests (and RFC 5227 probes from
  0.0.0.0) for the address it holds now, with its own Ethernet address: the
  device's MAC text when it reads as one (00:11:22:33:44:55, 00-11-...,
  001122334455, decimal 0.17.34.51.68.85 or 000.017.034.051.068.085),
  otherwise a stable locally administered address derived from it. A device
  that took a new address answers for the new one only. Silent devices
  answer ARP too (their network stack works), restarting ones do not.
  scripts/netlab's LAN answers ARP for nothing else, so an address no one
  holds stays free.
  Plain hosts (--host, "hosts" in the config) hold an address, answer ARP and
  ping and speak no protocol: a till, a printer.

Options:
  --config FILE       devices as JSON (below)
  --device SPEC       one more device: IP,MAC[,key=value...] with the keys
                      mask, port, flags, dn, password, restart_seconds,
                      delay_ms, refuse_selection=C|D|F|silent and the words
                      reply_to_broadcast, silent, deny_login. Repeatable.
  --host IP,MAC       one more plain host (MAC as 00:11:22:33:44:55).
                      Repeatable.
  --log FILE          every event as one JSON line, flushed per line (below)
  --ready-file FILE   created once the socket is bound ("ready" is also
                      printed on stdout)
  --port N            the device port (default 65535)
  --seed N            seed of the random garbage (default 1)
  -h, --help          this text

Config file:
  {"devices": [{"ip": "192.168.1.10", "mask": "255.255.255.0",
                "mac": "00:11:22:33:44:55", "port": "1001", "flags": "000",
                "dn": "0", "password": "QOVUT", "restart_seconds": 0,
                "reply_to_broadcast": false, "faults": {...}}],
   "hosts": [{"ip": "192.168.1.20", "mac": "00:11:22:33:44:66"}]}
  ip and mac are required; the others default as shown. Texts go on the
  wire byte for byte: each character U+0000..U+00FF is one byte. The mac
  text is what X answers and what W and A must name, exactly; the modules'
  own forms are decimal: "0.14.198.74.16.1", "000.014.198.074.016.001".
    "restart_seconds": N      after an "E" closing a change (login, then an
                              accepted "A" or "SNM") the device hears nothing
                              for N seconds (fractions allowed), then answers
                              with its new settings; 0: no restart
    "reply_to_broadcast": true  every answer goes to 255.255.255.255:1153,
                              still from the device's own address
  faults (all optional):
    "silent": true            hears nothing, answers nothing
    "refuse_selection": "C"   a W naming it is answered with this text (or
                              null: not answered) and does not select it
    "deny_login": true        "L" is answered "D"
    "delay_ms": N             every answer leaves N ms late
    "replies": {CMD: REPLY}   CMD is X, W, L, GNM, GDN, SNM, A, E or ? (any
                              unknown command). When the device is addressed
                              by CMD it sends REPLY instead of its own answer
                              and does not carry the command out. REPLY is:
        "text"                     exactly these bytes ("" = empty datagram)
        null or {"silent": true}   no answer
        {"hex": "41ff00"}          these bytes
        {"garbage": N}             N random bytes
        {"size": N, "prefix": "A", "fill": "x"}
                                   N bytes (up to 65507): prefix, then fill
        {"delay_ms": N}            its own answer, N ms late, command carried
                                   out (delay_ms can be added to any form)
  Two devices with one address, or one MAC, are just two entries.

Log (--log), one JSON object per line; "t" is ms since start:
  {"event":"start", "devices":[...], "hosts":[...], "port":65535, "pid":N,
   "transparent":B, "arp":true or "socket AF_PACKET: N text"}
  {"event":"arp", "address":"192.168.1.20", "from":"00:..." (requester),
   "sender":"0.0.0.0", "answers":[{"mac":"00:...", "device":MAC}|
   {"mac":"00:...", "host":"192.168.1.20"}], "error":"..." (failed send)}
  {"event":"received", "from":"192.168.1.1:1153", "to":"255.255.255.255",
   "len":1, "payload":"X", "hex":"58", "command":"X",
   "device":MAC or null (exactly one taker), "devices":[MAC...],
   "replies":[{"device":MAC, "from":"192.168.1.10", "to":"192.168.1.1:1153",
               "len":N, "payload":"...", "hex":"...", "delay_ms":0,
               "error":"sendmsg: N text" (only on failure)}]}
  {"event":"sent", ...one reply...}          a delayed reply leaving
  {"event":"state", "device":MAC, "field":"address"|"mask"|"selected"|
   "logged_in"|"restarting", "old":..., "new":...}
                                              restarting true: a restart began,
                                              false: it is over
  {"event":"flood_summary", ...}              see --flood
  {"event":"stop", "received":N, "replies_sent":N, ...}
  payload strings carry each byte as the code point U+0000..U+00FF; hex
  gives the same bytes.

Flood (--flood): sends random datagrams to the target (default
192.168.1.1:1153) at --rate per second (default 1000) for --duration seconds
(default 10) or --count datagrams: empty ones, binary bytes of any length up
to 65507, replies that look valid with absurd fields, from --sources (default
300) source addresses of 10/8, 172.16/12 and 192.168/16. With devices
(--config/--device) it plays them at the same time and keeps playing after
the flood until stopped; without, it exits when the flood ends. Counts are
printed and logged when the flood ends.

Stop with SIGTERM or SIGINT; it exits 0 and prints its counts.
Exit codes: 0 clean stop, 1 runtime failure (socket, log), 2 bad usage or config.
)";
}

} // namespace muxsim
