// The whole work by keyboard alone, as a screen reader follows it: the focus
// lands only where the operator moves it, never hopping through the address
// fields while the window refreshes or shows another row.
#include "simulated_lan_window.h"

#include <QAccessible>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Json = nlohmann::json;

void Press(Qt::Key key, int times = 1)
{
    for (int n = 0; n < times; ++n)
        QTest::keyClick(QApplication::focusWidget(), key);
}

TEST(MainWindowKeyboard, ListAddressMaskUstawAndRefreshWithoutFocusHops)
{
    MuxSimProcess sim(Json{{"devices",
                            {MuxSimProcess::Device("172.16.100.10", "MAC-10", {{"mask", "255.255.0.0"}}),
                             MuxSimProcess::Device("192.168.1.20", "MAC-20", {{"mask", "255.255.255.0"}})}}});
    QStringList heard; // every focus change, by the name a screen reader says; outlives the window
    RunningProgram program;
    TForm1& form = program.form;
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
    QObject::connect(qApp, &QApplication::focusChanged, &form, [&heard](QWidget*, QWidget* now) {
        heard << (now ? QAccessible::queryAccessibleInterface(now)->text(QAccessible::Name) : QString("-"));
    });
    ASSERT_TRUE(form.lvIP->hasFocus());

    Press(Qt::Key_Down);
    EXPECT_EQ(SelectedRow(form), 1);
    EXPECT_EQ(form.IP->IPString(), "172.16.100.10");
    EXPECT_EQ(heard.join('|').toStdString(), "") << "showing another row moves no focus";

    Press(Qt::Key_Tab, 2);
    ASSERT_EQ(QApplication::focusWidget(), form.IP->section(1));
    QTest::keyClicks(QApplication::focusWidget(), "172"); // three digits pass on by themselves
    for (const char* rest : {"16", "5", "9", "255", "255", "0", "0"}) {
        if (QApplication::focusWidget()->property("selectedText").toString().isEmpty())
            Press(Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), rest);
    }
    EXPECT_EQ(form.IP->IPString(), "172.16.5.9");
    EXPECT_EQ(form.Subnet->IPString(), "255.255.0.0");
    Press(Qt::Key_Backtab, 8);
    ASSERT_EQ(QApplication::focusWidget(), form.bZmienIP);

    for (int refreshes = 2; refreshes <= 3; ++refreshes) {
        heard.clear();
        Press(Qt::Key_Space); // "Ustaw", then "Odśwież listę"
        ASSERT_TRUE(WaitForRefreshes(program, sim, refreshes));
        EXPECT_EQ(heard.join('|').toStdString(), "-|Lista multiplekserów") << "no stop in the address fields";
        Press(Qt::Key_Backtab);
    }
    EXPECT_EQ(sim.CountReceived("AMAC-10/QOVUT/172.16.5.9"), 3u);
    EXPECT_EQ(RowTexts(form, 0), (std::vector<std::string>{"192.168.1.20", "172.16.5.9"}));
}

} // namespace
