// SPDX-License-Identifier: MIT
#include "widgets/ripedit.h"

#include "widgets/ripedit_accessible.h"
#include "widgets/section_font.h"
#include "widgets/section_number.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <arpa/inet.h>
#include <stdexcept>

namespace widgets {

namespace {

constexpr int kInitialWidth = 120;
constexpr int kInitialHeight = 20;
constexpr int kSectionPitch = 30;
constexpr int kLowestShownSection = -99;
constexpr int kHighestSection = 255;

// A one-pixel lowered ring: top and left edges in shadow, bottom and right
// edges (with both far corners) in highlight.
void DrawLoweredRing(QPainter& painter, const QRect& ring, const QColor& shadow, const QColor& highlight)
{
    painter.setPen(shadow);
    painter.drawLine(ring.left(), ring.top(), ring.right() - 1, ring.top());
    painter.drawLine(ring.left(), ring.top(), ring.left(), ring.bottom() - 1);
    painter.setPen(highlight);
    painter.drawLine(ring.right(), ring.top(), ring.right(), ring.bottom());
    painter.drawLine(ring.left(), ring.bottom(), ring.right(), ring.bottom());
}

QString SectionAccessibleName(const QString& controlName, int position)
{
    const QString section = QStringLiteral("część %1").arg(position);
    return controlName.isEmpty() ? section : controlName + QStringLiteral(", ") + section;
}

} // namespace

TRIPEdit::TRIPEdit(QWidget* owner) : QWidget(owner)
{
    resize(kInitialWidth, kInitialHeight);
    setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::NoFocus);
    InstallAddressControlAccessibility();
    messageBox_ = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, window());
        box.exec();
    };

    // The layout follows the size at construction and never changes after.
    const QFont font = SectionFont();
    for (int n = 1; n <= kSectionCount; ++n) {
        auto* field = new TIPMaskEdit(this);
        field->setGeometry(kSectionPitch * (n - 1) + 3, 3, width() / 4 - 5, height() - 4);
        field->setMaxLength(3);
        field->setText(QStringLiteral("0"));
        field->setFrame(false);
        field->setObjectName(QStringLiteral("inRIP%1").arg(n));
        connect(field, &QLineEdit::textChanged, this, [this, field] { SecChange(field); });
        connect(field, &TIPMaskEdit::exited, this, &TRIPEdit::SecExit);
        connect(field, &TIPMaskEdit::nextFieldWanted, this, [this](TIPMaskEdit* typedInto) {
            if (const int position = PositionOf(typedInto); position < kSectionCount)
                MoveFocusTo(position + 1);
        });
        field->setFont(font);
        field->setAccessibleName(SectionAccessibleName(QString(), n));
        sections_[n - 1] = field;
    }
    for (int n = 1; n < kSectionCount; ++n) {
        auto* dot = new QLabel(QStringLiteral("."), this);
        dot->setFont(font);
        dot->setForegroundRole(QPalette::Text); // ink of the fields' text, on their ground
        dot->adjustSize();
        dot->move(kSectionPitch * (n - 1) + 25, height() - 17);
        dot->lower(); // drawn on the box, beneath the fields
        dots_[n - 1] = dot;
    }
    spokenAddress_ = IPString();
}

// Sections first, then dots, while this object is still whole: deleting a
// focused field moves the focus, and no reaction may run on a half-destroyed
// control.
TRIPEdit::~TRIPEdit()
{
    destroying_ = true;
    for (auto*& field : sections_) {
        delete field;
        field = nullptr;
    }
    for (auto*& dot : dots_) {
        delete dot;
        dot = nullptr;
    }
}

TIPMaskEdit* TRIPEdit::Section(int position) const
{
    if (position < 1 || position > kSectionCount)
        throw std::out_of_range("no section at position " + std::to_string(position));
    return sections_[position - 1];
}

QLabel* TRIPEdit::Dot(int position) const
{
    if (position < 1 || position >= kSectionCount)
        throw std::out_of_range("no dot at position " + std::to_string(position));
    return dots_[position - 1];
}

int TRIPEdit::IPSec(int position) const { return SectionNumber(Section(position)->text()); }

