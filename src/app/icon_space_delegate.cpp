// SPDX-License-Identifier: MIT
#include "app/icon_space_delegate.h"

namespace app {

// Without an icon the option keeps the view's icon size as its decoration
// size, the size a row's icon is drawn at; an empty icon draws nothing there.
void IconSpaceDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == 0)
        option->features |= QStyleOptionViewItem::HasDecoration;
}

} // namespace app
