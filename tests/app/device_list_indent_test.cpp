// SPDX-License-Identifier: MIT
// The window's device list keeps an icon's space on unmarked rows too.
#include "app/device_list_adapter.h"
#include "app/device_list_widget.h"
#include "running_program.h"

#include <gtest/gtest.h>

namespace {

// Rows with the same address: their texts start at the same x exactly when
// they end at the same x, and the end is the rightmost ink of the first
// column, clear of any icon on its left.
TEST(DeviceListIndent, UnmarkedRowsStartTheirAddressWhereMarkedRowsDo)
{
    RunningProgram program;
    auto* list = static_cast<app::DeviceListWidget*>(program.form.lvIP);
    app::DeviceListAdapter rows;
    rows.SetWidget(list);
    for (int image : {protocol::DeviceListView::kImageLetterE, -1, protocol::DeviceListView::kImageExclamation})
        rows.AddRow({"192.168.1.5", "255.255.255.0", "MAC-A", image, false, false, false, ""});
    const QImage shown = list->viewport()->grab().toImage();
    std::vector<int> inkEnds;
    for (int row = 0; row < 3; ++row) {
        const QRect cell = list->visualRect(list->model()->index(row, 0));
        int x = cell.right();
        while (x > cell.left() && shown.pixelColor(x, cell.center().y()) == shown.pixelColor(cell.right(), cell.top()))
            --x;
        inkEnds.push_back(x);
    }
    EXPECT_GT(inkEnds[0], list->visualRect(list->model()->index(0, 0)).left() + list->iconSize().width());
    EXPECT_EQ(inkEnds, std::vector<int>(3, inkEnds[0])) << "marked, unmarked, marked";
}

} // namespace
