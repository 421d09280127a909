// SPDX-License-Identifier: MIT
// A socket failure ends the program through the "UWAGA" box, and nothing
// more is sent, dispatched or shown after it.
#include "simulated_lan_window.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace app;

namespace {

using Json = nlohmann::json;

TEST(MainWindowFatal, ALocalPortTakenEndsTheProgramWithTheGeneralAdvice)
{
    SimulatedLanWindow window(Json{{"devices", {MuxSimProcess::Device("192.168.1.10", "MAC-10")}}});
    const int squatter = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(1153);
    ASSERT_EQ(bind(squatter, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);

    window.Form.show();
    ASSERT_TRUE(RunLoopUntil([&] { return window.Form.EndRequested(); }, 5000));
    QTest::qWait(2500);
    close(squatter);

    ASSERT_EQ(window.Recorder.SocketErrors.size(), 1u);
    const QString text = window.Recorder.SocketErrors.front();
    EXPECT_TRUE(text.contains("\rNumer błędu: 10048\r")) << text.toStdString();
    EXPECT_TRUE(text.contains("\rOpis błędu:  Socket bind failed: Address in use\r")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("\rPort UDP 1153 zajmuje inny program (może drugie okno muxconfig);\r"
                              "zamknij go i uruchom program ponownie.\r"))
        << text.toStdString();
    EXPECT_TRUE(window.Sim.Received().empty());
    EXPECT_TRUE(window.Messages().empty());
}

// Any host can send one: an oversized datagram is dropped, never taken as a
// reply (here a discovery reply and a mask), and the program goes on.
TEST(MainWindowFatal, AnOversizedDatagramIsDroppedAndTheProgramGoesOn)
{
    const Json oversized{{"size", 4097}, {"prefix", "A"}};
    SimulatedLanWindow window(
        Json{{"devices",
              {MuxSimProcess::Device("192.168.1.10", "MAC-10", {{"faults", {{"replies", {{"GNM", oversized}}}}}}),
               MuxSimProcess::Device("192.168.1.20", "MAC-BIG", {{"faults", {{"replies", {{"X", oversized}}}}}})}}});
    ASSERT_TRUE(window.Show());
    EXPECT_FALSE(window.Form.EndRequested());
    EXPECT_TRUE(window.Recorder.SocketErrors.empty());
    EXPECT_EQ(window.RowTexts(2), std::vector<std::string>{"MAC-10"});
    EXPECT_EQ(window.RowTexts(1), std::vector<std::string>{""});
}

TEST(MainWindowFatal, ASendFailureDuringTheLoginShowsOneBoxAndSendsNothingMore)
{
    SimulatedLanWindow window(Json{{"devices", {MuxSimProcess::Device("192.168.1.10", "MAC-10")}}});
    TForm1& form = window.Form;
    ASSERT_TRUE(window.Show());
    ASSERT_EQ(window.List()->topLevelItemCount(), 1);

    // Once the selection is answered, broadcasts are refused: the login's send fails.
    net::TUDPSocket& socket = form.CommandSocket();
    auto deliver = socket.OnDataAvailable;
    socket.OnDataAvailable = [&socket, deliver](net::AUDPSocket& sender) {
        socket.SetBroadcastOption(false);
        deliver(sender);
    };
    const std::size_t before = window.Sim.Received().size();
    window.SetButton()->click();
    QTest::qWait(3000);

    EXPECT_TRUE(form.EndRequested());
    ASSERT_EQ(window.Recorder.SocketErrors.size(), 1u);
    const QString text = window.Recorder.SocketErrors.front();
    EXPECT_TRUE(text.contains("\rNumer błędu: 10013\r")) << text.toStdString();
    EXPECT_TRUE(text.contains("Opis błędu:  Send failed: Socket permission denied\r")) << text.toStdString();
    EXPECT_EQ(window.PayloadsSince(before), std::vector<std::string>{"WMAC-10"});
    EXPECT_TRUE(window.Messages().empty()) << "the failed step is not worded a second time";
}

} // namespace
