// SPDX-License-Identifier: MIT
#pragma once

#include <QAccessibleWidget>

namespace widgets {

class TRIPEdit;

// What assistive technology is told about the IP address edit control: one
// editable text whose value is the dotted address, with the four section
// fields as its only children (the dots are drawing, not content).
class TRIPEditAccessible : public QAccessibleWidget {
public:
    explicit TRIPEditAccessible(TRIPEdit* control);

    QString text(QAccessible::Text kind) const override;
    void setText(QAccessible::Text kind, const QString& text) override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    TRIPEdit* control() const;
};

// Registers the interface with Qt's accessibility; safe to call repeatedly.
void InstallAddressControlAccessibility();

} // namespace widgets
