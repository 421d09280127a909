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
};

class RecordingListView : public protocol::DeviceListView {
public:
    void Clear() override
    {
        rows.clear();
        ++clears;
    }
    void SetEnabled(bool value) override { enabled = value; }
    void AddRow(const std::string& caption, const std::string& subItem1, const std::string& subItem2,
                int imageIndex) override
    {
        rows.push_back({caption, subItem1, subItem2, imageIndex});
    }
    void Repaint() override { ++repaints; }

    std::vector<RecordedRow> rows;
    bool enabled = true;
    int clears = 0;
    int repaints = 0;
};

class RecordingMessages : public protocol::OperatorMessages {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};
