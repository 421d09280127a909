// SPDX-License-Identifier: MIT
// "Ustaw": the address rule, the change of the selected device, the pause
// and the refresh that follow.
#include "app/device_list_texts.h"
#include "app/device_list_widget.h"
#include "simulated_lan_window.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

using Json = nlohmann::json;
using Sim = MuxSimProcess;

double TimeOf(const Sim::Entry& entry) { return entry["t"].get<double>(); }

// The time of the first datagram `payload` received after index `from`.
double FirstAfter(const std::vector<Sim::Entry>& received, std::size_t from, const std::string& payload)
{
    for (std::size_t n = from; n < received.size(); ++n)
        if (Sim::PayloadBytes(received[n]) == payload)
            return TimeOf(received[n]);
    return -1;
}

TEST(MainWindowChange, ARejectedAddressOnlyShowsItsMessage)
{
    SimulatedLanWindow window(
        Sim::Config({Sim::Device("192.168.1.10", "MAC-10"), Sim::Device("192.168.1.20", "MAC-20")}));
    ASSERT_TRUE(window.Show());
    QTest::keyClick(window.List(), Qt::Key_Down);
    ASSERT_EQ(window.SelectedRow(), 1);
    const std::size_t before = window.Sim.Received().size();

    for (const char* rejected : {"127.0.0.1", "192.168.1.0", "224.0.0.1"}) {
        window.Type(window.AddressEdit(), QString::fromLatin1(rejected));
        ASSERT_EQ(window.AddressEdit()->IPString(), QString::fromLatin1(rejected));
        window.SetButton()->click();
        QTest::qWait(300);
        EXPECT_EQ(window.AddressEdit()->IPString(), QString::fromLatin1(rejected)) << "the typed value stays";
    }
    EXPECT_EQ(window.Messages(), std::vector<std::string>(3, "Adres IP poza dozwolonym zakresem"));
    EXPECT_EQ(window.Sim.Received().size(), before) << "nothing was sent";
    EXPECT_EQ(window.List()->topLevelItemCount(), 2);
    EXPECT_EQ(window.SelectedRow(), 1);
}

TEST(MainWindowChange, ASuccessfulChangePausesThenTheDeviceAnswersFromItsNewAddress)
{
    SimulatedLanWindow window(Sim::Config({Sim::Device("192.168.1.10", "MAC-10", {{"mask", "255.255.255.0"}}),
                                           Sim::Device("192.168.1.20", "MAC-20", {{"mask", "255.255.255.0"}})}));
    ASSERT_TRUE(window.Show());
    ASSERT_EQ(window.RowTexts(0), (std::vector<std::string>{"192.168.1.20", "192.168.1.10"}));
    QTest::keyClick(window.List(), Qt::Key_Down);

    window.Type(window.AddressEdit(), "172.16.5.9");
    window.Type(window.MaskEdit(), "255.255.0.0");
    const std::size_t before = window.Sim.Received().size();
    window.SetButton()->click();
    ASSERT_TRUE(window.WaitForRefreshes(2));

    const auto received = window.Sim.Received();
    EXPECT_EQ(Sim::PayloadBytes(received.at(before)), "WMAC-10");
    EXPECT_EQ(window.Sim.CountReceived("AMAC-10/QOVUT/172.16.5.9"), 3u) << "an accepted assign is sent on every try";
    const double closing = FirstAfter(received, before, "E");
    const double nextDiscovery = FirstAfter(received, before, "X");
    ASSERT_GT(closing, 0);
    EXPECT_GE(nextDiscovery - closing, 1900) << "the device gets its 2000 ms";
    EXPECT_TRUE(window.Messages().empty());

    // Sorted by the fourth number: 172.16.5.9 after 192.168.1.20.
    EXPECT_EQ(window.RowTexts(0), (std::vector<std::string>{"192.168.1.20", "172.16.5.9"}));
    EXPECT_EQ(window.RowTexts(1), (std::vector<std::string>{"255.255.255.0", "255.255.0.0"}));
    EXPECT_EQ(window.RowTexts(2), (std::vector<std::string>{"MAC-20", "MAC-10"}));
    EXPECT_EQ(window.SelectedRow(), 0);
}

TEST(MainWindowChange, ADeviceStillRestartingAfterItsChangeIsNamedBelowTheList)
{
    const std::string mac = "0.14.198.74.16.10";
    SimulatedLanWindow window(Sim::Config(
        {Sim::Device("192.168.1.10", mac, {{"restart_seconds", 5}}), Sim::Device("192.168.1.20", "MAC-20")}));
    ASSERT_TRUE(window.Show());
    window.Select(1);
    window.Type(window.AddressEdit(), "192.168.1.11");
    window.SetButton()->click();
    ASSERT_TRUE(window.WaitForRefreshes(2));

    EXPECT_EQ(window.RowTexts(2), std::vector<std::string>{"MAC-20"});
    EXPECT_EQ(static_cast<app::DeviceListWidget*>(window.List())->PlaceholderText(),
              app::MissingAfterChangeText(mac, "192.168.1.11"));
    EXPECT_TRUE(window.Messages().empty());
}

