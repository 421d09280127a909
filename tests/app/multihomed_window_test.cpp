// SPDX-License-Identifier: MIT
// A workstation with two interfaces ("wifi" with the default route, "eth"),
// in the topologies of scripts/netlab: each ctest entry runs the cases of
// its topology.
#include "checks/interface_choice.h"
#include "simulated_lan_window.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace app;

namespace {

using Json = nlohmann::json;
using Sim = MuxSimProcess;

std::vector<std::string> Tooltips(const RunningProgram& program)
{
    std::vector<std::string> texts;
    for (int row = 0; row < program.List()->topLevelItemCount(); ++row)
        texts.push_back(program.List()->topLevelItem(row)->toolTip(0).toStdString());
    return texts;
}

TEST(TwoInterfaces, TheFleetBehindEthIsListedAndWifiAloneFindsNone)
{
    Sim sim(Sim::Config({Sim::Device("192.168.1.40", "MAC-IN"), Sim::Device("10.1.2.20", "MAC-OUT")}));
    {
        RunningProgram program;
        program.Form.show();
        ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
        EXPECT_EQ(program.RowTexts(2), (std::vector<std::string>{"MAC-IN", "MAC-OUT"}));
        EXPECT_EQ(Tooltips(program), (std::vector<std::string>(2, "Interfejs: eth")));
        EXPECT_EQ(sim.CountReceived("WMAC-IN"), 1u);
        EXPECT_EQ(sim.CountReceived("WMAC-OUT"), 1u);
        program.Form.close();
        ASSERT_TRUE(sim.WaitForPayload("E", 2));
    }
    const std::size_t before = sim.Received().size();
    RunningProgram wifiOnly(*checks::ChooseInterfaces({"wifi"}).Selection);
    wifiOnly.Form.show();
    QTest::qWait(3000);
    EXPECT_TRUE(wifiOnly.RefreshButton()->isEnabled());
    EXPECT_EQ(wifiOnly.List()->topLevelItemCount(), 0);
    EXPECT_EQ(sim.Received().size(), before) << "nothing went out through eth";
}

TEST(TwoInterfaces, OnlyUsableInterfaceNamesAreAccepted)
{
    EXPECT_TRUE(checks::ChooseInterfaces({}).Selection.has_value());
    EXPECT_TRUE(checks::ChooseInterfaces({"eth", "wifi"}).Selection.has_value());
    const checks::InterfaceChoice unknown = checks::ChooseInterfaces({"eth", "nosuch0"});
    EXPECT_FALSE(unknown.Selection);
    EXPECT_NE(unknown.Error.find("\"nosuch0\""), std::string::npos) << unknown.Error;
    EXPECT_FALSE(checks::ChooseInterfaces({"lo"}).Selection) << "the loopback cannot broadcast to the fleet";
}

TEST(SplitFleet, BothHalvesAreListedAndAChangeStaysOnItsSegment)
{
    SimulatedLanWindow window(Sim::Config({Sim::Device("192.168.1.40", "MAC-A"), Sim::Device("10.1.2.20", "MAC-C")}));
    Sim wifi(Sim::Config({Sim::Device("172.16.5.5", "MAC-B"), Sim::Device("192.168.7.30", "MAC-D")}), {},
             "MUXLAN_WIFI_EXEC");
    const Sim& eth = window.Sim;
    ASSERT_TRUE(window.Show());
    ASSERT_TRUE(wifi.WaitForPayload("X"));
    EXPECT_EQ(window.RowTexts(2), (std::vector<std::string>{"MAC-A", "MAC-D", "MAC-C", "MAC-B"}));
    EXPECT_EQ(Tooltips(window),
              (std::vector<std::string>{"Interfejs: eth", "Interfejs: wifi", "Interfejs: eth", "Interfejs: wifi"}));

    // MAC-C sits behind eth, where no route leads: the routing table would
    // send its commands into the wifi.
    const std::vector<std::string> wifiRefresh = wifi.ReceivedPayloads();
    window.List()->setCurrentItem(window.List()->topLevelItem(2));
    ASSERT_EQ(window.SelectedRow(), 2);
    window.Type(window.AddressEdit(), QStringLiteral("10.1.2.21"));
    window.SetButton()->click();
    ASSERT_TRUE(eth.WaitForPayload("AMAC-C/QOVUT/10.1.2.21"));
    ASSERT_TRUE(eth.WaitForPayload("E"));
    EXPECT_TRUE(window.Messages().empty());
    // The change ends with a refresh: the wifi segment hears that once more, and nothing else.
    std::vector<std::string> twice = wifiRefresh;
    twice.insert(twice.end(), wifiRefresh.begin(), wifiRefresh.end());
    ASSERT_TRUE(wifi.WaitForReceived(twice.size()));
    EXPECT_EQ(wifi.ReceivedPayloads(), twice) << "nothing of the change reached the wifi segment";
}

TEST(SameSegment, EachDeviceHearsEachOfItsCommandsOnce)
{
    Sim sim(Sim::Config({Sim::Device("192.168.1.40", "MAC-A", {{"mask", "255.255.255.0"}}),
                         Sim::Device("192.168.1.30", "MAC-B", {{"mask", "255.255.0.0"}}),
                         Sim::Device("10.1.2.20", "MAC-C", {{"mask", "255.0.0.0"}})}));
    {
        RunningProgram program;
        program.Form.show();
        ASSERT_TRUE(WaitForRefreshes(program, sim, 2)); // one "X" per interface
        EXPECT_EQ(program.RowTexts(1), (std::vector<std::string>{"255.255.255.0", "255.255.0.0", "255.0.0.0"}));
        for (int row = 0; row < 3; ++row)
            EXPECT_TRUE(program.List()->topLevelItem(row)->icon(0).isNull()) << "read correctly: row " << row;
        program.Form.close();
    }
    EXPECT_EQ(sim.CountReceived("X"), 2u);
    for (const char* mac : {"MAC-A", "MAC-B", "MAC-C"})
        EXPECT_EQ(sim.CountReceived(std::string("W") + mac), 1u) << mac;
    // Neither carries the device's identity: three devices, three of each.
    for (const char* command : {"LQOVUT", "GNM", "GDN", "E"})
        EXPECT_EQ(sim.CountReceived(command), 3u) << command;
}

} // namespace
