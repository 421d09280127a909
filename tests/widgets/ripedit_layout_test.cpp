// SPDX-License-Identifier: MIT
#include "shown_control.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>

using namespace widgets;

TEST(RIPEditLayout, BuildsFourNamedFieldsAndThreeDotsIn120By20)
{
    TRIPEdit control;
    EXPECT_EQ(control.size(), QSize(120, 20));
    EXPECT_EQ(control.cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(control.focusPolicy(), Qt::NoFocus);

    const int lefts[] = {3, 33, 63, 93};
    for (int n = 1; n <= 4; ++n) {
        const TIPMaskEdit* field = control.Section(n);
        SCOPED_TRACE(n);
        EXPECT_EQ(field->objectName(), QStringLiteral("inRIP%1").arg(n));
        EXPECT_EQ(field->geometry(), QRect(lefts[n - 1], 3, 25, 16));
        EXPECT_EQ(field->maxLength(), 3);
        EXPECT_FALSE(field->hasFrame());
        EXPECT_EQ(field->text(), "0");
        EXPECT_EQ(field->parentWidget(), &control);
        EXPECT_FALSE(field->acceptDrops());
    }
    const int dotLefts[] = {25, 55, 85};
    for (int n = 1; n <= 3; ++n) {
        const QLabel* dot = control.Dot(n);
        SCOPED_TRACE(n);
        EXPECT_EQ(dot->text(), ".");
        EXPECT_EQ(dot->pos(), QPoint(dotLefts[n - 1], 3));
        EXPECT_EQ(dot->size(), dot->sizeHint());
    }
    EXPECT_EQ(control.FIPAddress(), 0u);
    EXPECT_THROW(control.Section(0), std::out_of_range);
    EXPECT_THROW(control.Section(5), std::out_of_range);
}

TEST(RIPEditLayout, ResizingMovesNothingInside)
{
    TRIPEdit control;
    control.resize(128, 30);
    EXPECT_EQ(control.Section(4)->geometry(), QRect(93, 3, 25, 16));
    EXPECT_EQ(control.Section(1)->geometry(), QRect(3, 3, 25, 16));
    EXPECT_EQ(control.Dot(3)->pos(), QPoint(85, 3));
}

TEST(RIPEditLayout, FixedPitchFaceFitsThreeCharactersInAField)
{
    TRIPEdit control;
    for (const QWidget* widget : {static_cast<QWidget*>(control.Section(1)), static_cast<QWidget*>(control.Dot(1))}) {
        const QFontInfo info(widget->font());
        EXPECT_TRUE(info.fixedPitch()) << info.family().toStdString();
        EXPECT_EQ(info.family(), "DejaVu Sans Mono");
        EXPECT_EQ(info.pixelSize(), 11) << "8 points at 96 dpi, held in pixels at any dpi";
    }
    const QFontMetrics metrics(control.Section(1)->font());
    for (const char* widest : {"888", "000", "$FF", "255", "W.W"})
        EXPECT_LE(metrics.horizontalAdvance(QString::fromLatin1(widest)), 25) << widest;
    EXPECT_LE(metrics.height(), 16);
}

TEST_F(ShownControl, TabWalksTheFieldsInOrderSelectingAndAClickDoesNotSelect)
{
    Enter(1);
    for (int n = 2; n <= 4; ++n) {
        QTest::keyClick(Focused(), Qt::Key_Tab);
        EXPECT_EQ(Focused(), Field(n));
        EXPECT_EQ(Field(n)->selectedText(), "0"); // tabbing in selects the text
    }
    QTest::keyClick(Focused(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), other_);
    QTest::keyClick(Focused(), Qt::Key_Backtab);
    EXPECT_EQ(Focused(), Field(4));
    EXPECT_EQ(beeps_, 0);

    QTest::mouseClick(Field(3), Qt::LeftButton, {}, Field(3)->rect().center());
    EXPECT_EQ(Focused(), Field(3));
    EXPECT_FALSE(Field(3)->hasSelectedText());
}

TEST_F(ShownControl, DeletingTheControlWithAFocusedBadSectionIsQuiet)
{
    Enter(2);
    QTest::keyClicks(Field(2), "999");
    ASSERT_EQ(Focused(), Field(2));
    delete control_;
    control_ = nullptr;
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_TRUE(Focused() == nullptr || Focused() == other_ || Focused() == &window_);
}
