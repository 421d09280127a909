// SPDX-License-Identifier: MIT
#include "widgets/ripedit_accessible.h"

#include "widgets/ripedit.h"

namespace widgets {

namespace {

QAccessibleInterface* AddressControlInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String(TRIPEdit::staticMetaObject.className()) && object->isWidgetType())
        return new TRIPEditAccessible(static_cast<TRIPEdit*>(object));
    return nullptr;
}

} // namespace

TRIPEditAccessible::TRIPEditAccessible(TRIPEdit* control) : QAccessibleWidget(control, QAccessible::EditableText) {}

TRIPEdit* TRIPEditAccessible::control() const { return static_cast<TRIPEdit*>(widget()); }

QString TRIPEditAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return control()->IPString();
    return QAccessibleWidget::text(kind);
}

void TRIPEditAccessible::setText(QAccessible::Text kind, const QString& text)
{
    if (kind == QAccessible::Value)
        control()->setIPString(text);
    else
        QAccessibleWidget::setText(kind, text);
}

QAccessible::State TRIPEditAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    return state;
}

int TRIPEditAccessible::childCount() const { return TRIPEdit::SectionCount; }

QAccessibleInterface* TRIPEditAccessible::child(int index) const
{
    if (index < 0 || index >= TRIPEdit::SectionCount)
        return nullptr;
    return QAccessible::queryAccessibleInterface(control()->section(index + 1));
}

int TRIPEditAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (child == nullptr)
        return -1;
    for (int n = 1; n <= TRIPEdit::SectionCount; ++n)
        if (child->object() == control()->section(n))
            return n - 1;
    return -1;
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
