// SPDX-License-Identifier: MIT
#include "app/device_list_widget.h"

#include "app/icon_space_delegate.h"

#include <QAccessible>
#include <QPainter>

namespace app {

DeviceListWidget::DeviceListWidget(QWidget* parent) : QTreeWidget(parent)
{
    setItemDelegate(new IconSpaceDelegate(this));
}

void DeviceListWidget::SetPlaceholderText(const QString& text)
{
    if (text == placeholderText_)
        return;
    placeholderText_ = text;
    setAccessibleDescription(text);
    // Qt 6.4 changes the description without a word to assistive technology.
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
    viewport()->update();
}

void DeviceListWidget::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    if (placeholderText_.isEmpty())
        return;
    // The list is disabled while the protocol works; its disabled colours
    // would make the text hard to read, so it is drawn in the active ones.
    const QPalette& colours = palette();
    QPainter painter(viewport());
    const int margin = fontMetrics().height() / 2;
    QRect area = viewport()->rect();
    QColor textColour = colours.color(QPalette::Active, QPalette::PlaceholderText);
    if (topLevelItemCount() > 0) {
        area.setTop(area.bottom() - fontMetrics().height() - margin);
        painter.fillRect(area, colours.color(QPalette::Active, QPalette::Base));
        textColour = colours.color(QPalette::Active, QPalette::Text);
    }
    painter.setPen(textColour);
    painter.drawText(area.adjusted(margin, 0, -margin, 0), Qt::AlignCenter | Qt::TextWordWrap, placeholderText_);
}

} // namespace app
