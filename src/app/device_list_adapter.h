// SPDX-License-Identifier: MIT
#pragma once
#include "protocol/device_row.h"
#include "protocol/device_session.h"

#include <QIcon>
#include <array>
#include <vector>

namespace app {

class DeviceListWidget;

// Puts the device session's results into the window's list widget: rows
// with their small images and what the images mean in words, and what the
// session is busy with.
class DeviceListAdapter {
public:
    DeviceListAdapter();

    // The window's list widget, which outlives this adapter.
    void SetWidget(DeviceListWidget* list) { list_ = list; }

    void Clear();
    void ShowRows(const std::vector<protocol::DeviceRow>& rows);
    void ShowProgress(const protocol::Progress& progress);
    // An empty list says where the discovery looked and what to check.
    void ExplainEmptyList(const std::vector<protocol::SearchedInterface>& searched);
    // A line at the bottom of the list, until the next progress.
    void ShowNote(const QString& text);

private:
    void AddRow(const protocol::DeviceRow& row);

    DeviceListWidget* list_ = nullptr;
    // Index kImageExclamation: the exclamation mark on yellow; index
    // kImageLetterE: the letter E on red; shown at the small-icon size.
    std::array<QIcon, 2> rowImages_;
};

} // namespace app
