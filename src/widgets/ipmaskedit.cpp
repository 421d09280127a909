// SPDX-License-Identifier: MIT
#include "widgets/ipmaskedit.h"

#include "widgets/section_number.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace widgets {

namespace {

bool IsSectionCharacter(QChar c) { return c >= u'0' && c <= u'9'; }

bool HoldsDigit(const QString& text) { return std::any_of(text.begin(), text.end(), IsSectionCharacter); }

// Keys that type no character: the field edits with them as usual.
bool IsCharacterlessKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Delete:
    case Qt::Key_Insert:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return true;
    default: return key >= Qt::Key_F1 && key <= Qt::Key_F35;
    }
}

// Ctrl with a letter or one of @ [ \ ] ^ _ types a control character.
bool TypesControlCharacter(int key)
{
    switch (key) {
    case Qt::Key_At:
    case Qt::Key_BracketLeft:
    case Qt::Key_Backslash:
    case Qt::Key_BracketRight:
    case Qt::Key_AsciiCircum:
    case Qt::Key_Underscore:
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter: return true;
    default: return key >= Qt::Key_A && key <= Qt::Key_Z;
    }
}

enum class KeyVerdict {
    Edit,            // the field edits with the key as usual
    EditWithoutText, // a shortcut: the key acts, but types nothing into the field
    Refuse,          // a character the field does not take: discarded with a beep
};

// Refused are all typed characters other than digits, "." and Backspace,
// control characters included, and with them the clipboard shortcuts.
KeyVerdict JudgeKey(const QKeyEvent& event)
{
    if (event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Copy) || event.matches(QKeySequence::Cut))
        return KeyVerdict::Refuse;

    const int key = event.key();
    const bool control = event.modifiers() & Qt::ControlModifier;
    const bool alt = event.modifiers() & (Qt::AltModifier | Qt::MetaModifier);
    if (key == Qt::Key_Escape)
        return KeyVerdict::Refuse; // types character 27
    if (control && !alt && TypesControlCharacter(key))
        return KeyVerdict::Refuse;
    // Return and Enter belong to the window (its default button).
    if (!control && (key == Qt::Key_Return || key == Qt::Key_Enter))
        return KeyVerdict::Edit;
    if (IsCharacterlessKey(key) || (key == Qt::Key_Backspace && !control))
        return KeyVerdict::Edit;
    // Alt and Meta combinations are window shortcuts and mnemonics.
    if (alt && !control)
        return KeyVerdict::EditWithoutText;

    const QString text = event.text();
    for (const QChar c : text)
        if (!IsSectionCharacter(c))
            return KeyVerdict::Refuse;
    return KeyVerdict::Edit; // also modifier keys alone and other keys without a character
}

} // namespace

TIPMaskEdit::TIPMaskEdit(QWidget* owner) : QLineEdit(owner), beep_(&QApplication::beep)
{
    // The edit's own layout puts the caret and maps mouse clicks; centring it
    // keeps both in step with the centred painting.
    setAlignment(Qt::AlignHCenter);
    // Dropped text would bypass the key filter and the paste check.
    setAcceptDrops(false);
    connect(this, &QLineEdit::cursorPositionChanged, this, qOverload<>(&QWidget::update));
    connect(this, &QLineEdit::textChanged, this, qOverload<>(&QWidget::update));
}

void TIPMaskEdit::setBeeper(std::function<void()> beep) { beep_ = std::move(beep); }

bool TIPMaskEdit::PasteAllowed(const QString& clipboardText)
{
    const auto number = TrySectionNumber(QStringView(clipboardText).left(3));
    return number && *number >= 0 && *number <= 255;
}

void TIPMaskEdit::paste() { PasteFrom(QClipboard::Clipboard); }

void TIPMaskEdit::PasteFrom(QClipboard::Mode mode)
{
    const QString text = QGuiApplication::clipboard()->text(mode);
    if (PasteAllowed(text))
        insert(text); // replaces the selection, as far as the 3-character limit allows
}

void TIPMaskEdit::keyPressEvent(QKeyEvent* event)
{
    // "." never enters the text: it moves on to the next field once this
    // one holds a digit, and otherwise does nothing.
    if (event->text() == QStringLiteral(".") && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        event->accept();
        if (HoldsDigit(text()))
            emit nextFieldWanted(this);
        return;
    }
    switch (JudgeKey(*event)) {
    case KeyVerdict::Edit: QLineEdit::keyPressEvent(event); return;
    case KeyVerdict::EditWithoutText: {
        QKeyEvent textless(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                           event->nativeVirtualKey(), event->nativeModifiers(), QString(), event->isAutoRepeat(),
                           event->count());
        QLineEdit::keyPressEvent(&textless);
        event->setAccepted(textless.isAccepted());
        return;
    }
    case KeyVerdict::Refuse:
        event->accept();
        beep_();
        return;
    }
}

void TIPMaskEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    QString kept;
    for (const QChar c : committed) {
        if (c == u'.')
            continue; // a dot only ever moves between fields
        if (IsSectionCharacter(c))
            kept.append(c);
        else
            beep_();
    }
    if (kept == committed) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->accept();
}

// Background and centred text only; no selection highlight. The caret stands
// in for the system caret of a classic edit, which is no part of the field's
// painting: a steady line at its place in the centred text while the field
// has the focus.
void TIPMaskEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = rect();
    painter.setClipRect(area);
    painter.setLayoutDirection(layoutDirection());
    // The field colour stays the same when disabled; only the text greys.
    painter.fillRect(area, palette().color(QPalette::Active, QPalette::Base));

    const QColor ink =
        isEnabled() ? palette().color(QPalette::Text) : palette().color(QPalette::Disabled, QPalette::Text);
    const QFontMetrics metrics(font());
    const QString shown = text();
    const int x = (area.width() - metrics.horizontalAdvance(shown)) / 2;
    painter.setFont(font());
    painter.setPen(ink);
    painter.drawText(QPoint(x, metrics.ascent()), shown);

    if (hasFocus() && isEnabled()) {
        const int caretX = x + metrics.horizontalAdvance(shown.left(cursorPosition()));
        painter.drawLine(caretX, 0, caretX, metrics.height() - 1);
    }
}

// The field selects its whole text when it gets the focus other than by the
// mouse or by its window becoming active again.
void TIPMaskEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    entered_ = true;
    if (event->reason() == Qt::OtherFocusReason)
        selectAll();
    update();
}

void TIPMaskEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    update();
    const Qt::FocusReason reason = event->reason();
    const bool windowLeft =
        reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason;
    // A focus change made while leaving another field may send this field a
    // focus-out it never had the focus for; only a real exit counts.
    if (!windowLeft && entered_) {
        entered_ = false;
        emit exited(this);
    }
}

void TIPMaskEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        event->accept();
        PasteFrom(QClipboard::Selection);
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

} // namespace widgets
