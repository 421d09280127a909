// SPDX-License-Identifier: MIT
// The whole work by keyboard alone, as a screen reader follows it: the focus
// goes only where the operator moves it, in the tab order, and never hops
// through the address fields while the window shows a row or refreshes.
#include "simulated_lan_window.h"

#include <QAccessible>
#include <gtest/gtest.h>

using namespace app;

namespace {

// Each character is a key pressed where the focus is at that moment.
void Type(const char* keys)
{
    for (; *keys != '\0'; ++keys)
        QTest::keyClick(QApplication::focusWidget(), *keys);
}

TEST(MainWindowKeyboard, ListAddressMaskUstawAndRefreshWithoutFocusHops)
{
    QStringList heard; // every focus change, by the name a screen reader says; outlives the window
    SimulatedLanWindow window(
        MuxSimProcess::Config({MuxSimProcess::Device("172.16.100.10", "MAC-10", {{"mask", "255.255.0.0"}}),
                               MuxSimProcess::Device("192.168.1.20", "MAC-20")}));
    TForm1& form = window.Form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_TRUE(window.WaitForRefreshes(1));
    QObject::connect(qApp, &QApplication::focusChanged, &form, [&heard](QWidget*, QWidget* now) {
        heard << (now ? QAccessible::queryAccessibleInterface(now)->text(QAccessible::Name) : "-");
    });

    QTest::keyClick(window.List(), Qt::Key_Down);
    EXPECT_EQ(window.AddressEdit()->IPString(), "172.16.100.10");
    EXPECT_EQ(heard.join('|').toStdString(), "") << "showing another row moves no focus";

    Type("\t\t172"
         "16\t5\t9\t"
         "255255"
         "0\t0"); // three digits pass on by themselves
    EXPECT_EQ(window.AddressEdit()->IPString(), "172.16.5.9");
    EXPECT_EQ(window.MaskEdit()->IPString(), "255.255.0.0");
    EXPECT_EQ(heard.join('|').toStdString(),
              "Ustaw|Adres IP, część 1|Adres IP, część 2|Adres IP, część 3|"
              "Adres IP, część 4|Maska podsieci, część 1|Maska podsieci, część 2|"
              "Maska podsieci, część 3|Maska podsieci, część 4");
    for (int n = 0; n < 8; ++n)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), window.SetButton());

    for (int refreshes = 2; refreshes <= 3; ++refreshes) {
        heard.clear();
        Type(" "); // "Ustaw", then "Odśwież listę"
        ASSERT_TRUE(window.WaitForRefreshes(refreshes));
        EXPECT_EQ(heard.join('|').toStdString(), "-|Lista multiplekserów") << "no stop in the address fields";
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    }
    EXPECT_EQ(window.Sim.CountReceived("AMAC-10/QOVUT/172.16.5.9"), 3u);
    EXPECT_EQ(window.RowTexts(0), (std::vector<std::string>{"192.168.1.20", "172.16.5.9"}));
}

} // namespace
