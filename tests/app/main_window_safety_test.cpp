// SPDX-License-Identifier: MIT
// "Ustaw" never breaks the shop's network: an address in use is refused
// before anything is sent, a change is journalled, and an interface that goes
// away stops only what needs it.
#include "journal/journal_place.h"
#include "journal/journal_reading.h"
#include "simulated_lan_window.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>

namespace {

using Json = nlohmann::json;
using MuxSim = MuxSimProcess;
const std::string kA = "00:0E:C6:00:00:0A";
const std::string kB = "00:0E:C6:00:00:0B";

// Each change of the journal as "interface mac old/mask -> new/mask: outcome".
std::vector<std::string> JournalLines()
{
    std::vector<std::string> lines;
    for (const journal::JournalChange& change : journal::ReadJournal(journal::JournalPath()).Changes) {
        const journal::ChangeStart& start = change.Begin.Start;
        lines.push_back(start.InterfaceName + " " + start.Mac + " " + start.OldAddress + "/" + start.OldMask + " -> " +
                        start.NewAddress + "/" + start.NewMask + ": " + (change.End ? change.End->Outcome : "none"));
    }
    return lines;
}

struct Conflict {
    QString Address;
    std::string Box;
};

TEST(MainWindowSafety, AnAddressInUseIsRefusedBeforeAnythingIsSentAndTheOwnAddressIsNone)
{
    Json fleet = MuxSim::Config({MuxSim::Device("192.168.1.10", kA), MuxSim::Device("192.168.1.20", kB)});
    fleet["hosts"] = Json::array({{{"ip", "192.168.1.40"}, {"mac", "00:11:22:33:44:55"}}});
    SimulatedLanWindow window(fleet);
    ASSERT_TRUE(window.Show());
    window.Select(1);
    ASSERT_EQ(window.RowTexts(2).at(1), kA);
    const std::size_t before = window.Sim.Received().size();
    const Conflict conflicts[] = {
        {"192.168.1.20", "adres 192.168.1.20 ma już multiplekser " + kB},
        {"192.168.1.1", "adres 192.168.1.1 jest adresem tego komputera"},
        {"192.168.1.40", "adres 192.168.1.40 jest zajęty: odpowiada na niego 00:11:22:33:44:55"},
    };
    for (const Conflict& conflict : conflicts) {
        window.Recorder.Plain.clear();
        window.Type(window.AddressEdit(), conflict.Address);
        window.SetButton()->click();
        EXPECT_EQ(window.Messages(),
                  std::vector<std::string>{"Adres IP jest zajęty: " + conflict.Box + ". Nic nie wysłano."});
        EXPECT_EQ(window.PayloadsSince(before), std::vector<std::string>{}) << conflict.Box;
    }

    // Its own address again with a new mask, then a free address: both go through, into the journal.
    window.Recorder.Plain.clear();
    window.Type(window.AddressEdit(), "192.168.1.10");
    window.Type(window.MaskEdit(), "255.255.0.0");
    window.SetButton()->click();
    window.Select(1);
    window.Type(window.AddressEdit(), "192.168.1.11");
    window.SetButton()->click();
    EXPECT_EQ(window.Sim.CountReceived("SNM255.255.0.0"), 2u) << "the mask goes with each change";
    EXPECT_EQ(window.Sim.CountReceived("A" + kA + "/QOVUT/192.168.1.11"), 3u);
    EXPECT_EQ(window.RowTexts(0), (std::vector<std::string>{"192.168.1.20", "192.168.1.11"}));
    EXPECT_EQ(window.Messages(), std::vector<std::string>{});
    EXPECT_EQ(
        JournalLines(),
        (std::vector<std::string>{"mux0 " + kA + " 192.168.1.10/255.255.255.0 -> 192.168.1.10/255.255.0.0: verified",
                                  "mux0 " + kA + " 192.168.1.10/255.255.0.0 -> 192.168.1.11/255.255.0.0: verified"}));
}

// One MAC answering from two addresses, beside a module as the field has it
// (a padded decimal MAC, answers by broadcast).
TEST(MainWindowSafety, OneMacInTwoPlacesIsListedOnceMarkedAndNeverChanged)
{
    const std::string twin = "0.1.2.3.4.5", padded = "000.014.198.074.016.002";
    SimulatedLanWindow window(MuxSim::Config({MuxSim::Device("192.168.1.35", twin), MuxSim::Device("10.0.0.35", twin),
                                              MuxSim::Device("192.168.1.32", padded, {{"reply_to_broadcast", true}})}));
    ASSERT_TRUE(window.Show());
    ASSERT_EQ(window.RowTexts(2), (std::vector<std::string>{twin, padded}));
    const QTreeWidgetItem* marked = window.List()->topLevelItem(0);
    const QTreeWidgetItem* field = window.List()->topLevelItem(1);
    const QString at = marked->text(0), other = at == "192.168.1.35" ? "10.0.0.35" : "192.168.1.35";
    EXPECT_EQ(marked->icon(0).pixmap(16).toImage(), QIcon(":/icons/exclamation.xpm").pixmap(16).toImage());
    EXPECT_EQ(marked->toolTip(0),
              "Ten sam adres MAC odpowiada też z innego adresu IP; żadne polecenie nie rozróżni "
              "tych urządzeń, więc zmiana jest zablokowana.\nTen MAC odpowiada też z adresu " +
                  other + ".\nInterfejs: mux0");
    EXPECT_EQ(marked->data(0, Qt::AccessibleTextRole).toString(), at + ", MAC w dwóch miejscach");
    EXPECT_TRUE(field->icon(0).isNull());
    EXPECT_EQ(field->toolTip(0).toStdString(), "Adres MAC: " + padded + "\nInterfejs: mux0") << "the column cuts it";
    EXPECT_EQ(field->data(0, Qt::AccessibleTextRole).toString().toStdString(), "192.168.1.32, MAC " + padded);

    window.Type(window.AddressEdit(), "192.168.1.45");
    const std::size_t before = window.Sim.Received().size();
    window.SetButton()->click();
    QTest::qWait(300);
    EXPECT_EQ(window.Messages(),
              std::vector<std::string>{"MAC odpowiada z dwóch adresów: " + at.toStdString() + " i " +
                                       other.toStdString() +
                                       "; żadne polecenie nie rozróżni tych urządzeń. Nic nie wysłano."});
    EXPECT_EQ(window.PayloadsSince(before), std::vector<std::string>{});
    EXPECT_TRUE(window.SetButton()->isEnabled());
}

// A workstation with "eth" and "wifi", each on a segment of its own
// (scripts/netlab's split topology): "eth" is deleted under the window.
struct SplitLan : SimulatedLanWindow {
    SplitLan() : SimulatedLanWindow(MuxSim::Config({MuxSim::Device("192.168.1.40", "MAC-A")})) {}
    MuxSim Wifi{MuxSim::Config({MuxSim::Device("172.16.5.5", "MAC-B"), MuxSim::Device("192.168.7.30", "MAC-D")}),
                {},
                "MUXLAN_WIFI_EXEC"};
    static int DeleteEth() { return std::system("ip link del eth"); }
    void ExpectTheWifiFleetListedAndNoFailure()
    {
        // In either order: a device dropped between them (MAC-A, whose
        // interface went) splits the table into runs sorted on their own.
        std::vector<std::string> listed = RowTexts(2);
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, (std::vector<std::string>{"MAC-B", "MAC-D"}));
        EXPECT_EQ(RowTexts(1), (std::vector<std::string>(2, "255.255.255.0")));
        EXPECT_FALSE(Form.EndRequested());
        EXPECT_EQ(Recorder.SocketErrors, std::vector<QString>{});
    }
};

