// SPDX-License-Identifier: MIT
// Sends to hosts given by name: lookups on a worker thread, handed to the
// main thread. Run under offline_names.sh, so every name comes from the
// test's own hosts file or a resolver that never answers.
#include "net_test_helpers.h"

#include "net/errors/socket_errors.h"
#include "net/socket/udp_socket.h"
#include "net/socket_layer.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

int Workers() { return net::SocketLayer::Instance().RunningLookupWorkers(); }

struct Failure {
    int32_t Code;
    std::string Addr;
    uint16_t Port;
    std::string Host;
    std::string PortText;
    std::string Data;
};

struct NamedSends : ::testing::Test {
    std::unique_ptr<net::TUDPSocket> Socket = std::make_unique<net::TUDPSocket>();
    RawUdp Peer{40061, "127.0.0.1"};
    std::vector<Failure> Failures;

    NamedSends()
    {
        Socket->SetLocalPort("40060");
        Socket->OnSendFailed = [this](net::AUDPSocket&, int32_t code, in_addr addr, uint16_t port,
                                      const std::string& host, const std::string& portText, const char* data,
                                      int32_t size) {
            Failures.push_back({code, Dotted(addr), port, host, portText, std::string(data, size)});
        };
    }
    ~NamedSends() override
    {
        RunLoopUntil([] { return Workers() == 0; }, 15000);
    }
};

TEST_F(NamedSends, DottedAddressSendsAtOnceWithoutALookup)
{
    Socket->SetUseSendBuffer(false);
    Socket->SendPacketToHost("127.0.0.1", "40061", "dotted");
    EXPECT_TRUE(Socket->PendingLookups().empty());
    EXPECT_EQ(Workers(), 0);
    auto datagram = Peer.Receive(1000);
    ASSERT_TRUE(datagram);
    EXPECT_EQ(datagram->Data, "dotted");
    EXPECT_EQ(ntohs(datagram->From.sin_port), 40060);
}

TEST_F(NamedSends, NameIsLookedUpThenTheDatagramLeaves)
{
    Socket->SendPacketToHost("muxpeer.test", "40061", "by name");
    ASSERT_EQ(Socket->PendingLookups().size(), 1u);
    ASSERT_EQ(Socket->SendBuffer().Count(), 1u);
    EXPECT_TRUE(Socket->SendBuffer().Head()->AwaitingLookup);
    // The answer can only come through the loop.
    EXPECT_FALSE(Peer.Receive(100));
    ASSERT_TRUE(RunLoopUntil([&] { return Socket->PendingLookups().empty(); }));
    auto datagram = Peer.Receive(2000);
    ASSERT_TRUE(datagram);
    EXPECT_EQ(datagram->Data, "by name");
    EXPECT_TRUE(Socket->SendBuffer().IsEmpty());
    EXPECT_TRUE(Failures.empty());
}

TEST_F(NamedSends, LaterPlainSendsDoNotWaitForALookup)
{
    Socket->SetBound(true);
    ASSERT_TRUE(RunLoopUntil([&] { return Socket->WriteReady(); }));
    Socket->SendPacketToHost("muxpeer.test", "40061", "named");
    Socket->SendPacketTo(Address("127.0.0.1"), 40061, "plain");
    auto first = Peer.Receive(1000);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Data, "plain");
    ASSERT_TRUE(RunLoopUntil([&] { return Socket->PendingLookups().empty(); }));
    auto second = Peer.Receive(2000);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Data, "named");
}

TEST_F(NamedSends, UnknownNameFailsTheSendAndSendsNothing)
{
    Socket->SendPacketToHost("nosuch.test", "40061", "lost");
    ASSERT_TRUE(RunLoopUntil([&] { return !Failures.empty(); }));
    ASSERT_EQ(Failures.size(), 1u);
    EXPECT_EQ(Failures[0].Code, 11001);
    EXPECT_EQ(Failures[0].Addr, "0.0.0.0");
    EXPECT_EQ(Failures[0].Port, 40061);
    EXPECT_EQ(Failures[0].Host, "nosuch.test");
    EXPECT_EQ(Failures[0].PortText, "40061");
    EXPECT_EQ(Failures[0].Data, "lost");
    EXPECT_TRUE(Socket->SendBuffer().IsEmpty());
    EXPECT_TRUE(Socket->PendingLookups().empty());
    EXPECT_FALSE(Peer.Receive(200));
}

TEST_F(NamedSends, AnEmptyHostFailsTheSendAndKeepsNothing)
{
    Socket->SendPacketToHost("", "40061", "lost");
    ASSERT_EQ(Failures.size(), 1u);
    EXPECT_EQ(Failures[0].Code, 11001);
    EXPECT_TRUE(Socket->SendBuffer().IsEmpty());
    EXPECT_TRUE(Socket->PendingLookups().empty());
}

