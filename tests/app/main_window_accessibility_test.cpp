// SPDX-License-Identifier: MIT
// What a screen reader is told about the window's controls, and whether every
// text fits its control at the scale factor or font resolution this run was
// started with (see CMakeLists.txt). The focus order: the keyboard test.
#include "running_program.h"

#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QStyle>
#include <gtest/gtest.h>

using namespace app;

using namespace widgets;

namespace {

TEST(MainWindowAccessibility, NamesAndUnclippedTextsWithoutOverlap)
{
    RecordingMessages messages;
    TForm1 form{messages}; // without the device protocol: shown, it sends nothing
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const auto told = [](QWidget* control) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
        return QStringList{face->text(QAccessible::Name), face->text(QAccessible::Value)}.join('|').toStdString();
    };
    EXPECT_EQ(told(form.lvIP), "Lista multiplekserów|Lista multiplekserów"); // Qt gives a tree its name as value
    EXPECT_EQ(told(form.IP), "Adres IP|0.0.0.0");
    EXPECT_EQ(told(form.Subnet), "Maska podsieci|0.0.0.0");
    EXPECT_EQ(told(form.iPort), "Port TCP|1001");
    EXPECT_EQ(told(form.Label2), "AdresIP Maska podsieci Port TCP|");

    const auto fits = [](const QWidget* widget, const QString& text, QStyle::PixelMetric margin, int width) {
        const int margins = margin == QStyle::PM_CustomBase ? 0 : 2 * widget->style()->pixelMetric(margin);
        return widget->fontMetrics().horizontalAdvance(text) + margins <= width &&
            widget->fontMetrics().height() <= widget->height();
    };
    EXPECT_TRUE(fits(form.Label2, form.Label2->text(), QStyle::PM_CustomBase, form.Label2->width()));
    for (const QPushButton* button : {form.bPobierzIP, form.bZmienIP})
        EXPECT_TRUE(fits(button, button->text(), QStyle::PM_ButtonMargin, button->width()));
    for (int column = 0; column < 3; ++column)
        EXPECT_TRUE(fits(form.lvIP->header(), form.lvIP->headerItem()->text(column), QStyle::PM_HeaderMargin,
                         form.lvIP->header()->sectionSize(column)))
            << column;
    for (const TRIPEdit* edit : {form.IP, form.Subnet})
        for (int n = 1; n <= 4; ++n)
            EXPECT_TRUE(fits(edit->Section(n), "255", QStyle::PM_CustomBase, edit->Section(n)->width())) << n;
    const QList<QWidget*> controls{form.lvIP,  form.Label2,     form.IP,      form.Subnet,
                                   form.iPort, form.bPobierzIP, form.bZmienIP};
    for (qsizetype a = 0; a < controls.size(); ++a) {
        EXPECT_TRUE(form.Bevel1->geometry().contains(controls[a]->geometry())) << a;
        for (qsizetype b = a + 1; b < controls.size(); ++b)
            EXPECT_FALSE(controls[a]->geometry().intersects(controls[b]->geometry())) << a << " " << b;
    }
}

} // namespace
