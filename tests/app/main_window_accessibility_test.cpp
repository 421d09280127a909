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
    RunningProgram program; // without the device protocol: shown, it sends nothing
    TForm1& form = program.Form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const auto told = [](QWidget* control) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
        return QStringList{face->text(QAccessible::Name), face->text(QAccessible::Value)}.join('|').toStdString();
    };
    EXPECT_EQ(told(program.List()), "Lista multiplekserów|Lista multiplekserów"); // Qt gives a tree its name as value
    EXPECT_EQ(told(program.AddressEdit()), "Adres IP|0.0.0.0");
    EXPECT_EQ(told(program.MaskEdit()), "Maska podsieci|0.0.0.0");
    EXPECT_EQ(told(program.PortBox()), "Port TCP|1001");
    EXPECT_EQ(told(program.Headings()), "AdresIP Maska podsieci Port TCP|");

    const auto fits = [](const QWidget* widget, const QString& text, QStyle::PixelMetric margin, int width) {
        const int margins = margin == QStyle::PM_CustomBase ? 0 : 2 * widget->style()->pixelMetric(margin);
        return widget->fontMetrics().horizontalAdvance(text) + margins <= width &&
            widget->fontMetrics().height() <= widget->height();
    };
    EXPECT_TRUE(
        fits(program.Headings(), program.Headings()->text(), QStyle::PM_CustomBase, program.Headings()->width()));
    for (const QPushButton* button : {program.RefreshButton(), program.SetButton()})
        EXPECT_TRUE(fits(button, button->text(), QStyle::PM_ButtonMargin, button->width()));
    for (int column = 0; column < 3; ++column)
        EXPECT_TRUE(fits(program.List()->header(), program.List()->headerItem()->text(column), QStyle::PM_HeaderMargin,
                         program.List()->header()->sectionSize(column)))
            << column;
    for (const TRIPEdit* edit : {program.AddressEdit(), program.MaskEdit()})
        for (int n = 1; n <= 4; ++n)
            EXPECT_TRUE(fits(edit->Section(n), "255", QStyle::PM_CustomBase, edit->Section(n)->width())) << n;
    const QList<QWidget*> controls{program.List(),     program.Headings(), program.AddressEdit(),
                                   program.MaskEdit(), program.PortBox(),  program.RefreshButton(),
                                   program.SetButton()};
    for (qsizetype a = 0; a < controls.size(); ++a) {
        EXPECT_TRUE(program.Frame()->geometry().contains(controls[a]->geometry())) << a;
        for (qsizetype b = a + 1; b < controls.size(); ++b)
            EXPECT_FALSE(controls[a]->geometry().intersects(controls[b]->geometry())) << a << " " << b;
    }
}

} // namespace
