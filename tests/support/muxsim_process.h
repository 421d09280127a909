// SPDX-License-Identifier: MIT
// MuxSimProcess: runs the multiplexer simulator (build/bin/muxsim) in the
// simulated LAN for the length of one test and reads back what it received.
//
// The test binary must run under scripts/netlab (add_test(NAME x COMMAND
// ${MUX_NETLAB} $<TARGET_FILE:x>)): the simulator is started through the
// MUXLAN_EXEC prefix in the LAN namespace, where it answers from any address
// of 10/8, 172.16/12 and 192.168/16 except 192.168.1.0 and 192.168.1.1 (the
// workstation). Without MUXLAN_EXEC the constructor throws, which fails the
// test with the reason.
//
//   MuxSimProcess sim(MuxSimProcess::Config({
//       MuxSimProcess::Device("192.168.1.10", "00:11:22:33:44:55"),
//       MuxSimProcess::Device("10.0.0.7", "AA", {{"faults", {{"deny_login", true}}}})}));
//   ... run the configurator's code (its event loop may run freely) ...
//   ASSERT_TRUE(sim.WaitForPayload("X"));
//   EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"X", "W00:11:22:33:44:55"}));
//   EXPECT_EQ(sim.Stop(), 0);
//
// Pass the config as a json value (Config(), a variable or nlohmann::json{...}):
// a bare braced list would be ambiguous with the (deleted) copy constructor.
// The config is muxsim's JSON config (muxsim --help, docs/muxsim.md). Texts in
// it are byte strings: each character U+0000..U+00FF stands for one byte, so
// MACs with bytes >= 0x80 are written as "\u00e9" etc. (Device() takes raw
// bytes and converts them.)
//
// Start and stop never need the Qt event loop: the constructor returns once
// muxsim has bound its socket (it creates a ready file), and Stop() (also run
// by the destructor) sends SIGTERM and waits for the exit. The WaitFor...
// calls do run the Qt event loop in slices of a few ms while they wait, so
// the code under test keeps working meanwhile.
//
// Log entries are muxsim's JSON lines as nlohmann::json objects. The ones of
// Received() have "event": "received" and hold "t" (ms since muxsim started),
// "from" ("ip:port"), "to" (destination address), "payload", "hex", "len",
// "command", "device" (the MAC that took it, or null), "devices" and
// "replies" (each with "device", "from", "to", "payload", "hex", "len",
// "delay_ms"). Use PayloadBytes() for the exact bytes.
//
// The temporary directory with the config, log and muxsim's stdout/stderr is
// removed at the end, or kept (and its path printed) when the test failed or
// MUXSIM_KEEP_LOGS is set.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

class MuxSimProcess {
public:
    using Entry = nlohmann::json;
    using Match = std::function<bool(const Entry&)>;
    static constexpr std::chrono::milliseconds kWaitTimeout{5000};

    // Starts muxsim with `config` plus `extra_args` (e.g. {"--seed", "7"})
    // and waits until it listens. Throws std::runtime_error with muxsim's
    // stderr when it cannot start.
    // `exec_variable` names the environment variable with the command prefix
    // of the simulator's namespace (MUXLAN_WIFI_EXEC: the "wifi" segment of
    // scripts/netlab's split topology).
    explicit MuxSimProcess(const nlohmann::json& config, std::vector<std::string> extraArgs = {},
                           std::string execVariable = "MUXLAN_EXEC");
    ~MuxSimProcess();
    MuxSimProcess(const MuxSimProcess&) = delete;
    MuxSimProcess& operator=(const MuxSimProcess&) = delete;

    // SIGTERM, then waits (SIGKILL after 10 s). Returns the exit code (0 is a
    // clean stop; 128+N when killed by signal N). Later calls return the same.
    int Stop();
    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // Every log line so far, in order, and only the "received" ones.
    std::vector<Entry> Log() const;
    std::vector<Entry> Received() const;
    std::vector<Entry> ReceivedWithPayload(std::string_view bytes) const;
    std::size_t CountReceived(std::string_view bytes) const;
    std::vector<std::string> ReceivedPayloads() const;
    // "state" entries of one field ("address", "mask", "selected", "logged_in",
    // "restarting").
    std::vector<Entry> StateChanges(std::string_view field) const;

    // Wait, running the Qt event loop, until `count` received entries (that
    // match) are in the log; false on timeout.
    bool WaitForReceived(std::size_t count, std::chrono::milliseconds timeout = kWaitTimeout) const;
    bool WaitForReceived(const Match& match, std::size_t count = 1,
                         std::chrono::milliseconds timeout = kWaitTimeout) const;
    bool WaitForPayload(std::string_view bytes, std::size_t count = 1,
                        std::chrono::milliseconds timeout = kWaitTimeout) const;
    // Same over every log entry (e.g. "sent" or "state" events).
    bool WaitForLog(const Match& match, std::size_t count = 1, std::chrono::milliseconds timeout = kWaitTimeout) const;

    // Exact bytes of an entry's (or a reply's) payload, from its "hex".
    static std::string PayloadBytes(const Entry& entry);
    static std::vector<std::string> ReplyPayloads(const Entry& received);

    // {"devices": devices}
    static nlohmann::json Config(std::vector<nlohmann::json> devices);
    // A device entry for the config; texts are raw bytes. `extra` is merged
    // over the defaults (e.g. {{"faults", {{"silent", true}}}}).
    static nlohmann::json Device(std::string_view ip, std::string_view mac, const nlohmann::json& extra = {});
    // A byte string as the config and the log write it (U+0000..U+00FF).
    static std::string BytesAsJsonText(std::string_view bytes);

    const std::string& Directory() const { return directory_; }
    const std::string& LogPath() const { return logPath_; }
    std::string StdoutText() const;
    std::string StderrText() const;

private:
    void Start(const nlohmann::json& config, const std::vector<std::string>& extraArgs);
    void WaitUntilReady();
    void ReadNewLines() const;

    std::string execVariable_;
    std::string directory_;
    std::string logPath_;
    std::string readyPath_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
    mutable std::vector<Entry> entries_;
    mutable std::size_t logOffset_ = 0;
    mutable std::string partialLine_;
};
