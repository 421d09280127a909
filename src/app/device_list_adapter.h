// SPDX-License-Identifier: MIT
#pragma once
#include "protocol/device_list_view.h"

#include <QIcon>
#include <array>
#include <functional>

namespace app {

class DeviceListWidget;

// The device protocol's view of the window's list widget: rows with their
// small images and what the images mean in words, enabling, repainting, and
// what the protocol is busy with.
class DeviceListAdapter : public protocol::DeviceListView {
public:
    DeviceListAdapter();

    // The window's list widget, which outlives this adapter.
    void SetWidget(DeviceListWidget* list) { list_ = list; }
    // Tells whether an operation runs. A discovery reply that arrives after
    // its cycle asks to disable the list; when nothing runs, it stays usable.
    void SetOperationCheck(std::function<bool()> running) { operationRunning_ = std::move(running); }

    void Clear() override;
    void SetEnabled(bool enabled) override;
    void AddRow(const protocol::DeviceRow& row) override;
    void Repaint() override;
    void ShowProgress(const protocol::Progress& progress) override;

private:
    DeviceListWidget* list_ = nullptr;
    std::function<bool()> operationRunning_;
    // Index kImageExclamation: the exclamation mark on yellow; index
    // kImageLetterE: the letter E on red; shown at the small-icon size.
    std::array<QIcon, 2> rowImages_;
};

} // namespace app
