// What assistive technology sees of the control, through Qt's own
// accessibility interfaces, and how it reads in a dark palette.
#include "shown_control.h"

#include <QAccessible>
#include <QLabel>

namespace {

TEST_F(ShownControl, AssistiveTechnologySeesOneEditableAddressWithFourSectionChildren)
{
    control->setAccessibleNames("Adres IP");
    control->setIPString("192.168.1.10");
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->role(), QAccessible::EditableText);
    EXPECT_TRUE(box->state().editable);
    EXPECT_EQ(box->text(QAccessible::Name), "Adres IP");
    EXPECT_EQ(box->text(QAccessible::Value), "192.168.1.10");
    ASSERT_EQ(box->childCount(), 4) << "the dots are no children";
    const QStringList numbers{"192", "168", "1", "10"};
    for (int n = 0; n < 4; ++n) {
        QAccessibleInterface* section = box->child(n);
        ASSERT_NE(section, nullptr);
        EXPECT_EQ(section->object(), field(n + 1));
        EXPECT_EQ(section->text(QAccessible::Name), QStringLiteral("Adres IP, część %1").arg(n + 1));
        EXPECT_EQ(section->text(QAccessible::Value), numbers[n]);
        EXPECT_EQ(section->parent(), box);
        EXPECT_EQ(box->indexOfChild(section), n);
    }
    enter(3);
    EXPECT_EQ(box->focusChild(), box->child(2));
    box->setText(QAccessible::Value, "10.0.0.7"); // a screen reader's write
    EXPECT_EQ(control->IPString(), "10.0.0.7");
}

TEST_F(ShownControl, DotsAndDigitsStandOutOfADarkGround)
{
    QPalette dark = control->palette();
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::WindowText, QColor(0x20, 0x20, 0x20)); // must not be what the dots use
    control->setPalette(dark);
    const QImage image = control->grab().toImage();
    EXPECT_EQ(image.pixelColor(30, 5), dark.color(QPalette::Base)) << "the ground between two fields";
    int brightestDot = 0;
    const QRect dot = control->dot(1)->geometry().intersected(control->rect());
    for (int y = dot.top(); y <= dot.bottom(); ++y)
        for (int x = dot.left(); x <= dot.right(); ++x)
            brightestDot = std::max(brightestDot, image.pixelColor(x, y).lightness());
    EXPECT_GT(brightestDot, 160);
}

} // namespace
