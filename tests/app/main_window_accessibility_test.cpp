// What a screen reader is told about the window, through Qt's accessibility
// interfaces, and whether every text fits its control at the scale factor
// or font resolution this run was started with (see CMakeLists.txt).
#include "running_program.h"

#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QStyle>
#include <gtest/gtest.h>

namespace {

// The window without the device protocol: shown, it sends nothing.
struct ShownWindow : ::testing::Test {
    void SetUp() override
    {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    RecordingMessages messages;
    TForm1 form{messages};
};

QString NameOf(QObject* object) { return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name); }

TEST_F(ShownWindow, EveryControlHasAPolishNameAndTabWalksThemInOrder)
{
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.lvIP)->role(), QAccessible::Tree);
    EXPECT_EQ(NameOf(form.lvIP), "Lista multiplekserów");
    EXPECT_EQ(NameOf(form.iPort), "Port TCP");
    EXPECT_EQ(NameOf(form.Label2), "AdresIP Maska podsieci Port TCP");
    EXPECT_EQ(NameOf(form.Subnet), "Maska podsieci");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.IP)->text(QAccessible::Value), "0.0.0.0");

    QStringList heard;
    form.bPobierzIP->setFocus(Qt::TabFocusReason);
    for (int stop = 0; stop < 12; ++stop) {
        heard << QAccessible::queryAccessibleInterface(&form)->focusChild()->text(QAccessible::Name);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QStringList expected{"Odśwież listę", "Lista multiplekserów", "Ustaw"};
    for (const char* control : {"Adres IP", "Maska podsieci"})
        for (int n = 1; n <= 4; ++n)
            expected << QStringLiteral("%1, część %2").arg(QString::fromUtf8(control)).arg(n);
    expected << "Odśwież listę"; // the port field is display only
    EXPECT_EQ(heard, expected);
}

TEST_F(ShownWindow, NoTextIsClippedAndNoControlOverlapsAnother)
{
    const auto fits = [](const QWidget* widget, const QString& text, int margins, int width) {
        return widget->fontMetrics().horizontalAdvance(text) + margins <= width
            && widget->fontMetrics().height() <= widget->height();
    };
    EXPECT_TRUE(fits(form.Label2, form.Label2->text(), 0, form.Label2->width()));
    const int buttonMargins = 2 * form.style()->pixelMetric(QStyle::PM_ButtonMargin);
    for (const QPushButton* button : {form.bPobierzIP, form.bZmienIP})
        EXPECT_TRUE(fits(button, button->text(), buttonMargins, button->width())) << button->text().toStdString();
    const QHeaderView* header = form.lvIP->header();
    const int headerMargins = 2 * form.style()->pixelMetric(QStyle::PM_HeaderMargin);
    for (int column = 0; column < 3; ++column)
        EXPECT_TRUE(fits(header, form.lvIP->headerItem()->text(column), headerMargins, header->sectionSize(column)))
            << column;
    for (const TRIPEdit* edit : {form.IP, form.Subnet})
        for (int n = 1; n <= 4; ++n)
            EXPECT_TRUE(fits(edit->section(n), "255", 0, edit->section(n)->width())) << n;

    const QList<QWidget*> controls{form.lvIP, form.Label2, form.IP, form.Subnet, form.iPort, form.bPobierzIP,
                                   form.bZmienIP};
    for (qsizetype a = 0; a < controls.size(); ++a) {
        EXPECT_TRUE(form.Bevel1->geometry().contains(controls[a]->geometry())) << a;
        for (qsizetype b = a + 1; b < controls.size(); ++b)
            EXPECT_FALSE(controls[a]->geometry().intersects(controls[b]->geometry())) << a << " " << b;
    }
}

} // namespace
