// SPDX-License-Identifier: MIT
#include "app/focus_keeping.h"

#include "widgets/ripedit.h"

#include <QApplication>

namespace app {

void ReleaseFocusBeforeDisabling(std::initializer_list<QWidget*> widgets)
{
    QWidget* focused = QApplication::focusWidget();
    for (QWidget* widget : widgets)
        if (widget == focused && widget->isEnabled())
            widget->clearFocus();
}

FocusStaysOut::FocusStaysOut(widgets::TRIPEdit* control)
{
    if (!control->isEnabled() || control->isAncestorOf(QApplication::focusWidget()))
        return;
    control_ = control;
    control_->setEnabled(false);
}

FocusStaysOut::~FocusStaysOut()
{
    if (control_ != nullptr)
        control_->setEnabled(true);
}

} // namespace app
