// SPDX-License-Identifier: MIT
// Two address controls in a window, for ripedit_atspi_test.py to read over AT-SPI.
#include "widgets/ripedit.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    const char* const controls[][2] = {{"Adres IP", "192.168.1.20"}, {"Maska podsieci", "255.255.255.0"}};
    for (int n = 0; n < 2; ++n) {
        auto* control = new widgets::TRIPEdit(&window);
        control->move(10 + 130 * n, 10);
        control->setAccessibleNames(QString::fromUtf8(controls[n][0]));
        control->setIPString(QString::fromLatin1(controls[n][1]));
    }
    window.show();
    return application.exec();
}
