// SPDX-License-Identifier: MIT
// Flood mode: hostile datagrams at a rate, from many sources, while devices
// keep answering.
#include "flood_generator.h"
#include "lan_client.h"
#include "muxsim_process.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <sys/wait.h>

using namespace std::chrono_literals;
using nlohmann::json;

namespace {

struct CommandResult {
    int ExitCode = -1;
    std::string Output;
};

// Runs a shell command line and returns its exit code and stdout.
CommandResult RunCommand(const std::string& command)
{
    CommandResult result;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.Output.append(buffer, n);
    const int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Muxsim() { return std::string(MUX_BIN_DIR) + "/muxsim"; }

} // namespace

TEST(MuxSimFloodGenerator, MixesEveryKindFromDistinctPrivateSources)
{
    const unsigned target = inet_addr("192.168.1.1");
    muxsim::FloodGenerator generator(300, 42, target);
    ASSERT_EQ(generator.Sources().size(), 300u);
    const std::set<unsigned> distinct(generator.Sources().begin(), generator.Sources().end());
    EXPECT_EQ(distinct.size(), 300u);
    for (unsigned source : generator.Sources()) {
        const unsigned host = ntohl(source);
        const bool privateRange = (host >> 24) == 10 || (host >> 20) == 0xAC1 || (host >> 16) == 0xC0A8;
        EXPECT_TRUE(privateRange) << host;
        EXPECT_NE(source, target);
        EXPECT_NE(source, inet_addr("192.168.1.0"));
        EXPECT_NE(source, inet_addr("192.168.1.255"));
    }
    std::set<std::string_view> kinds;
    std::size_t empty = 0, large = 0, looksLikeReply = 0;
    for (int i = 0; i < 3000; ++i) {
        const auto datagram = generator.Next();
        kinds.insert(datagram.Kind);
        ASSERT_LE(datagram.Payload.size(), muxsim::FloodGenerator::kLargestPayload);
        empty += datagram.Payload.empty();
        large += datagram.Payload.size() > 4096;
        looksLikeReply +=
            !datagram.Payload.empty() && std::string("ACDF").find(datagram.Payload[0]) != std::string::npos;
    }
    EXPECT_EQ(kinds.size(), muxsim::FloodGenerator::Kinds().size());
    EXPECT_GT(empty, 100u);
    EXPECT_GT(large, 50u);
    EXPECT_GT(looksLikeReply, 1000u);
}

TEST(MuxSimFlood, FloodsTheWorkstationWhileDevicesStillAnswer)
{
    LanClient client;
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.5.5", "GOOD")}),
                      {"--flood", "--rate", "400", "--duration", "1.5", "--sources", "200", "--seed", "3"});
    client.Broadcast("X");
    std::set<std::string> sources;
    std::size_t received = 0, empty = 0, large = 0, goodAnswers = 0;
    const auto deadline = std::chrono::steady_clock::now() + 4s;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto reply = client.Receive(500ms);
        if (!reply) {
            if (!sim.Log().empty() && sim.Log().back()["event"] == "flood_summary")
                break;
            continue;
        }
        ++received;
        sources.insert(reply->From);
        empty += reply->Payload.empty();
        large += reply->Payload.size() > 4096;
        goodAnswers += reply->From == "192.168.5.5" && reply->Payload == "AGOOD/1001/000";
    }
    ASSERT_TRUE(sim.WaitForLog([](const json& entry) { return entry["event"] == "flood_summary"; }));
    json summary;
    for (const auto& entry : sim.Log()) {
        if (entry["event"] == "flood_summary")
            summary = entry;
    }
    EXPECT_EQ(summary["target"], "192.168.1.1:1153");
    EXPECT_EQ(summary["sources"], 200);
    EXPECT_EQ(summary["finished"], true);
    const auto sent = summary["sent"].get<std::size_t>();
    EXPECT_GE(sent, 500u);
    EXPECT_LE(sent, 601u);
    EXPECT_LE(summary["failed"].get<std::size_t>(), sent / 20) << summary.dump();
    EXPECT_EQ(goodAnswers, 1u) << "the device answered once amid the flood";
    EXPECT_GE(received, sent / 2) << "most of the flood reached the workstation";
    EXPECT_GE(sources.size(), 150u);
    EXPECT_GT(empty, 0u);
    EXPECT_GT(large, 0u);
    EXPECT_TRUE(sim.Running()) << "with devices it keeps playing after the flood";
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_NE(sim.StdoutText().find("flood: {"), std::string::npos);
}

TEST(MuxSimFlood, FloodAloneEndsByItselfAndReportsItsCounts)
{
    const char* execPrefix = std::getenv("MUXLAN_EXEC");
    ASSERT_NE(execPrefix, nullptr) << "run under scripts/netlab";
    LanClient client;
    const auto result = RunCommand(std::string(execPrefix) + " " + Muxsim() + " --flood --count 50 --rate 2000");
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    const auto at = result.Output.find("flood: ");
    ASSERT_NE(at, std::string::npos) << result.Output;
    const json summary = json::parse(result.Output.substr(at + 7, result.Output.find('\n', at) - at - 7));
    EXPECT_EQ(summary["sent"], 50);
    EXPECT_EQ(summary["finished"], true);
    EXPECT_EQ(client.Collect(300ms).size(), 50u);
}

TEST(MuxSimFlood, RefusesPublicTargetsAndStrayOptions)
{
    // These fail while reading the command line, before any socket exists.
    auto publicTarget = RunCommand(Muxsim() + " --flood --target 8.8.8.8:53");
    EXPECT_EQ(publicTarget.ExitCode, 2);
    EXPECT_NE(publicTarget.Output.find("private-range"), std::string::npos) << publicTarget.Output;
    auto stray = RunCommand(Muxsim() + " --rate 5 --device 10.0.0.1,AA");
    EXPECT_EQ(stray.ExitCode, 2);
    EXPECT_NE(stray.Output.find("belong to --flood"), std::string::npos) << stray.Output;
    auto badRate = RunCommand(Muxsim() + " --flood --rate lots");
    EXPECT_EQ(badRate.ExitCode, 2);
    EXPECT_NE(badRate.Output.find("--rate"), std::string::npos) << badRate.Output;
}