TEST(MainWindowChange, AFailedChangeShowsItsMessageAndRefreshesAtOnce)
{
    SimulatedLanWindow window(
        Sim::Config({Sim::Device("192.168.1.10", "MAC-10", {{"faults", {{"replies", {{"A", "C"}}}}}})}));
    ASSERT_TRUE(window.Show());
    window.Type(window.AddressEdit(), "192.168.1.11");
    const std::size_t before = window.Sim.Received().size();
    window.SetButton()->click();
    ASSERT_TRUE(window.WaitForRefreshes(2));

    EXPECT_EQ(window.Messages(), std::vector<std::string>{"Niewłaściwa nazwa/parametr funkcji."});
    const auto received = window.Sim.Received();
    EXPECT_EQ(window.Sim.CountReceived("AMAC-10/QOVUT/192.168.1.11"), 3u);
    EXPECT_EQ(window.Sim.CountReceived("E"), 0u) << "a failed change sends no closing command";
    double lastAssign = 0;
    for (std::size_t n = before; n < received.size(); ++n)
        if (Sim::PayloadBytes(received[n]).rfind("AMAC-10", 0) == 0)
            lastAssign = TimeOf(received[n]);
    EXPECT_LT(FirstAfter(received, before, "X") - lastAssign, 1000) << "no pause after a failure";
    EXPECT_EQ(window.RowTexts(0), std::vector<std::string>{"192.168.1.10"});
}

TEST(MainWindowChange, NoRowSelectedMeansNothingToChange)
{
    SimulatedLanWindow window(Sim::Config({Sim::Device("192.168.1.10", "MAC-10")}));
    ASSERT_TRUE(window.Show());
    window.List()->clearSelection();
    const QString shown = window.AddressEdit()->IPString();
    const std::size_t before = window.Sim.Received().size();
    window.SetButton()->click();
    QTest::qWait(300);
    EXPECT_EQ(window.Sim.Received().size(), before);
    EXPECT_EQ(window.AddressEdit()->IPString(), shown);
    EXPECT_TRUE(window.Messages().empty());
}

TEST(MainWindowChange, AnUnknownMaskShowsAsZerosAndOnlyARealMaskIsSent)
{
    SimulatedLanWindow window(
        Sim::Config({Sim::Device("192.168.1.10", "MAC-10", {{"faults", {{"replies", {{"GNM", "A"}}}}}})}));
    ASSERT_TRUE(window.Show());
    EXPECT_EQ(window.MaskEdit()->IPString(), QStringLiteral("0.0.0.0"));
    const std::size_t before = window.Sim.Received().size();
    for (const char* mask : {"0.0.0.0", "255.0.255.0", "255.255.255.255"}) {
        window.MaskEdit()->setIPString(QString::fromLatin1(mask));
        window.SetButton()->click();
    }
    QTest::qWait(300);
    EXPECT_EQ(window.Messages(), std::vector<std::string>(3, "Niewłaściwa maska podsieci"));
    EXPECT_EQ(window.Sim.Received().size(), before) << "nothing was sent";
}

// During "Ustaw" the cursor is busy and clicks on the (disabled) list do not
// rewrite the fields; other buttons than the primary one never select.
TEST(MainWindowChange, TheWindowShowsAChangeAtWork)
{
    SimulatedLanWindow window(Sim::Config({Sim::Device("192.168.1.10", "MAC-10"),
                                           Sim::Device("192.168.1.20", "MAC-20", {{"faults", {{"delay_ms", 300}}}})}));
    ASSERT_TRUE(window.Show());
    QTreeWidget* list = window.List();
    const auto clickRow1 = [&](Qt::MouseButton button) {
        QTest::mouseClick(list->viewport(), button, {}, list->visualItemRect(list->topLevelItem(1)).center());
    };
    Qt::CursorShape cursor = Qt::ArrowCursor;
    QString shown;
    QTimer::singleShot(500, [&] {
        cursor = window.Form.cursor().shape();
        window.AddressEdit()->setIPString(QStringLiteral("192.168.1.99"));
        clickRow1(Qt::LeftButton);
        shown = window.AddressEdit()->IPString();
    });
    window.SetButton()->click();
    EXPECT_EQ(cursor, Qt::WaitCursor);
    EXPECT_EQ(shown, QStringLiteral("192.168.1.99"));
    clickRow1(Qt::RightButton);
    EXPECT_EQ(window.SelectedRow(), 0);
    EXPECT_EQ(window.AddressEdit()->IPString(), QStringLiteral("192.168.1.20"));
}

} // namespace
