// SPDX-License-Identifier: MIT
#include "shown_control.h"

#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <optional>

using namespace widgets;

namespace {

QImage Picture(QWidget* widget) { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QRect InkBounds(const QImage& image, QColor background, QRect within = {})
{
    if (within.isNull())
        within = image.rect();
    QRect bounds;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (image.pixel(x, y) != background.rgb())
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

int DarkestLightness(const QImage& image)
{
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = std::min(darkest, image.pixelColor(x, y).lightness());
    return darkest;
}

int TextLeft(const TIPMaskEdit* field)
{
    return (field->width() - QFontMetrics(field->font()).horizontalAdvance(field->text())) / 2;
}

} // namespace

TEST(RIPEditPaint, FieldTextIsCentredAtTheTopOnTheFieldColour)
{
    TRIPEdit control;
    TIPMaskEdit* field = control.Section(1);
    const QColor base = field->palette().color(QPalette::Base);
    const QFontMetrics metrics(field->font());
    for (const char* text : {"1", "10", "192", "255", "..."}) {
        SCOPED_TRACE(text);
        field->setText(text);
        const QImage image = Picture(field);
        ASSERT_EQ(image.size(), QSize(25, 16));
        EXPECT_EQ(image.pixel(0, 0), base.rgb());
        EXPECT_EQ(image.pixel(24, 15), base.rgb());

        const QRect ink = InkBounds(image, base);
        ASSERT_FALSE(ink.isEmpty());
        const int left = TextLeft(field);
        const int advance = metrics.horizontalAdvance(field->text());
        EXPECT_GE(ink.left(), left);
        EXPECT_LE(ink.right(), left + advance);
        EXPECT_NEAR((ink.left() + ink.right()) / 2.0, 12.0, 2.5);
        EXPECT_LE(ink.bottom(), metrics.height());
    }
    field->setText("8");
    EXPECT_LE(InkBounds(Picture(field), base).top(), 3); // drawn from y = 0, no top margin
}

TEST(RIPEditPaint, EmptyFieldShowsOnlyItsColour)
{
    TRIPEdit control;
    TIPMaskEdit* field = control.Section(2);
    field->setText("");
    EXPECT_TRUE(InkBounds(Picture(field), field->palette().color(QPalette::Base)).isEmpty());
}

TEST(RIPEditPaint, DisabledTextIsGrey)
{
    TRIPEdit control;
    control.setIPString("192.168.1.10");
    const QImage enabled = Picture(control.Section(1));
    EXPECT_LT(DarkestLightness(enabled), 60);

    control.setEnabled(false);
    const QImage disabled = Picture(control.Section(1));
    const QColor grey = control.Section(1)->palette().color(QPalette::Disabled, QPalette::Text);
    ASSERT_GT(grey.lightness(), 100);
    EXPECT_NEAR(DarkestLightness(disabled), grey.lightness(), 25);
    const QColor base = control.Section(1)->palette().color(QPalette::Active, QPalette::Base);
    EXPECT_EQ(disabled.pixel(0, 0), base.rgb()) << "the field colour does not change";
    const QRect ink = InkBounds(disabled, base);
    EXPECT_NEAR((ink.left() + ink.right()) / 2.0, 12.0, 2.5);
}

TEST(RIPEditPaint, BoxHasTwoLoweredRingsWhiteInsideAndDotsBetweenFields)
{
    TRIPEdit control;
    const QImage image = Picture(&control);
    ASSERT_EQ(image.size(), QSize(120, 20));
    const QColor shadow = control.palette().color(QPalette::Dark);
    const QColor highlight = control.palette().color(QPalette::Light);
    for (const QPoint p : {QPoint(0, 0), QPoint(60, 0), QPoint(0, 10), QPoint(1, 1), QPoint(60, 1), QPoint(1, 10)})
        EXPECT_EQ(image.pixel(p), shadow.rgb()) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(119, 0), QPoint(119, 19), QPoint(0, 19), QPoint(60, 19), QPoint(118, 18)})
        EXPECT_EQ(image.pixel(p), highlight.rgb()) << p.x() << "," << p.y();
    EXPECT_EQ(image.pixel(30, 4), QColor(Qt::white).rgb());
    EXPECT_EQ(image.pixel(2, 2), QColor(Qt::white).rgb());

    for (const int dotLeft : {25, 55, 85}) {
        const QRect ink = InkBounds(image, Qt::white, QRect(dotLeft + 3, 3, 5, 15));
        ASSERT_FALSE(ink.isEmpty()) << dotLeft;
        EXPECT_GE(ink.top(), 10) << "the dot sits on the baseline";
    }

    control.resize(128, 20);
    const QImage wider = Picture(&control);
    EXPECT_TRUE(InkBounds(wider, Qt::white, QRect(118, 2, 8, 16)).isEmpty());
}

TEST_F(ShownControl, FocusedFieldShowsACaretButNoSelection)
{
    control_->setIPString("12.0.0.0");
    Enter(1);
    ASSERT_EQ(Field(1)->selectedText(), "12");
    const QImage focusedImage = Picture(Field(1));
    const QColor selection = Field(1)->palette().color(QPalette::Highlight);
    EXPECT_TRUE(InkBounds(focusedImage, selection).contains(focusedImage.rect())) << "no selection highlight";

    const int caretX = TextLeft(Field(1)) + QFontMetrics(Field(1)->font()).horizontalAdvance("12");
    const QColor base = Field(1)->palette().color(QPalette::Base);
    for (int y = 0; y < QFontMetrics(Field(1)->font()).height(); ++y)
        EXPECT_NE(focusedImage.pixel(caretX, y), base.rgb()) << y;

    other_->setFocus();
    const QImage leftImage = Picture(Field(1));
    for (int y = 0; y < 16; ++y)
        EXPECT_EQ(leftImage.pixel(caretX, y), base.rgb()) << y;
}
