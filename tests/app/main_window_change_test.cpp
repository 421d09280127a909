// SPDX-License-Identifier: MIT
// "Ustaw": the address rule, the change of the selected device, the pause
// and the refresh that follow.
#include "simulated_lan_window.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace app;

using namespace widgets;

namespace {

using Json = nlohmann::json;

double TimeOf(const MuxSimProcess::Entry& entry) { return entry["t"].get<double>(); }

// The time of the first datagram `payload` received after index `from`.
double FirstAfter(const std::vector<MuxSimProcess::Entry>& received, std::size_t from, const std::string& payload)
{
    for (std::size_t n = from; n < received.size(); ++n)
        if (MuxSimProcess::PayloadBytes(received[n]) == payload)
            return TimeOf(received[n]);
    return -1;
}

void TypeAddress(TRIPEdit* edit, const QString& text)
{
    const QStringList parts = text.split('.');
    for (int n = 1; n <= 4; ++n) {
        TIPMaskEdit* field = edit->Section(n);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, parts.at(n - 1));
    }
}

TEST(MainWindowChange, ARejectedAddressOnlyShowsItsMessage)
{
    MuxSimProcess sim(
        Json{{"devices",
              {MuxSimProcess::Device("192.168.1.10", "MAC-10"), MuxSimProcess::Device("192.168.1.20", "MAC-20")}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    QTest::keyClick(form.lvIP, Qt::Key_Down);
    ASSERT_EQ(SelectedRow(form), 1);
    const std::size_t before = sim.Received().size();

    for (const char* rejected : {"127.0.0.1", "192.168.1.0", "224.0.0.1"}) {
        TypeAddress(form.IP, QString::fromLatin1(rejected));
        ASSERT_EQ(form.IP->IPString(), QString::fromLatin1(rejected));
        form.bZmienIP->click();
        QTest::qWait(300);
        EXPECT_EQ(form.IP->IPString(), QString::fromLatin1(rejected)) << "the typed value stays";
    }
    EXPECT_EQ(program.messages.plain, std::vector<std::string>(3, "Adres IP poza dozwolonym zakresem"));
    EXPECT_EQ(sim.Received().size(), before) << "nothing was sent";
    EXPECT_EQ(form.lvIP->topLevelItemCount(), 2);
    EXPECT_EQ(SelectedRow(form), 1);
}

TEST(MainWindowChange, ASuccessfulChangePausesThenTheDeviceAnswersFromItsNewAddress)
{
    MuxSimProcess sim(Json{{"devices",
                            {MuxSimProcess::Device("192.168.1.10", "MAC-10", {{"mask", "255.255.255.0"}}),
                             MuxSimProcess::Device("192.168.1.20", "MAC-20", {{"mask", "255.255.255.0"}})}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    ASSERT_EQ(RowTexts(form, 0), (std::vector<std::string>{"192.168.1.20", "192.168.1.10"}));
    QTest::keyClick(form.lvIP, Qt::Key_Down);

    TypeAddress(form.IP, "172.16.5.9");
    TypeAddress(form.Subnet, "255.255.0.0");
    const std::size_t before = sim.Received().size();
    form.bZmienIP->click();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 2));

    const auto received = sim.Received();
    EXPECT_EQ(MuxSimProcess::PayloadBytes(received.at(before)), "WMAC-10");
    EXPECT_EQ(sim.CountReceived("AMAC-10/QOVUT/172.16.5.9"), 3u) << "an accepted assign is sent on every try";
    const double closing = FirstAfter(received, before, "E");
    const double nextDiscovery = FirstAfter(received, before, "X");
    ASSERT_GT(closing, 0);
    EXPECT_GE(nextDiscovery - closing, 1900) << "the device gets its 2000 ms";
    EXPECT_TRUE(program.messages.plain.empty());

    // Sorted by the fourth number: 172.16.5.9 after 192.168.1.20.
    EXPECT_EQ(RowTexts(form, 0), (std::vector<std::string>{"192.168.1.20", "172.16.5.9"}));
    EXPECT_EQ(RowTexts(form, 1), (std::vector<std::string>{"255.255.255.0", "255.255.0.0"}));
    EXPECT_EQ(RowTexts(form, 2), (std::vector<std::string>{"MAC-20", "MAC-10"}));
    EXPECT_EQ(SelectedRow(form), 0);
}

TEST(MainWindowChange, AFailedChangeShowsItsMessageAndRefreshesAtOnce)
{
    MuxSimProcess sim(Json{
        {"devices", {MuxSimProcess::Device("192.168.1.10", "MAC-10", {{"faults", {{"replies", {{"A", "C"}}}}}})}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    TypeAddress(form.IP, "192.168.1.11");
    const std::size_t before = sim.Received().size();
    form.bZmienIP->click();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 2));

    EXPECT_EQ(program.messages.plain, std::vector<std::string>{"Niewłaściwa nazwa/parametr funkcji."});
    const auto received = sim.Received();
    EXPECT_EQ(sim.CountReceived("AMAC-10/QOVUT/192.168.1.11"), 3u);
    EXPECT_EQ(sim.CountReceived("E"), 0u) << "a failed change sends no closing command";
    double lastAssign = 0;
    for (std::size_t n = before; n < received.size(); ++n)
        if (MuxSimProcess::PayloadBytes(received[n]).rfind("AMAC-10", 0) == 0)
            lastAssign = TimeOf(received[n]);
    EXPECT_LT(FirstAfter(received, before, "X") - lastAssign, 1000) << "no pause after a failure";
    EXPECT_EQ(RowTexts(form, 0), std::vector<std::string>{"192.168.1.10"});
}

TEST(MainWindowChange, NoRowSelectedMeansNothingToChange)
{
    MuxSimProcess sim(Json{{"devices", {MuxSimProcess::Device("192.168.1.10", "MAC-10")}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    form.lvIP->clearSelection();
    const QString shown = form.IP->IPString();
    const std::size_t before = sim.Received().size();
    form.bZmienIP->click();
    QTest::qWait(300);
    EXPECT_EQ(sim.Received().size(), before);
    EXPECT_EQ(form.IP->IPString(), shown);
    EXPECT_TRUE(program.messages.plain.empty());
}

TEST(MainWindowChange, AnUnknownMaskShowsAsZerosAndOnlyARealMaskIsSent)
{
    MuxSimProcess sim(Json{
        {"devices", {MuxSimProcess::Device("192.168.1.10", "MAC-10", {{"faults", {{"replies", {{"GNM", "A"}}}}}})}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    EXPECT_EQ(form.Subnet->IPString(), QStringLiteral("0.0.0.0"));
    const std::size_t before = sim.Received().size();
    for (const char* mask : {"0.0.0.0", "255.0.255.0", "255.255.255.255"}) {
        form.Subnet->setIPString(QString::fromLatin1(mask));
        form.bZmienIP->click();
    }
    QTest::qWait(300);
    EXPECT_EQ(program.messages.plain, std::vector<std::string>(3, "Niewłaściwa maska podsieci"));
    EXPECT_EQ(sim.Received().size(), before) << "nothing was sent";
}

// During "Ustaw" the cursor is busy and clicks on the (disabled) list do not
// rewrite the fields; other buttons than the primary one never select.
TEST(MainWindowChange, TheWindowShowsAChangeAtWork)
{
    MuxSimProcess sim(Json{{"devices",
                            {MuxSimProcess::Device("192.168.1.10", "MAC-10"),
                             MuxSimProcess::Device("192.168.1.20", "MAC-20", {{"faults", {{"delay_ms", 300}}}})}}});
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    const auto clickRow1 = [&](Qt::MouseButton button) {
        QTest::mouseClick(form.lvIP->viewport(), button, {},
                          form.lvIP->visualItemRect(form.lvIP->topLevelItem(1)).center());
    };
    Qt::CursorShape cursor = Qt::ArrowCursor;
    QString shown;
    QTimer::singleShot(500, [&] {
        cursor = form.cursor().shape();
        form.IP->setIPString(QStringLiteral("192.168.1.99"));
        clickRow1(Qt::LeftButton);
        shown = form.IP->IPString();
    });
    form.bZmienIP->click();
    EXPECT_EQ(cursor, Qt::WaitCursor);
    EXPECT_EQ(shown, QStringLiteral("192.168.1.99"));
    clickRow1(Qt::RightButton);
    EXPECT_EQ(SelectedRow(form), 0);
    EXPECT_EQ(form.IP->IPString(), QStringLiteral("192.168.1.20"));
}

} // namespace
