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

std::vector<std::string> Tooltips(const TForm1& form)
{
    std::vector<std::string> texts;
    for (int row = 0; row < form.lvIP->topLevelItemCount(); ++row)
        texts.push_back(form.lvIP->topLevelItem(row)->toolTip(0).toStdString());
    return texts;
}

void TypeAddress(widgets::TRIPEdit* edit, const QString& text)
{
    const QStringList parts = text.split('.');
    for (int n = 1; n <= 4; ++n) {
        edit->Section(n)->setFocus();
        edit->Section(n)->selectAll();
        QTest::keyClicks(edit->Section(n), parts.at(n - 1));
    }
}

TEST(TwoInterfaces, TheFleetBehindEthIsListedAndWifiAloneFindsNone)
{
    Sim sim(Sim::Config({Sim::Device("192.168.1.40", "MAC-IN"), Sim::Device("10.1.2.20", "MAC-OUT")}));
    {
        RunningProgram program;
        program.form.show();
        ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
        EXPECT_EQ(RowTexts(program.form, 2), (std::vector<std::string>{"MAC-IN", "MAC-OUT"}));
        EXPECT_EQ(Tooltips(program.form), (std::vector<std::string>(2, "Interfejs: eth")));
        EXPECT_EQ(sim.CountReceived("WMAC-IN"), 1u);
        EXPECT_EQ(sim.CountReceived("WMAC-OUT"), 1u);
        program.form.close();
        ASSERT_TRUE(sim.WaitForPayload("E", 2));
    }
    const std::size_t before = sim.Received().size();
    RunningProgram wifiOnly(*checks::ChooseInterfaces({"wifi"}).Selection);
    wifiOnly.form.show();
    QTest::qWait(3000);
    EXPECT_TRUE(wifiOnly.form.bPobierzIP->isEnabled());
    EXPECT_EQ(wifiOnly.form.lvIP->topLevelItemCount(), 0);
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
    Sim eth(Sim::Config({Sim::Device("192.168.1.40", "MAC-A"), Sim::Device("10.1.2.20", "MAC-C")}));
    Sim wifi(Sim::Config({Sim::Device("172.16.5.5", "MAC-B"), Sim::Device("192.168.7.30", "MAC-D")}), {},
             "MUXLAN_WIFI_EXEC");
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, eth, 1));
    ASSERT_TRUE(wifi.WaitForPayload("X"));
    EXPECT_EQ(RowTexts(form, 2), (std::vector<std::string>{"MAC-A", "MAC-D", "MAC-C", "MAC-B"}));
    EXPECT_EQ(Tooltips(form),
              (std::vector<std::string>{"Interfejs: eth", "Interfejs: wifi", "Interfejs: eth", "Interfejs: wifi"}));

    // MAC-C sits behind eth, where no route leads: the routing table would
    // send its commands into the wifi.
    const std::vector<std::string> wifiRefresh = wifi.ReceivedPayloads();
    form.lvIP->setCurrentItem(form.lvIP->topLevelItem(2));
    ASSERT_EQ(SelectedRow(form), 2);
    TypeAddress(form.IP, QStringLiteral("10.1.2.21"));
    form.bZmienIP->click();
    ASSERT_TRUE(eth.WaitForPayload("AMAC-C/QOVUT/10.1.2.21"));
    ASSERT_TRUE(eth.WaitForPayload("E"));
    EXPECT_TRUE(program.messages.plain.empty());
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
        program.form.show();
        ASSERT_TRUE(WaitForRefreshes(program, sim, 2)); // one "X" per interface
        EXPECT_EQ(RowTexts(program.form, 1), (std::vector<std::string>{"255.255.255.0", "255.255.0.0", "255.0.0.0"}));
        for (int row = 0; row < 3; ++row)
            EXPECT_TRUE(program.form.lvIP->topLevelItem(row)->icon(0).isNull()) << "read correctly: row " << row;
        program.form.close();
    }
    EXPECT_EQ(sim.CountReceived("X"), 2u);
    for (const char* mac : {"MAC-A", "MAC-B", "MAC-C"})
        EXPECT_EQ(sim.CountReceived(std::string("W") + mac), 1u) << mac;
    // Neither carries the device's identity: three devices, three of each.
    for (const char* command : {"LQOVUT", "GNM", "GDN", "E"})
        EXPECT_EQ(sim.CountReceived(command), 3u) << command;
}

} // namespace
