// SPDX-License-Identifier: MIT
#include "widgets/ripedit_accessible.h"

#include "widgets/ripedit.h"

#include <QLabel>
#include <algorithm>

namespace widgets {

namespace {

QAccessibleInterface* AddressControlInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String(TRIPEdit::staticMetaObject.className()) && object->isWidgetType())
        return new TRIPEditAccessible(static_cast<TRIPEdit*>(object));
    return nullptr;
}

// Where a widget lies on the screen, the coordinates of the text interface.
QRect ScreenRect(const QWidget* widget) { return {widget->mapToGlobal(QPoint(0, 0)), widget->size()}; }

QAccessibleTextInterface* SectionText(TIPMaskEdit* field)
{
    QAccessibleInterface* part = QAccessible::queryAccessibleInterface(field);
    return part != nullptr ? part->textInterface() : nullptr;
}

} // namespace

TRIPEditAccessible::TRIPEditAccessible(TRIPEdit* control) : QAccessibleWidget(control, QAccessible::EditableText) {}

TRIPEdit* TRIPEditAccessible::Control() const { return static_cast<TRIPEdit*>(widget()); }

void* TRIPEditAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString TRIPEditAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return Control()->IPString();
    return QAccessibleWidget::text(kind);
}

void TRIPEditAccessible::setText(QAccessible::Text kind, const QString& text)
{
    if (kind == QAccessible::Value)
        Control()->setIPString(text);
    else
        QAccessibleWidget::setText(kind, text);
}

QAccessible::State TRIPEditAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    return state;
}

int TRIPEditAccessible::childCount() const { return TRIPEdit::kSectionCount; }

QAccessibleInterface* TRIPEditAccessible::child(int index) const
{
    if (index < 0 || index >= TRIPEdit::kSectionCount)
        return nullptr;
    return QAccessible::queryAccessibleInterface(Control()->Section(index + 1));
}

int TRIPEditAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (child == nullptr)
        return -1;
    for (int n = 1; n <= TRIPEdit::kSectionCount; ++n)
        if (child->object() == Control()->Section(n))
            return n - 1;
    return -1;
}

int TRIPEditAccessible::SectionStart(int position) const
{
    int start = 0;
    for (int n = 1; n < position; ++n)
        start += int(Control()->Section(n)->text().size()) + 1;
    return start;
}

std::pair<int, int> TRIPEditAccessible::SectionAt(int offset) const
{
    if (offset < 0 || offset > characterCount())
        return {0, 0};
    int position = 1;
    while (position < TRIPEdit::kSectionCount && offset > SectionStart(position + 1) - 1)
        ++position;
    return {position, offset - SectionStart(position)};
}

void TRIPEditAccessible::selection(int, int* startOffset, int* endOffset) const { *startOffset = *endOffset = 0; }

int TRIPEditAccessible::cursorPosition() const
{
    for (int n = 1; n <= TRIPEdit::kSectionCount; ++n)
        if (Control()->Section(n)->hasFocus())
            return SectionStart(n) + Control()->Section(n)->cursorPosition();
    return 0;
}

void TRIPEditAccessible::setCursorPosition(int position)
{
    if (const auto [n, inSection] = SectionAt(position); n != 0)
        Control()->Section(n)->setCursorPosition(inSection);
}

QString TRIPEditAccessible::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset)
        return {};
    return Control()->IPString().mid(startOffset, endOffset - startOffset);
}

// Offset -2 is the caret, as in Qt's own text controls; the word and
// character boundaries are Qt's.
QString TRIPEditAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                             int* endOffset) const
{
    return QAccessibleTextInterface::textBeforeOffset(offset == -2 ? cursorPosition() : offset, boundaryType,
                                                      startOffset, endOffset);
}

QString TRIPEditAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                            int* endOffset) const
{
    return QAccessibleTextInterface::textAfterOffset(offset == -2 ? cursorPosition() : offset, boundaryType,
                                                     startOffset, endOffset);
}

QString TRIPEditAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                         int* endOffset) const
{
    return QAccessibleTextInterface::textAtOffset(offset == -2 ? cursorPosition() : offset, boundaryType, startOffset,
                                                  endOffset);
}

int TRIPEditAccessible::characterCount() const { return int(Control()->IPString().size()); }

// A digit is where its section draws it; a dot is its label.
QRect TRIPEditAccessible::characterRect(int offset) const
{
    const auto [n, inSection] = SectionAt(offset);
    if (n == 0 || offset >= characterCount())
        return {};
    TIPMaskEdit* field = Control()->Section(n);
    if (inSection == field->text().size())
        return ScreenRect(Control()->Dot(n));
    QAccessibleTextInterface* sectionText = SectionText(field);
    return sectionText != nullptr ? sectionText->characterRect(inSection) : QRect();
}

int TRIPEditAccessible::offsetAtPoint(const QPoint& point) const
{
    for (int n = 1; n <= TRIPEdit::kSectionCount; ++n) {
        TIPMaskEdit* field = Control()->Section(n);
        QAccessibleTextInterface* sectionText = SectionText(field);
        if (ScreenRect(field).contains(point) && sectionText != nullptr)
            return SectionStart(n) + std::max(0, sectionText->offsetAtPoint(point));
        if (n < TRIPEdit::kSectionCount && ScreenRect(Control()->Dot(n)).contains(point))
            return SectionStart(n) + int(field->text().size());
    }
    return -1;
}

QString TRIPEditAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = offset; // plain text, no attributes
    return {};
}

void TRIPEditAccessible::deleteText(int startOffset, int endOffset) { replaceText(startOffset, endOffset, {}); }

void TRIPEditAccessible::insertText(int offset, const QString& text) { replaceText(offset, offset, text); }

void TRIPEditAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    QString address = Control()->IPString();
    if (startOffset < 0 || startOffset > endOffset || endOffset > address.size())
        return;
    Control()->setIPString(address.replace(startOffset, endOffset - startOffset, text));
}

void AnnounceAddressChange(TRIPEdit* control, const QString& before, const QString& after)
{
    if (before == after || !QAccessible::isActive())
        return;
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    QAccessibleTextUpdateEvent changed(control, int(head), before.mid(head, before.size() - head - tail),
                                       after.mid(head, after.size() - head - tail));
    QAccessible::updateAccessibility(&changed);
}

void InstallAddressControlAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&AddressControlInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace widgets
