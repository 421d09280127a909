// SPDX-License-Identifier: MIT
#pragma once

#include <QStyledItemDelegate>

namespace app {

// Draws list rows the way a list with an image list does: the first column
// keeps the icon's space on every row, so a row without an icon starts its
// text where a row with one does. A row's icon itself stays as it is: none
// on an unmarked row.
class IconSpaceDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace app
