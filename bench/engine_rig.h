// SPDX-License-Identifier: MIT
// The device protocol put together as the main window puts it: the command
// socket with the window's settings, the reply timer, a list that keeps the
// MACs of its rows, and operator messages that go to stderr.
#pragma once
#include "net/socket/udp_socket.h"
#include "protocol/device_protocol.h"

#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

struct EngineRig {
    class ListedMacs : public protocol::DeviceListView {
    public:
        void Clear() override { macs.clear(); }
        void SetEnabled(bool) override {}
        void AddRow(const protocol::DeviceRow& row) override { macs.push_back(row.Mac); }
        void Repaint() override {}
        std::vector<std::string> macs;
    };

    class MessagesToStderr : public protocol::OperatorMessages {
    public:
        void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    };

    net::TUDPSocket socket;
    QTimer timeout;
    ListedMacs list;
    MessagesToStderr messages;
    protocol::DeviceProtocol protocol{socket, timeout, list, messages};
};
