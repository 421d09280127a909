// SPDX-License-Identifier: MIT
// Plain recording implementations of what the main window gives the
// protocol: the device list and the operator's message window.
#pragma once
#include "protocol/device_list_view.h"
#include "protocol/operator_messages.h"

#include <string>
#include <vector>

struct RecordedRow {
    std::string caption;
    std::string mask;
    std::string mac;
    int image = 0;
    protocol::DeviceRow shown;
};

class RecordingListView : public protocol::DeviceListView {
public:
    void Clear() override
    {
        rows.clear();
        ++clears;
    }
    void SetEnabled(bool value) override { enabled = value; }
    void AddRow(const protocol::DeviceRow& row) override
    {
        rows.push_back({row.Address, row.Mask, row.Mac, row.Image, row});
    }
    void Repaint() override { ++repaints; }
    void ShowProgress(const protocol::Progress& step) override { progress.push_back(step); }

    std::vector<RecordedRow> rows;
    std::vector<protocol::Progress> progress;
    bool enabled = true;
    int clears = 0;
    int repaints = 0;
};

class RecordingMessages : public protocol::OperatorMessages {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};