TEST_F(NamedSends, UnknownServiceIsNotSentToPortZero)
{
    Socket->SetUseSendBuffer(false);
    Socket->SendPacketToHost("127.0.0.1", "no-such-service", "lost");
    ASSERT_EQ(Failures.size(), 1u);
    EXPECT_EQ(Failures[0].Code, 11004);
    EXPECT_EQ(Failures[0].Addr, "127.0.0.1");
    EXPECT_EQ(Failures[0].PortText, "no-such-service");
}

TEST(HostLookup, StartRules)
{
    net::TSocketHostLookup lookup;
    try {
        lookup.Start();
        FAIL() << "started without a host";
    } catch (const net::ESocketHostLookup& error) {
        EXPECT_STREQ(error.what(), "Host not assigned");
    }
    lookup.SetHost("lanpeer.test");
    std::vector<std::string> answers;
    lookup.OnComplete = [&](net::TSocketHostLookup& done) {
        answers.push_back(std::to_string(done.ErrorCode()) + " " + Dotted(done.Addresses().at(0)));
    };
    lookup.Start();
    EXPECT_EQ(lookup.State(), net::HostLookupState::InProgress);
    try {
        lookup.Start();
        FAIL() << "started twice";
    } catch (const net::ESocketHostLookup& error) {
        EXPECT_STREQ(error.what(), "Lookup in progress");
    }
    ASSERT_TRUE(RunLoopUntil([&] { return !answers.empty(); }));
    EXPECT_EQ(lookup.State(), net::HostLookupState::Completed);
    EXPECT_EQ(answers, std::vector<std::string>{"0 192.168.1.254"});
    lookup.SetHost("muxpeer.test");
    lookup.Start(); // a completed lookup can run again
    ASSERT_TRUE(RunLoopUntil([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers[1], "0 127.0.0.1");
    EXPECT_TRUE(RunLoopUntil([] { return Workers() == 0; }));
}

// With a name server that never answers, the worker stays in the resolver
// until its timeout (2 s).
struct BlockedResolver : NamedSends {
    RawUdp SilentNameServer{53, "127.0.0.1"};

    void StartBlockedLookup()
    {
        Socket->SendPacketToHost("slow.test", "40061", "never");
        ASSERT_EQ(Socket->PendingLookups().size(), 1u);
        RunLoopFor(100);
        ASSERT_TRUE(SilentNameServer.Receive(2000)) << "the resolver did not ask the silent server";
        ASSERT_EQ(Workers(), 1);
    }
};

TEST_F(BlockedResolver, AnswerArrivesAfterTheResolverTimeout)
{
    auto start = std::chrono::steady_clock::now();
    StartBlockedLookup();
    ASSERT_TRUE(RunLoopUntil([&] { return !Failures.empty(); }, 10000));
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(Failures[0].Host, "slow.test");
    EXPECT_NE(Failures[0].Code, 0);
}

TEST_F(BlockedResolver, ClosingDoesNotWaitAndDropsTheAnswer)
{
    StartBlockedLookup();
    auto start = std::chrono::steady_clock::now();
    Socket->Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_TRUE(Socket->PendingLookups().empty());
    EXPECT_EQ(Workers(), 1); // still inside the resolver, detached
    ASSERT_TRUE(RunLoopUntil([] { return Workers() == 0; }, 10000));
    RunLoopFor(50);
    EXPECT_TRUE(Failures.empty());
    EXPECT_FALSE(Peer.Receive(0));
}

TEST_F(BlockedResolver, DestroyingTheSocketDoesNotWait)
{
    StartBlockedLookup();
    auto start = std::chrono::steady_clock::now();
    Socket.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    ASSERT_TRUE(RunLoopUntil([] { return Workers() == 0; }, 10000));
    RunLoopFor(50);
    EXPECT_TRUE(Failures.empty());
}

TEST_F(BlockedResolver, DestroyedLookupNeverCompletes)
{
    bool completed = false;
    auto lookup = std::make_unique<net::TSocketHostLookup>();
    lookup->SetHost("other-slow.test");
    lookup->OnComplete = [&](net::TSocketHostLookup&) { completed = true; };
    lookup->Start();
    ASSERT_TRUE(SilentNameServer.Receive(3000));
    lookup.reset();
    ASSERT_TRUE(RunLoopUntil([] { return Workers() == 0; }, 10000));
    RunLoopFor(50);
    EXPECT_FALSE(completed);
}

} // namespace
