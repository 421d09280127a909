// SPDX-License-Identifier: MIT
// The window's device list keeps an icon's space on unmarked rows too.
#include "app/device_list_adapter.h"
#include "app/device_list_widget.h"
#include "running_program.h"

#include <gtest/gtest.h>

namespace {

// Rows with the same address start it at the same x exactly when they end it
// at the same x: the rightmost ink of the first column, clear of any icon.
TEST(DeviceListIndent, UnmarkedRowsStartTheirAddressWhereMarkedRowsDo)
{
    RunningProgram program;
    app::DeviceListAdapter rows;
    rows.SetWidget(static_cast<app::DeviceListWidget*>(program.List()));
    std::vector<protocol::DeviceRow> shownRows;
    for (int image : {protocol::DeviceRow::kImageLetterE, -1, protocol::DeviceRow::kImageExclamation}) {
        protocol::DeviceRow row;
        row.Address = "192.168.1.5";
        row.Mask = "255.255.255.0";
        row.Mac = "MAC-A";
        row.Image = image;
        shownRows.push_back(row);
    }
    rows.ShowRows(shownRows);
    const QImage shown = program.List()->viewport()->grab().toImage();
    std::vector<int> inkEnds;
    for (int row = 0; row < 3; ++row) {
        const QRect cell = program.List()->visualRect(program.List()->model()->index(row, 0));
        int x = cell.right();
        while (x > cell.left() + 16 && shown.pixelColor(x, cell.center().y()) == shown.pixelColor(cell.topRight()))
            --x;
        inkEnds.push_back(x);
    }
    EXPECT_GT(inkEnds[0], program.List()->visualRect(program.List()->model()->index(0, 0)).left() + 16);
    EXPECT_EQ(inkEnds, std::vector<int>(3, inkEnds[0])) << "marked, unmarked, marked";
}

} // namespace