TEST(InterfaceLost, BeforeUstawTheChangeStopsWithAPlainBoxAndLaterRefreshesWork)
{
    SplitLan lan;
    ASSERT_TRUE(lan.Show());
    ASSERT_EQ(lan.List()->topLevelItem(0)->toolTip(0), "Interfejs: eth");
    ASSERT_EQ(SplitLan::DeleteEth(), 0);
    lan.Type(lan.AddressEdit(), "192.168.1.41");
    lan.SetButton()->click(); // returns once the refresh after it is over
    EXPECT_EQ(lan.Messages(),
              std::vector<std::string>{"Interfejs sieciowy eth, przez który odpowiadało urządzenie, "
                                       "jest niedostępny. Zmiana nie została wykonana."});
    lan.ExpectTheWifiFleetListedAndNoFailure();
    lan.RefreshButton()->click();
    EXPECT_TRUE(lan.Wifi.WaitForPayload("X", 3));
    lan.ExpectTheWifiFleetListedAndNoFailure();
}

TEST(InterfaceLost, DuringDiscoveryTheOtherInterfacesDevicesAreStillListed)
{
    SplitLan lan;
    ASSERT_TRUE(lan.Show());
    ASSERT_EQ(lan.RowTexts(2), (std::vector<std::string>{"MAC-A", "MAC-D", "MAC-B"}));
    int deleted = -1;
    QTimer::singleShot(300, [&] { deleted = SplitLan::DeleteEth(); }); // in the collection window
    lan.RefreshButton()->click();
    ASSERT_EQ(deleted, 0);
    lan.ExpectTheWifiFleetListedAndNoFailure();
}

} // namespace
