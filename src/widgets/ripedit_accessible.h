// SPDX-License-Identifier: MIT
#pragma once

#include <QAccessibleWidget>
#include <utility>

namespace widgets {

class TIPMaskEdit;
class TRIPEdit;

// What assistive technology is told about the IP address edit control: one
// editable text whose value is the dotted address, with the four section
// fields as its only children (the dots are drawing, not content). The text
// interface offers the whole dotted address, so a screen reader that asks the
// control, and not a section, for its content hears "192.168.1.20".
class TRIPEditAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    explicit TRIPEditAccessible(TRIPEdit* control);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text kind) const override;
    void setText(QAccessible::Text kind, const QString& text) override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    // The text interface. The control keeps no selection of its own: a
    // section's selection is told by that section.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    // The caret of the focused section, as an offset in the dotted address;
    // 0 while no section has the focus.
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {} // the whole address is always in view
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // The editable text interface: the edited dotted text is written back
    // as IPString, so a text that is no address shows 255.255.255.255.
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    TRIPEdit* Control() const;
    // Where section 1..4 begins in the dotted address.
    int SectionStart(int position) const;
    // The position 1..4 of the section holding offset (0 for none), and the
    // offset within its text; the dot after a section is at the offset equal
    // to the length of its text.
    std::pair<int, int> SectionAt(int offset) const;
};

// Registers the interface with Qt's accessibility; safe to call repeatedly.
void InstallAddressControlAccessibility();

// Tells assistive technology that the control's dotted address changed from
// before to after, as the one span of text that differs.
void AnnounceAddressChange(TRIPEdit* control, const QString& before, const QString& after);

} // namespace widgets
