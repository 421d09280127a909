// SPDX-License-Identifier: MIT
#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <functional>

namespace widgets {

// One section field of the IP edit control: a borderless three-character
// line edit that lets through only digits and Backspace ("." moves to the
// next field), pastes only
// clipboard texts that start with a section number 0..255, and paints its
// text centred.
class TIPMaskEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TIPMaskEdit(QWidget* owner = nullptr);

    // The sound of a refused character; QApplication::beep unless replaced.
    void setBeeper(std::function<void()> beep);

    // The paste check: the first three characters of the clipboard text must
    // be a number from 0 to 255.
    static bool PasteAllowed(const QString& clipboardText);

public slots:
    // Every paste request that reaches the field goes through the paste check.
    // This hides QLineEdit::paste on purpose: QLineEdit's context menu connects
    // its "Paste" entry by slot name, so that entry lands here too. The paste
    // shortcut never gets here: like Ctrl+V in a classic edit it is a control
    // character, which the key filter refuses.
    void paste();

signals:
    // The focus left this field for another control of the same window.
    void exited(TIPMaskEdit* field);
    // "." was typed into a field that holds a digit.
    void nextFieldWanted(TIPMaskEdit* field);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PasteFrom(QClipboard::Mode mode);

    std::function<void()> beep_;
    bool entered_ = false;
};

} // namespace widgets
