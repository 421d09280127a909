// SPDX-License-Identifier: MIT
// Refreshing the list against simulated multiplexers: what the operator sees
// after each refresh and when moving through the rows.
#include "simulated_lan_window.h"

#include <QLabel>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace app;

using namespace widgets;

namespace {

using Json = nlohmann::json;

TEST(MainWindowRefresh, AnEmptyLanLeavesOnlyTheListAndTheRefreshButton)
{
    MuxSimProcess sim(Json{{"devices", Json::array()}});
    RunningProgram program;
    program.form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    TForm1& form = program.form;
    EXPECT_EQ(form.lvIP->topLevelItemCount(), 0);
    EXPECT_TRUE(form.lvIP->isEnabled());
    EXPECT_TRUE(form.IP->isHidden());
    EXPECT_TRUE(form.Subnet->isHidden());
    EXPECT_TRUE(form.iPort->isHidden());
    EXPECT_TRUE(form.Label2->isHidden());
    EXPECT_TRUE(form.bZmienIP->isHidden());
    EXPECT_TRUE(form.bPobierzIP->isVisible());
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(program.messages.plain.empty());
    EXPECT_EQ(sim.ReceivedPayloads(), std::vector<std::string>{"X"});
}

TEST(MainWindowRefresh, RowZeroIsSelectedAndShownAndTheKeyboardMovesTheFields)
{
    MuxSimProcess sim(
        Json{{"devices",
              {MuxSimProcess::Device("192.168.1.40", "MAC-A", {{"port", "abc"}, {"mask", "255.255.255.0"}}),
               MuxSimProcess::Device("192.168.1.30", "MAC-B", {{"port", "80"}, {"mask", "255.255.0.0"}}),
               MuxSimProcess::Device("10.1.2.20", "MAC-C", {{"port", "70000"}, {"mask", "255.0.0.0"}}),
               MuxSimProcess::Device("192.168.2.10", "MAC-D", {{"port", "1153"}})}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));

    // Sorted by the fourth number, descending.
    EXPECT_EQ(RowTexts(form, 0),
              (std::vector<std::string>{"192.168.1.40", "192.168.1.30", "10.1.2.20", "192.168.2.10"}));
    EXPECT_EQ(RowTexts(form, 2), (std::vector<std::string>{"MAC-A", "MAC-B", "MAC-C", "MAC-D"}));
    EXPECT_EQ(SelectedRow(form), 0);
    EXPECT_EQ(form.lvIP->currentItem(), form.lvIP->topLevelItem(0));
    EXPECT_TRUE(form.lvIP->hasFocus());
    EXPECT_TRUE(form.bZmienIP->isVisible());

    struct Shown {
        const char* address;
        const char* mask;
        int port;
    };
    const Shown expected[] = {{"192.168.1.40", "255.255.255.0", 1001},
                              {"192.168.1.30", "255.255.0.0", 1001},
                              {"10.1.2.20", "255.0.0.0", 65534},
                              {"192.168.2.10", "255.255.255.0", 1153}};
    for (int row = 0; row < 4; ++row) {
        if (row > 0)
            QTest::keyClick(form.lvIP, Qt::Key_Down);
        EXPECT_EQ(SelectedRow(form), row);
        EXPECT_EQ(form.IP->IPString().toStdString(), expected[row].address) << row;
        EXPECT_EQ(form.Subnet->IPString().toStdString(), expected[row].mask) << row;
        EXPECT_EQ(form.iPort->value(), expected[row].port) << row;
        EXPECT_FALSE(form.iPort->isEnabled());
    }
    QTest::keyClick(form.lvIP, Qt::Key_Home);
    EXPECT_EQ(form.IP->IPString(), QStringLiteral("192.168.1.40"));
}

TEST(MainWindowRefresh, RowsLeadToTheirDevicesWhenAnEarlierDeviceWasDropped)
{
    // The first device to answer refuses the login: its slot stays in the
    // table without an address, ahead of the listed ones.
    MuxSimProcess sim(
        Json{{"devices",
              {MuxSimProcess::Device("192.168.1.99", "MAC-REFUSING", {{"faults", {{"deny_login", true}}}}),
               MuxSimProcess::Device("192.168.1.20", "MAC-20", {{"mask", "255.255.255.128"}, {"port", "2020"}}),
               MuxSimProcess::Device("192.168.1.10", "MAC-10", {{"mask", "255.255.0.0"}, {"port", "1010"}})}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    ASSERT_EQ(RowTexts(form, 0), (std::vector<std::string>{"192.168.1.20", "192.168.1.10"}));

    QTest::keyClick(form.lvIP, Qt::Key_Down);
    EXPECT_EQ(form.IP->IPString(), QStringLiteral("192.168.1.10"));
    EXPECT_EQ(form.Subnet->IPString(), QStringLiteral("255.255.0.0"));
    EXPECT_EQ(form.iPort->value(), 1010);

    // "Ustaw" with the fields unchanged names the device of the selected row.
    const std::size_t before = sim.Received().size();
    form.bZmienIP->click();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 2));
    const auto received = sim.Received();
    std::vector<std::string> change;
    for (std::size_t n = before; n < received.size(); ++n) {
        const std::string payload = MuxSimProcess::PayloadBytes(received[n]);
        if (payload == "X")
            break;
        change.push_back(payload);
    }
    EXPECT_EQ(change, (std::vector<std::string>{"WMAC-10", "LQOVUT", "SNM255.255.0.0", "E"}));
    EXPECT_TRUE(program.messages.plain.empty());
}

TEST(MainWindowRefresh, FieldsShowTheDeviceWhateverWasTypedBefore)
{
    MuxSimProcess sim(Json{{"devices", {MuxSimProcess::Device("192.168.1.10", "MAC-10")}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    ASSERT_EQ(form.IP->IPString(), QStringLiteral("192.168.1.10"));

    // The operator empties the last section, then refreshes.
    TIPMaskEdit* last = form.IP->Section(4);
    last->setFocus();
    last->selectAll();
    QTest::keyClick(last, Qt::Key_Backspace);
    ASSERT_EQ(form.IP->IPString(), QStringLiteral("192.168.1."));
    form.bPobierzIP->click();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 2));
    EXPECT_EQ(form.IP->IPString(), QStringLiteral("192.168.1.10"));
}

TEST(MainWindowRefresh, ControlsAreDisabledAndTheCursorIsBusyDuringARefresh)
{
    MuxSimProcess sim(Json{{"devices", {MuxSimProcess::Device("192.168.1.10", "MAC-10")}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));

    // Look at the window from inside the refresh, during the collection window.
    struct Seen {
        bool refreshEnabled = true, changeEnabled = true, listEnabled = true;
        Qt::CursorShape cursor = Qt::ArrowCursor;
    } seen;
    QTimer::singleShot(1000, [&] {
        seen = {form.bPobierzIP->isEnabled(), form.bZmienIP->isEnabled(), form.lvIP->isEnabled(),
                form.cursor().shape()};
    });
    form.bPobierzIP->click();
    EXPECT_FALSE(seen.refreshEnabled);
    EXPECT_FALSE(seen.changeEnabled);
    EXPECT_FALSE(seen.listEnabled);
    EXPECT_EQ(seen.cursor, Qt::WaitCursor);
    EXPECT_TRUE(form.bPobierzIP->isEnabled());
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(sim.CountReceived("X"), 2u);
}

} // namespace

namespace {

TEST(MainWindowRefresh, ALateDiscoveryReplyLeavesTheIdleListEnabled)
{
    MuxSimProcess sim(Json{{"devices",
                            {MuxSimProcess::Device("192.168.1.10", "MAC-10",
                                                   {{"faults", {{"replies", {{"X", {{"delay_ms", 2400}}}}}}}})}}});
    RunningProgram program;
    program.form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    QTest::qWait(1000);
    EXPECT_EQ(program.form.lvIP->topLevelItemCount(), 0);
    EXPECT_TRUE(program.form.lvIP->isEnabled());
}

TEST(MainWindowRefresh, OnlyTheFirstDisplayRefreshes)
{
    MuxSimProcess sim(Json{{"devices", {MuxSimProcess::Device("192.168.1.10", "MAC-10")}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));

    // Coming back from another program, from a message box, or from the
    // task bar activates or shows the window again: no refresh.
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&form, &activate);
    form.showMinimized();
    form.showNormal();
    form.activateWindow();
    QTest::qWait(2500);
    EXPECT_EQ(sim.CountReceived("X"), 1u);
}

} // namespace

namespace {

TEST(MainWindowRefresh, EnterPressesTheDefaultButtonWhereverTheFocusIs)
{
    MuxSimProcess sim(Json{{"devices", {MuxSimProcess::Device("192.168.1.10", "MAC-10")}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));

    QTest::keyClick(form.lvIP, Qt::Key_Return); // the list has the focus after a refresh
    ASSERT_TRUE(WaitForRefreshes(program, sim, 2));
    QTest::keyClick(form.IP->Section(2), Qt::Key_Enter);
    ASSERT_TRUE(WaitForRefreshes(program, sim, 3));
    QTest::keyClick(form.IP->Section(3), Qt::Key_Enter, Qt::KeypadModifier); // the keypad's Enter
    ASSERT_TRUE(WaitForRefreshes(program, sim, 4));
    EXPECT_EQ(form.IP->IPString(), QStringLiteral("192.168.1.10")) << "Enter typed nothing into the field";
    EXPECT_TRUE(program.messages.plain.empty());
}

} // namespace
