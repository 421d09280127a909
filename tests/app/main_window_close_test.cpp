// SPDX-License-Identifier: MIT
// Closing the window: one closing command per listed device, and a close in
// the middle of an operation that stops it for good.
#include "simulated_lan_window.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using Json = nlohmann::json;

TEST(MainWindowClose, EveryListedDeviceGetsOneClosingCommand)
{
    SimulatedLanWindow window(
        Json{{"devices",
              {MuxSimProcess::Device("192.168.1.10", "MAC-10"), MuxSimProcess::Device("192.168.1.20", "MAC-20"),
               MuxSimProcess::Device("10.0.0.30", "MAC-30")}}});
    ASSERT_TRUE(window.Show());
    ASSERT_EQ(window.List()->topLevelItemCount(), 3);
    const std::size_t before = window.Sim.Received().size();

    window.Form.close();
    ASSERT_TRUE(window.Sim.WaitForPayload("E", 3));
    QTest::qWait(200);
    const auto received = window.Sim.Received();
    ASSERT_EQ(received.size(), before + 3);
    for (std::size_t n = before; n < received.size(); ++n) {
        EXPECT_EQ(MuxSimProcess::PayloadBytes(received[n]), "E");
        EXPECT_EQ(received[n]["from"], "192.168.1.1:1153");
        EXPECT_EQ(received[n]["to"], "255.255.255.255");
    }
    EXPECT_EQ(window.Form.CommandSocket().SocketHandle(), -1) << "the socket is closed";
}

TEST(MainWindowClose, AnEmptyListSendsNothing)
{
    SimulatedLanWindow window(Json{{"devices", Json::array()}});
    ASSERT_TRUE(window.Show());
    window.Form.close();
    QTest::qWait(300);
    EXPECT_EQ(window.Sim.ReceivedPayloads(), std::vector<std::string>{"X"});
}

// Closes the window from inside a running refresh after `delayMs`, and checks
// that nothing leaves after the closing commands and the refresh unwinds at once.
void CloseDuringRefresh(int delayMs)
{
    MuxSimProcess sim(
        Json{{"devices",
              {MuxSimProcess::Device("192.168.1.10", "MAC-10"),
               MuxSimProcess::Device("192.168.1.20", "MAC-20", {{"faults", {{"silent", true}}}}),
               MuxSimProcess::Device("192.168.1.30", "MAC-30", {{"faults", {{"refuse_selection", nullptr}}}})}}});
    RunningProgram program;
    QElapsedTimer sinceClose;
    QTimer::singleShot(delayMs, [&] {
        sinceClose.start();
        program.Form.close();
    });
    program.Form.show();
    ASSERT_TRUE(RunLoopUntil([&] { return sinceClose.isValid(); }, 20000));
    // The refresh was nested inside the close's caller; it has unwound by now.
    ASSERT_TRUE(RunLoopUntil([&] { return !program.Form.isVisible(); }, 3000));
    EXPECT_LT(sinceClose.elapsed(), 2500);
    QTest::qWait(2500); // long enough for any retry to show on the wire

    const auto payloads = sim.ReceivedPayloads();
    auto firstClosing = std::find(payloads.begin(), payloads.end(), "E");
    for (auto it = firstClosing; it != payloads.end(); ++it)
        EXPECT_EQ(*it, "E") << "nothing may follow the closing commands";
    EXPECT_TRUE(program.Session.Abandoned());
    EXPECT_EQ(program.Form.CommandSocket().SocketHandle(), -1);
    EXPECT_TRUE(program.Recorder.SocketErrors.empty());
}

TEST(MainWindowClose, ClosingDuringTheCollectionWindowStopsTheRefresh) { CloseDuringRefresh(1000); }

TEST(MainWindowClose, ClosingWhileAwaitingASilentDeviceStopsTheRefresh) { CloseDuringRefresh(3200); }

} // namespace
