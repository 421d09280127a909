// SPDX-License-Identifier: MIT
// Refreshing the list against simulated multiplexers: what the operator sees
// after each refresh and when moving through the rows.
#include "simulated_lan_window.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

using Json = nlohmann::json;
using Sim = MuxSimProcess;

TEST(MainWindowRefresh, AnEmptyLanLeavesOnlyTheListAndTheRefreshButton)
{
    SimulatedLanWindow window(Json{{"devices", Json::array()}});
    ASSERT_TRUE(window.Show());
    EXPECT_EQ(window.List()->topLevelItemCount(), 0);
    EXPECT_TRUE(window.List()->isEnabled());
    EXPECT_TRUE(window.AddressEdit()->isHidden());
    EXPECT_TRUE(window.MaskEdit()->isHidden());
    EXPECT_TRUE(window.PortBox()->isHidden());
    EXPECT_TRUE(window.Headings()->isHidden());
    EXPECT_TRUE(window.SetButton()->isHidden());
    EXPECT_TRUE(window.RefreshButton()->isVisible());
    EXPECT_EQ(window.Form.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(window.Messages().empty());
    EXPECT_EQ(window.Sim.ReceivedPayloads(), std::vector<std::string>{"X"});
}

TEST(MainWindowRefresh, RowZeroIsSelectedAndShownAndTheKeyboardMovesTheFields)
{
    SimulatedLanWindow window(
        Sim::Config({Sim::Device("192.168.1.40", "MAC-A", {{"port", "abc"}, {"mask", "255.255.255.0"}}),
                     Sim::Device("192.168.1.30", "MAC-B", {{"port", "80"}, {"mask", "255.255.0.0"}}),
                     Sim::Device("10.1.2.20", "MAC-C", {{"port", "70000"}, {"mask", "255.0.0.0"}}),
                     Sim::Device("192.168.2.10", "MAC-D", {{"port", "1153"}})}));
    ASSERT_TRUE(window.Show());

    // Sorted by the fourth number, descending.
    EXPECT_EQ(window.RowTexts(0),
              (std::vector<std::string>{"192.168.1.40", "192.168.1.30", "10.1.2.20", "192.168.2.10"}));
    EXPECT_EQ(window.RowTexts(2), (std::vector<std::string>{"MAC-A", "MAC-B", "MAC-C", "MAC-D"}));
    EXPECT_EQ(window.SelectedRow(), 0);
    EXPECT_EQ(window.List()->currentItem(), window.List()->topLevelItem(0));
    EXPECT_TRUE(window.List()->hasFocus());
    EXPECT_TRUE(window.SetButton()->isVisible());

    struct Shown {
        const char* Address;
        const char* Mask;
        int Port;
    };
    const Shown expected[] = {{"192.168.1.40", "255.255.255.0", 1001},
                              {"192.168.1.30", "255.255.0.0", 1001},
                              {"10.1.2.20", "255.0.0.0", 65534},
                              {"192.168.2.10", "255.255.255.0", 1153}};
    for (int row = 0; row < 4; ++row) {
        if (row > 0)
            QTest::keyClick(window.List(), Qt::Key_Down);
        EXPECT_EQ(window.SelectedRow(), row);
        EXPECT_EQ(window.AddressEdit()->IPString().toStdString(), expected[row].Address) << row;
        EXPECT_EQ(window.MaskEdit()->IPString().toStdString(), expected[row].Mask) << row;
        EXPECT_EQ(window.PortBox()->value(), expected[row].Port) << row;
        EXPECT_FALSE(window.PortBox()->isEnabled());
    }
    QTest::keyClick(window.List(), Qt::Key_Home);
    EXPECT_EQ(window.AddressEdit()->IPString(), QStringLiteral("192.168.1.40"));
}

TEST(MainWindowRefresh, RowsLeadToTheirDevicesWhenAnEarlierDeviceWasDropped)
{
    // The first device to answer refuses the login: its slot stays in the
    // table without an address, ahead of the listed ones.
    SimulatedLanWindow window(
        Sim::Config({Sim::Device("192.168.1.99", "MAC-REFUSING", {{"faults", {{"deny_login", true}}}}),
                     Sim::Device("192.168.1.20", "MAC-20", {{"mask", "255.255.255.128"}, {"port", "2020"}}),
                     Sim::Device("192.168.1.10", "MAC-10", {{"mask", "255.255.0.0"}, {"port", "1010"}})}));
    ASSERT_TRUE(window.Show());
    ASSERT_EQ(window.RowTexts(0), (std::vector<std::string>{"192.168.1.20", "192.168.1.10"}));

    QTest::keyClick(window.List(), Qt::Key_Down);
    EXPECT_EQ(window.AddressEdit()->IPString(), QStringLiteral("192.168.1.10"));
    EXPECT_EQ(window.MaskEdit()->IPString(), QStringLiteral("255.255.0.0"));
    EXPECT_EQ(window.PortBox()->value(), 1010);

    // "Ustaw" with the fields unchanged names the device of the selected row.
    const std::size_t before = window.Sim.Received().size();
    window.SetButton()->click();
    ASSERT_TRUE(window.WaitForRefreshes(2));
    std::vector<std::string> change = window.PayloadsSince(before);
    change.erase(std::find(change.begin(), change.end(), "X"), change.end());
    EXPECT_EQ(change, (std::vector<std::string>{"WMAC-10", "LQOVUT", "SNM255.255.0.0", "E"}));
    EXPECT_TRUE(window.Messages().empty());
}

TEST(MainWindowRefresh, FieldsShowTheDeviceWhateverWasTypedBefore)
{
    SimulatedLanWindow window(Sim::Config({Sim::Device("192.168.1.10", "MAC-10")}));
    ASSERT_TRUE(window.Show());
    ASSERT_EQ(window.AddressEdit()->IPString(), QStringLiteral("192.168.1.10"));

    // The operator empties the last section, then refreshes.
    widgets::TIPMaskEdit* last = window.AddressEdit()->Section(4);
    last->setFocus();
    last->selectAll();
    QTest::keyClick(last, Qt::Key_Backspace);
    ASSERT_EQ(window.AddressEdit()->IPString(), QStringLiteral("192.168.1."));
    window.RefreshButton()->click();
    ASSERT_TRUE(window.WaitForRefreshes(2));
    EXPECT_EQ(window.AddressEdit()->IPString(), QStringLiteral("192.168.1.10"));
}

TEST(MainWindowRefresh, ControlsAreDisabledAndTheCursorIsBusyDuringARefresh)
{
    SimulatedLanWindow window(Sim::Config({Sim::Device("192.168.1.10", "MAC-10")}));
    ASSERT_TRUE(window.Show());

    // Look at the window from inside the refresh, during the collection window.
    struct Seen {
        bool RefreshEnabled = true, ChangeEnabled = true, ListEnabled = true;
        Qt::CursorShape Cursor = Qt::ArrowCursor;
    } seen;
    QTimer::singleShot(1000, [&] {
        seen = {window.RefreshButton()->isEnabled(), window.SetButton()->isEnabled(), window.List()->isEnabled(),
                window.Form.cursor().shape()};
    });
    window.RefreshButton()->click();
    EXPECT_FALSE(seen.RefreshEnabled);
    EXPECT_FALSE(seen.ChangeEnabled);
    EXPECT_FALSE(seen.ListEnabled);
    EXPECT_EQ(seen.Cursor, Qt::WaitCursor);
    EXPECT_TRUE(window.RefreshButton()->isEnabled());
    EXPECT_EQ(window.Form.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(window.Sim.CountReceived("X"), 2u);
}

TEST(MainWindowRefresh, ALateDiscoveryReplyLeavesTheIdleListEnabled)
{
    SimulatedLanWindow window(Sim::Config(
        {Sim::Device("192.168.1.10", "MAC-10", {{"faults", {{"replies", {{"X", {{"delay_ms", 2400}}}}}}}})}));
    ASSERT_TRUE(window.Show());
    QTest::qWait(1000);
    EXPECT_EQ(window.List()->topLevelItemCount(), 0);
    EXPECT_TRUE(window.List()->isEnabled());
}

TEST(MainWindowRefresh, OnlyTheFirstDisplayRefreshes)
{
    SimulatedLanWindow window(Sim::Config({Sim::Device("192.168.1.10", "MAC-10")}));
    ASSERT_TRUE(window.Show());

    // Coming back from another program, from a message box, or from the
    // task bar activates or shows the window again: no refresh.
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window.Form, &activate);
    window.Form.showMinimized();
    window.Form.showNormal();
    window.Form.activateWindow();
    QTest::qWait(2500);
    EXPECT_EQ(window.Sim.CountReceived("X"), 1u);
}

TEST(MainWindowRefresh, EnterPressesTheDefaultButtonWhereverTheFocusIs)
{
    SimulatedLanWindow window(Sim::Config({Sim::Device("192.168.1.10", "MAC-10")}));
    ASSERT_TRUE(window.Show());

    QTest::keyClick(window.List(), Qt::Key_Return); // the list has the focus after a refresh
    ASSERT_TRUE(window.WaitForRefreshes(2));
    QTest::keyClick(window.AddressEdit()->Section(2), Qt::Key_Enter);
    ASSERT_TRUE(window.WaitForRefreshes(3));
    QTest::keyClick(window.AddressEdit()->Section(3), Qt::Key_Enter, Qt::KeypadModifier); // the keypad's Enter
    ASSERT_TRUE(window.WaitForRefreshes(4));
    EXPECT_EQ(window.AddressEdit()->IPString(), QStringLiteral("192.168.1.10")) << "Enter typed nothing into the field";
    EXPECT_TRUE(window.Messages().empty());
}

} // namespace