void TRIPEdit::setIPSec(int position, int value)
{
    const int shown = std::clamp(value, kLowestShownSection, kHighestSection);
    Section(position)->setText(QString::number(shown));
}

quint32 TRIPEdit::IPAddress() const
{
    quint32 readForm = 0;
    for (int n = 1; n <= kSectionCount; ++n)
        readForm |= (static_cast<quint32>(IPSec(n)) & 0xFF) << (8 * (kSectionCount - n));
    return readForm;
}

void TRIPEdit::setIPAddress(quint32 value)
{
    if (value == fipAddress_)
        return;
    fipAddress_ = value;
    for (int n = 1; n <= kSectionCount; ++n)
        Section(n)->setText(QString::number((value >> (8 * (n - 1))) & 0xFF));
}

QString TRIPEdit::IPString() const
{
    QStringList texts;
    for (const TIPMaskEdit* field : sections_)
        texts << field->text();
    return texts.join(u'.');
}

void TRIPEdit::setIPString(const QString& text)
{
    quint32 writeForm = 0;
    if (!text.isEmpty()) {
        const in_addr_t networkOrder = inet_addr(text.toLatin1().constData());
        writeForm = qFromLittleEndian<quint32>(&networkOrder);
    }
    setIPAddress(writeForm);
}

bool TRIPEdit::SecValid(const QString& text) { return TrySectionNumber(text).value_or(0) <= kHighestSection; }

void TRIPEdit::SecChange(TIPMaskEdit* field)
{
    if (destroying_)
        return;
    const QString address = IPString();
    AnnounceAddressChange(this, spokenAddress_, address);
    spokenAddress_ = address;
    try {
        const QString text = field->text();
        if (text.size() == 3) {
            if (SecValid(text))
                MoveFocusTo(PositionOf(field) % kSectionCount + 1);
            else
                field->selectAll();
        }
        RefreshIPAddress();
    } catch (const std::exception&) {
        // A section that is no number keeps the remembered address.
    }
}

void TRIPEdit::SecExit(TIPMaskEdit* field)
{
    if (destroying_)
        return;
    try {
        if (!SecValid(field->text()))
            setIPSec(PositionOf(field), kHighestSection);
    } catch (const std::exception&) {
        messageBox_(QStringLiteral("x"));
    }
}

void TRIPEdit::RefreshIPAddress()
{
    quint32 writeForm = 0;
    for (int n = 1; n <= kSectionCount; ++n)
        writeForm |= (static_cast<quint32>(IPSec(n)) & 0xFF) << (8 * (n - 1));
    fipAddress_ = writeForm;
}

// A field knows its position by the last character of its name.
int TRIPEdit::PositionOf(const TIPMaskEdit* field) const
{
    const QString name = field->objectName();
    if (name.isEmpty())
        throw EConvertError("a section field without a name has no position");
    const int position = SectionNumber(QStringView(name).right(1));
    Section(position); // throws for a position the control does not have
    return position;
}

// A field that cannot take the focus (hidden or disabled) is simply not
// focused; the address is remembered all the same, so a later write of the
// shown address is never skipped as already held.
void TRIPEdit::MoveFocusTo(int position)
{
    TIPMaskEdit* target = Section(position);
    if (target->isVisible() && target->isEnabled())
        target->setFocus(Qt::OtherFocusReason);
}

void TRIPEdit::setAccessibleNames(const QString& name)
{
    setAccessibleName(name);
    for (int n = 1; n <= kSectionCount; ++n)
        Section(n)->setAccessibleName(SectionAccessibleName(name, n));
}

void TRIPEdit::setBeeper(std::function<void()> beep)
{
    for (TIPMaskEdit* field : sections_)
        field->setBeeper(beep);
}

void TRIPEdit::setMessageBox(std::function<void(const QString&)> show) { messageBox_ = std::move(show); }

QSize TRIPEdit::sizeHint() const { return {kInitialWidth, kInitialHeight}; }

void TRIPEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The fields' own ground, so that the box reads as one edit in any theme.
    painter.fillRect(rect(), palette().color(QPalette::Active, QPalette::Base));
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    DrawLoweredRing(painter, rect(), shadow, highlight);
    DrawLoweredRing(painter, rect().adjusted(1, 1, -1, -1), shadow, highlight);
}

} // namespace widgets
